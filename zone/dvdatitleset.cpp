#include "zone/dvdatitleset.h"

#include <QCoreApplication>
#include <QHash>
#include <QMutexLocker>
#include <QtEndian>

#include "dump/packetreader.h"
#include "extract/extractresult.h"

namespace {

enum {
    INFO_HEADER_SIZE = 640,
    TITLE_TABLE_START = 2048,
    STREAM_INFO_BLOCKS = 16,
};
const char INFO_MAGIC[] = "DVDAUDIO-ATS";

// Header fields of the information file (big-endian on disc).
enum {
    LAST_TITLESET_SECTOR_AT = 12,
    LAST_INFO_SECTOR_AT = 28,
    VIDEO_OBJECTS_AT = 192,
};

// Sizes of the title table's records.
enum {
    TABLE_HEADER_SIZE = 8,
    SEARCH_ENTRY_SIZE = 8,
    TITLE_RECORD_SIZE = 16,
    TRACK_RECORD_SIZE = 20,
    INDEX_ENTRY_SIZE = 12,
};

// What a titleset may hold. The disc stores the track and index counts of a title in one
// byte each; titles and tracks are numbered with two digits. More than this is damage,
// and trusting it lets a small file ask for millions of objects.
enum {
    MAX_TITLES = 99,
    MAX_TRACKS_PER_TITLE = 99,
};

quint16 be16(const uchar *p) { return qFromBigEndian<quint16>(p); }
quint32 be32(const uchar *p) { return qFromBigEndian<quint32>(p); }

bool holdsWholeBlock(const AobFileEntry &row)
{
    // lastBlock is firstBlock - 1 (mod 2^32) for a file without a whole block.
    return row.present && quint32(row.lastBlock - row.firstBlock + 1) != 0;
}

} // namespace

// The title table with its usable length. Every bound is checked in 64 bits so that a
// damaged 32-bit offset near the top of its range ends the parse instead of wrapping.
struct DVDATitleset::TitleTable {
    const uchar *bytes;
    quint64 length;
    bool holds(quint64 offset, quint64 size) const { return offset + size <= length; }
    // The stream descriptions read so far during the parse, by first block.
    mutable QHash<quint32, StreamInfo> infoByBlock;
};

DVDATitleset::DVDATitleset(const QDir &zoneDir, int position)
    : number(position + 1)
{
    kindCode = KindTitleset;

    QFile info(zoneDir.filePath(QString::asprintf("ATS_%02d_0.IFO", number)));
    if (!info.open(QIODevice::ReadOnly)) {
        addProblem(-1, tr("cannot open the information file: %1").arg(info.errorString()));
        return;
    }
    const QByteArray header = info.read(INFO_HEADER_SIZE);
    if (header.size() < INFO_HEADER_SIZE) {
        addProblem(0, tr("header cut short: %1 of %2 bytes").arg(header.size()).arg(int(INFO_HEADER_SIZE)));
        return;
    }
    if (!header.startsWith(INFO_MAGIC)) {
        addProblem(0, tr("not a titleset information file (no \"%1\" at the start)")
                          .arg(QLatin1String(INFO_MAGIC)));
        return;
    }

    probeAobFiles(zoneDir);

    const auto *h = reinterpret_cast<const uchar *>(header.constData());
    contentKind = be32(h + VIDEO_OBJECTS_AT) == 0 ? TitlesetAudio : TitlesetVideo;
    // The information file and its backup each take (sector at 28) + 1 sectors.
    lastAobBlock = be32(h + LAST_TITLESET_SECTOR_AT) - 2 * be32(h + LAST_INFO_SECTOR_AT) - 2;

    if (contentKind == TitlesetAudio)
        checkAobArea();

    // A file of up to one sector has no title table; a short read is a shorter table.
    if (info.size() > TITLE_TABLE_START && info.seek(TITLE_TABLE_START))
        parseTitleTable(info.readAll());
}

QString DVDATitleset::tr(const char *text)
{
    return QCoreApplication::translate("DVDATitleset", text);
}

void DVDATitleset::addPastTable(quint64 offset, const QString &what, const TitleTable &table)
{
    // Offsets of at most 33 bits: far from the top of qint64.
    addProblem(TITLE_TABLE_START + qint64(offset),
               tr("%1 lies past the end of the title table (%2 bytes)").arg(what).arg(table.length));
}

