#include "testzone.h"

#include <QDir>
#include <QFile>
#include <QtEndian>

#include "profile.h"

namespace testzone {

namespace {

enum : quint32 { ABSENT_FILE_BLOCKS = 524272 };
enum {
    MANAGER_SIZE = 2048,
    TITLESET_COUNT_AT = 63,
    HEADER_SIZE = 2048,
    LAST_SECTOR_AT = 12,
    LAST_INFO_SECTOR_AT = 28,
    VIDEO_OBJECTS_AT = 192,
    TABLE_HEADER = 8,
    SEARCH_ENTRY = 8,
    TITLE_RECORD = 16,
    TRACK_RECORD = 20,
    INDEX_ENTRY = 12,
};

void put16(QByteArray &bytes, qint64 at, quint32 value)
{
    qToBigEndian<quint16>(quint16(value), bytes.data() + at);
}

void put32(QByteArray &bytes, qint64 at, quint64 value)
{
    qToBigEndian<quint32>(quint32(value), bytes.data() + at);
}

void applyTweaks(QByteArray &bytes, const FileTweaks &tweaks)
{
    for (const Patch &patch : tweaks.patches) {
        if (patch.offset + patch.bytes.size() > bytes.size())
            bytes.resize(patch.offset + patch.bytes.size(), '\0');
        std::copy(patch.bytes.begin(), patch.bytes.end(), bytes.begin() + patch.offset);
    }
    for (const Removal &removal : tweaks.removals)
        bytes.remove(removal.offset, removal.count);
    if (tweaks.size >= 0)
        bytes.resize(tweaks.size, '\0');
}

quint32 titleRecordSize(const Title &title)
{
    return TITLE_RECORD + TRACK_RECORD * quint32(title.tracks.size())
        + INDEX_ENTRY * quint32(title.indexes.size());
}

// Under the authored profile, the bytes of [from, to) get filler of that record.
void fill(QByteArray &bytes, qint64 base, int from, int to, quint32 record)
{
    if (!authored())
        return;
    for (int at = from; at < to; ++at)
        bytes[base + at] = char(filler(record, at));
}

// Bytes a title record, its track records and its index entries leave unused.
void fillTitleRecord(QByteArray &record, const Title &title, int indexTable, quint32 seed)
{
    fill(record, 0, 0, 2, seed);
    fill(record, 0, 8, 12, seed);
    fill(record, 0, 14, 16, seed);
    for (int t = 0; t < int(title.tracks.size()); ++t) {
        const int at = TITLE_RECORD + TRACK_RECORD * t;
        fill(record, at, 0, 4, seed + 1 + quint32(t));
        fill(record, at, 5, 10, seed + 1 + quint32(t));
        fill(record, at, 14, 20, seed + 1 + quint32(t));
    }
    for (int i = 0; i < int(title.indexes.size()); ++i)
        fill(record, indexTable + INDEX_ENTRY * i, 0, 4, seed + 500 + quint32(i));
}

QByteArray titleRecordBytes(const Title &title, quint32 seed)
{
    QByteArray record(int(titleRecordSize(title)), '\0');
    const int tracks = int(title.tracks.size());
    record[2] = char(title.trackCount >= 0 ? title.trackCount : tracks);
    record[3] = char(title.indexCount >= 0 ? title.indexCount : int(title.indexes.size()));
    put32(record, 4, title.lengthPts);
    const int indexTable = TITLE_RECORD + TRACK_RECORD * tracks;
    put16(record, 12, quint32(title.indexTableOffset >= 0 ? title.indexTableOffset : indexTable));
    for (int t = 0; t < tracks; ++t) {
        const int at = TITLE_RECORD + TRACK_RECORD * t;
        record[at + 4] = char(title.tracks[t].firstIndexNumber);
        put32(record, at + 10, title.tracks[t].lengthPts);
    }
    for (size_t i = 0; i < title.indexes.size(); ++i) {
        const int at = indexTable + INDEX_ENTRY * int(i);
        put32(record, at + 4, title.indexes[i].first);
        put32(record, at + 8, title.indexes[i].last);
    }
    fillTitleRecord(record, title, indexTable, seed);
    return record;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        && file.write(bytes) == bytes.size() && file.flush();
}

} // namespace

Title makeTitle(const std::vector<TrackSpan> &tracks)
{
    Title title;
    int nextIndex = 1;
    for (const TrackSpan &span : tracks) {
        title.tracks.push_back({quint8(nextIndex), span.lengthPts});
        title.indexes.insert(title.indexes.end(), span.indexes.begin(), span.indexes.end());
        nextIndex += int(span.indexes.size());
        title.lengthPts += span.lengthPts;
    }
    return title;
}

AobFile AobFile::absent()
{
    AobFile file;
    file.present = false;
    return file;
}

AobFile AobFile::ofBytes(const QByteArray &bytes)
{
    AobFile file;
    file.bytes = bytes;
    return file;
}

AobFile AobFile::ofPacks(const std::vector<QByteArray> &packs)
{
    AobFile file;
    for (QByteArray pack : packs) {
        pack.resize(BLOCK_BYTES, '\0');
        file.bytes += pack;
    }
    return file;
}

Titleset Titleset::absent()
{
    Titleset titleset;
    titleset.info.present = false;
    return titleset;
}

QString titlesetInfoName(int number)
{
    return QString::asprintf("ATS_%02d_0.IFO", number);
}

QString aobName(int number, int file)
{
    return QString::asprintf("ATS_%02d_%01d.AOB", number, file);
}

QByteArray managerBytes(const Manager &manager, int describedTitlesets, bool tweaked)
{
    QByteArray bytes(MANAGER_SIZE, '\0');
    std::copy(manager.magic.begin(), manager.magic.end(), bytes.begin());
    fill(bytes, 0, int(manager.magic.size()), MANAGER_SIZE, 0x1000);
    bytes[TITLESET_COUNT_AT] =
        char(manager.titlesetCount >= 0 ? manager.titlesetCount : describedTitlesets);
    if (tweaked)
        applyTweaks(bytes, manager.tweaks);
    return bytes;
}

quint32 titleRecordOffset(const TitlesetInfo &info, int k)
{
    quint32 at = TABLE_HEADER + SEARCH_ENTRY * quint32(info.titles.size());
    for (int j = 0; j < k; ++j)
        at += titleRecordSize(info.titles[j]);
    return at;
}

QByteArray titleTableBytes(const TitlesetInfo &info)
{
    const int count = int(info.titles.size());
    QByteArray table(int(titleRecordOffset(info, count)), '\0');
    put16(table, 0, quint32(info.titleCount >= 0 ? info.titleCount : count));
    fill(table, 0, 2, 4, 0x3000);
    for (int k = 0; k < count; ++k) {
        const Title &title = info.titles[k];
        const int entry = TABLE_HEADER + SEARCH_ENTRY * k;
        const quint32 record = titleRecordOffset(info, k);
        table[entry] = char(title.titleId >= 0 ? title.titleId : k + 1);
        fill(table, entry, 1, 4, 0x3100 + quint32(k));
        put32(table, entry + 4, title.recordOffset >= 0 ? quint64(title.recordOffset) : record);
        const QByteArray recordBytes = titleRecordBytes(title, 0x4000 + 0x400 * quint32(k));
        std::copy(recordBytes.begin(), recordBytes.end(), table.begin() + record);
    }
    put32(table, 4, info.lastByteOffset >= 0 ? quint64(info.lastByteOffset)
                                             : quint64(table.size() - 1));
    return table;
}

QByteArray sharedRecordTable(const Title &title, int entries)
{
    TitlesetInfo one;
    one.titles = {title};
    const QByteArray record = titleTableBytes(one).mid(int(titleRecordOffset(one, 0)));
    const quint32 recordAt = TABLE_HEADER + SEARCH_ENTRY * quint32(entries);
    QByteArray table(int(recordAt), '\0');
    put16(table, 0, quint32(entries));
    put32(table, 4, recordAt + quint32(record.size()) - 1);
    for (int k = 0; k < entries; ++k) {
        table[TABLE_HEADER + SEARCH_ENTRY * k] = char(1 + k % 99);
        put32(table, TABLE_HEADER + SEARCH_ENTRY * k + 4, recordAt);
    }
    return table + record;
}

QByteArray titlesetInfoBytes(const TitlesetInfo &info, quint32 defaultLastAobBlock, bool tweaked)
{
    QByteArray bytes(HEADER_SIZE, '\0');
    // The header defines the magic and the values at 12, 28 and 192; the rest is unused here.
    fill(bytes, 0, int(info.magic.size()), LAST_SECTOR_AT, 0x2000);
    fill(bytes, 0, LAST_SECTOR_AT + 4, LAST_INFO_SECTOR_AT, 0x2000);
    fill(bytes, 0, LAST_INFO_SECTOR_AT + 4, VIDEO_OBJECTS_AT, 0x2000);
    fill(bytes, 0, VIDEO_OBJECTS_AT + 4, HEADER_SIZE, 0x2000);
    bytes += titleTableBytes(info);
    // An information file is whole sectors.
    const qint64 padded = (bytes.size() + BLOCK_BYTES - 1) / BLOCK_BYTES * BLOCK_BYTES;
    const int tableEnd = int(bytes.size());
    bytes.resize(padded, '\0');
    fill(bytes, 0, tableEnd, int(padded), 0x2800);
    std::copy(info.magic.begin(), info.magic.end(), bytes.begin());
    const quint64 lastInfoSector = info.lastInfoSector >= 0
        ? quint64(info.lastInfoSector)
        : quint64(bytes.size() + BLOCK_BYTES - 1) / BLOCK_BYTES - 1;
    const quint64 lastAob = info.lastAobBlock >= 0 ? quint64(info.lastAobBlock) : defaultLastAobBlock;
    // The information file and its backup each take lastInfoSector + 1 sectors.
    const quint64 lastSector = info.lastSector >= 0 ? quint64(info.lastSector)
                                                    : lastAob + 2 * lastInfoSector + 2;
    put32(bytes, LAST_SECTOR_AT, lastSector);
    put32(bytes, LAST_INFO_SECTOR_AT, lastInfoSector);
    put32(bytes, VIDEO_OBJECTS_AT, info.videoObjects);
    if (tweaked)
        applyTweaks(bytes, info.tweaks);
    return bytes;
}

quint32 aobAreaBlocks(const std::vector<AobFile> &files)
{
    quint32 blocks = 0;
    for (const AobFile &file : files)
        blocks += file.present ? quint32(file.bytes.size() / BLOCK_BYTES) : ABSENT_FILE_BLOCKS;
    return blocks;
}

bool writeZone(const QString &dirPath, const Zone &zone)
{
    const QDir dir(dirPath);
    const int count = int(zone.titlesets.size());
    bool ok = true;
    const auto backupOf = [](Backup backup, const QByteArray &tweaked, const QByteArray &built) {
        return backup == Backup::Absent ? QByteArray() : backup == Backup::Intact ? built : tweaked;
    };
    if (zone.manager.present)
        ok &= writeFile(dir.filePath("AUDIO_TS.IFO"), managerBytes(zone.manager, count));
    const QByteArray managerBackup = backupOf(zone.manager.backup, managerBytes(zone.manager, count),
                                              managerBytes(zone.manager, count, false));
    if ((zone.manager.present || zone.manager.backup == Backup::Intact) && !managerBackup.isNull())
        ok &= writeFile(dir.filePath("AUDIO_TS.BUP"), managerBackup);
    for (int n = 1; n <= count; ++n) {
        const Titleset &titleset = zone.titlesets[n - 1];
        const quint32 blocks = aobAreaBlocks(titleset.aobFiles);
        const quint32 lastBlock = blocks ? blocks - 1 : 0;
        if (titleset.info.present)
            ok &= writeFile(dir.filePath(titlesetInfoName(n)), titlesetInfoBytes(titleset.info, lastBlock));
        const QByteArray backup = backupOf(titleset.info.backup, titlesetInfoBytes(titleset.info, lastBlock),
                                           titlesetInfoBytes(titleset.info, lastBlock, false));
        if ((titleset.info.present || titleset.info.backup == Backup::Intact) && !backup.isNull())
            ok &= writeFile(dir.filePath(QString(titlesetInfoName(n)).replace(".IFO", ".BUP")), backup);
        for (size_t m = 0; m < titleset.aobFiles.size(); ++m) {
            const AobFile &file = titleset.aobFiles[m];
            if (file.present)
                ok &= writeFile(dir.filePath(aobName(n, int(m) + 1)), file.bytes);
        }
    }
    return ok;
}

ZoneFolder::ZoneFolder(const Zone &zone)
{
    written = dir.isValid() && writeZone(dir.path(), zone);
}

namespace {
quint8 patternByte(quint32 number, int at)
{
    return quint8((number * 131u + quint32(at) * 7u + (number >> 8)) & 0xFF);
}
} // namespace

QByteArray numberedBlocks(quint32 firstNumber, int count)
{
    QByteArray bytes(count * BLOCK_BYTES, '\0');
    for (int b = 0; b < count; ++b) {
        const quint32 number = firstNumber + quint32(b);
        char *block = bytes.data() + qint64(b) * BLOCK_BYTES;
        qToBigEndian<quint32>(number, block);
        for (int at = 4; at < BLOCK_BYTES; ++at)
            block[at] = char(patternByte(number, at));
    }
    return bytes;
}

bool isNumberedBlock(const quint8 *block, quint32 number)
{
    if (qFromBigEndian<quint32>(block) != number)
        return false;
    for (int at = 4; at < BLOCK_BYTES; ++at) {
        if (block[at] != patternByte(number, at))
            return false;
    }
    return true;
}

} // namespace testzone