void DVDATitleset::addProblem(qint64 offset, const QString &what)
{
    problems.push_back({QString::asprintf("ATS_%02d_0.IFO", number), offset, what});
}

// Blocks the AOB files hold past the header's last block are out of reach of every
// object: a damaged header hides them.
void DVDATitleset::checkAobArea()
{
    quint32 held = 0;
    bool any = false;
    for (const AobFileEntry &row : aobFiles) {
        if (holdsWholeBlock(row)) {
            held = row.lastBlock;
            any = true;
        }
    }
    if (any && lastAobBlock < held)
        addProblem(LAST_TITLESET_SECTOR_AT,
                   tr("the header ends the audio objects at block %1, the AOB files hold "
                      "blocks up to %2").arg(lastAobBlock).arg(held));
}

DVDATitleset::~DVDATitleset()
{
    for (DVDATitle *title : titles)
        delete title;
    for (AobFileEntry &row : aobFiles)
        row.file.close();
}

void DVDATitleset::probeAobFiles(const QDir &zoneDir)
{
    quint32 running = 0;
    for (int m = 0; m < 9; ++m) {
        AobFileEntry &row = aobFiles[m];
        row.file.setFileName(zoneDir.filePath(QString::asprintf("ATS_%02d_%01d.AOB", number, m + 1)));
        row.firstBlock = running;
        if (row.file.open(QIODevice::ReadOnly)) {
            // A trailing partial block is not addressable.
            running += quint32(row.file.size() / BLOCK_SIZE);
            row.present = true;
            row.file.close();
        } else {
            // An absent file keeps its place in the numbering.
            running += ABSENT_AOB_BLOCKS;
        }
        row.lastBlock = running - 1;
    }
}

void DVDATitleset::parseTitleTable(const QByteArray &bytes)
{
    const quint64 read = quint64(bytes.size());
    if (read < TABLE_HEADER_SIZE) {
        addProblem(TITLE_TABLE_START, tr("title table cut short: %1 of at least %2 bytes")
                                          .arg(read).arg(int(TABLE_HEADER_SIZE)));
        return;
    }
    const auto *t = reinterpret_cast<const uchar *>(bytes.constData());
    const TitleTable table{t, qMin(quint64(be32(t + 4)) + 1, read), {}};
    const int titleCount = qMin(int(be16(t)), int(MAX_TITLES));
    if (be16(t) > MAX_TITLES)
        addProblem(TITLE_TABLE_START, tr("%1 titles claimed, only the first %2 are read")
                                          .arg(be16(t)).arg(int(MAX_TITLES)));

    for (int k = 0; k < titleCount; ++k) {
        const quint64 entry = TABLE_HEADER_SIZE + quint64(SEARCH_ENTRY_SIZE) * k;
        if (!table.holds(entry, SEARCH_ENTRY_SIZE)) {
            addPastTable(entry, tr("search entry of title %1").arg(k + 1), table);
            return;
        }
        const quint64 record = be32(t + entry + 4);
        if (!table.holds(record, TITLE_RECORD_SIZE)) {
            addPastTable(record, tr("record of title %1").arg(k + 1), table);
            return;
        }

        auto *title = new DVDATitle;
        title->titleId = t[entry];
        title->lengthPts = be32(t + record + 4);
        titles.push_back(title);

        const bool complete = parseTitle(title, table, record);
        // Tracks already built get their stream description even when the table is cut
        // inside their title: their indexes are readable, so they are extractable.
        for (DVDATrack *track : title->tracks)
            fillStreamInfo(track, track->firstBlock(), table);
        if (!complete)
            return;
    }
}

bool DVDATitleset::parseTitle(DVDATitle *title, const TitleTable &table, quint64 record)
{
    const uchar *t = table.bytes;
    const int trackCount = qMin(int(t[record + 2]), int(MAX_TRACKS_PER_TITLE));
    const int indexCount = t[record + 3];
    const int titleNumber = int(titles.size()); // the title is appended already
    if (t[record + 2] > MAX_TRACKS_PER_TITLE)
        addProblem(TITLE_TABLE_START + qint64(record) + 2,
                   tr("%1 tracks claimed in title %2, only the first %3 are read")
                       .arg(t[record + 2]).arg(titleNumber).arg(int(MAX_TRACKS_PER_TITLE)));

    for (int n = 0; n < trackCount; ++n) {
        const quint64 at = record + TITLE_RECORD_SIZE + quint64(TRACK_RECORD_SIZE) * n;
        if (!table.holds(at, TRACK_RECORD_SIZE)) {
            addPastTable(at, tr("track record %1 of title %2").arg(n + 1).arg(titleNumber), table);
            return false;
        }
        auto *track = new DVDATrack;
        track->number = n + 1;
        track->firstIndexNumber = t[at + 4];
        track->lengthPts = be32(t + at + 10);
        title->tracks.push_back(track);
    }

    const quint64 indexTable = record + be16(t + record + 12);
    const auto &tracks = title->tracks;
    for (int i = 0; i < indexCount; ++i) {
        const quint64 at = indexTable + quint64(INDEX_ENTRY_SIZE) * i;
        if (!table.holds(at, INDEX_ENTRY_SIZE)) {
            addPastTable(at, tr("index entry %1 of title %2").arg(i + 1).arg(titleNumber), table);
            return false;
        }
        const int indexNumber = i + 1;
        // An index belongs to the first track whose range of index numbers holds it; on a
        // well-formed disc that is the only one, a damaged one may name several (giving it
        // to each would multiply the indexes by the tracks).
        for (size_t j = 0; j < tracks.size(); ++j) {
            const int from = tracks[j]->firstIndexNumber;
            const int next = j + 1 < tracks.size() ? tracks[j + 1]->firstIndexNumber : 0;
            if (indexNumber < from || (next != 0 && indexNumber >= next))
                continue;
            auto *index = new DVDASectorPointer;
            index->number = indexNumber;
            index->first = be32(t + at + 4);
            index->last = be32(t + at + 8);
            fillStreamInfo(index, index->first, table);
            tracks[j]->indexes.push_back(index);
            break;
        }
    }
    return true;
}

void DVDATitleset::fillStreamInfo(AOBObject *object, quint32 block, const TitleTable &table)
{
    // Objects that start at the same block (a track and its first index, titles sharing
    // one record) read it once.
    const auto known = table.infoByBlock.constFind(block);
    if (known != table.infoByBlock.constEnd()) {
        object->streamInfo = *known;
        return;
    }
    std::vector<quint8> packs(size_t(STREAM_INFO_BLOCKS) * BLOCK_SIZE);
    int count = 0;
    if (readBlocks(block, STREAM_INFO_BLOCKS, packs.data(), &count) != 0)
        count = 0;
    readStreamInfo(object->streamInfo, packs.data(), count);
    object->streamInfo.dropPayload();
    table.infoByBlock.insert(block, object->streamInfo);
}

int DVDATitleset::readBlock(quint32 block, quint8 *buffer)
{
    QMutexLocker lock(&ioMutex);
    for (AobFileEntry &row : aobFiles) {
        if (!holdsWholeBlock(row) || block < row.firstBlock || block > row.lastBlock)
            continue;
        if (!row.file.isOpen() && !row.file.open(QIODevice::ReadOnly))
            return ErrOpenAobFile;
        if (!row.file.seek(qint64(block - row.firstBlock) * BLOCK_SIZE))
            return ErrSeekAobFile;
        if (row.file.read(reinterpret_cast<char *>(buffer), BLOCK_SIZE) != BLOCK_SIZE)
            return ErrReadAobFile;
        return 0;
    }
    return ErrBlockNotFound;
}

int DVDATitleset::readBlocks(quint32 first, int count, quint8 *buffer, int *read)
{
    int done = 0;
    for (int i = 0; i < count; ++i) {
        const quint64 block = quint64(first) + quint64(i); // never wraps back to block 0
        if (block > lastAobBlock)
            break;
        if (readBlock(quint32(block), buffer + size_t(i) * BLOCK_SIZE) != 0)
            break;
        ++done;
    }
    if (read)
        *read = done;
    return done > 0 ? 0 : int(ErrBlockNotFound);
}
