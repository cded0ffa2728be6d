#include "zone/dvdatitleset.h"

#include <QCoreApplication>
#include <QHash>
#include <QMutexLocker>
#include <QtEndian>

#include "stream/packetreader.h"
#include "zone/folderzonesource.h"

namespace {

enum {
    INFO_HEADER_SIZE = 640,
    TITLE_TABLE_START = 2048,
    STREAM_INFO_BLOCKS = 16,
    // The largest title table a disc can hold: 99 titles of 99 tracks and 255 indexes are
    // about 500 KiB. A file claiming more is damaged; only this much of it is read.
    MAX_TITLE_TABLE_BYTES = 1 << 20,
};
// An AOB part larger than a dual-layer disc cannot be one; its size is damage (and block
// arithmetic on it would overflow).
constexpr qint64 MAX_AOB_BYTES = qint64(1) << 33;
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

} // namespace

// The title table with its usable length. Every bound is checked in 64 bits so that a
// damaged 32-bit offset near the top of its range ends the parse instead of wrapping.
struct DVDATitleset::TitleTable {
    const uchar *bytes;
    quint64 length;
    [[nodiscard]] bool holds(quint64 offset, quint64 size) const { return offset + size <= length; }
    // Where the last record the counts describe ends.
    mutable quint64 describedEnd = 8;
    void describes(quint64 offset, quint64 size) const { describedEnd = qMax(describedEnd, offset + size); }
    // The stream descriptions read so far during the parse, by first block.
    mutable QHash<quint32, StreamInfo> infoByBlock;
};

DVDATitleset::DVDATitleset(std::shared_ptr<ZoneSource> zoneSource, int position, bool backup)
    : number(position + 1), infoName(QString::asprintf(backup ? "ATS_%02d_0.BUP" : "ATS_%02d_0.IFO", position + 1)),
      source(std::move(zoneSource))
{
    const std::unique_ptr<ZoneFile> info = source->open(infoName);
    if (!info) {
        addProblem(-1, tr("cannot open the information file (missing, or not a regular file)"));
        return;
    }
    const QByteArray header = info->read(0, INFO_HEADER_SIZE);
    if (header.size() < INFO_HEADER_SIZE) {
        addProblem(0, tr("header cut short: %1 of %2 bytes").arg(header.size()).arg(int(INFO_HEADER_SIZE)));
        return;
    }
    if (!header.startsWith(INFO_MAGIC)) {
        addProblem(0, tr("not a titleset information file (no \"%1\" at the start)")
                          .arg(QLatin1String(INFO_MAGIC)));
        return;
    }

    probeAobFiles();

    const auto *h = reinterpret_cast<const uchar *>(header.constData());
    contentKind = be32(h + VIDEO_OBJECTS_AT) == 0 ? TitlesetAudio : TitlesetVideo;
    // A titleset with audio objects of its own is audio, whatever that field says.
    bool hasAob = false;
    for (const AobFileEntry &row : aobFiles)
        hasAob = hasAob || row.heldBlocks > 0;
    if (contentKind == TitlesetVideo && hasAob) {
        contentKind = TitlesetAudio;
        addProblem(VIDEO_OBJECTS_AT, tr("the header says its objects lie in the VIDEO_TS folder, but it has "
                                        "AOB files: read as an audio titleset"), false);
    }
    // The information file and its backup each take (sector at 28) + 1 sectors.
    lastAobBlock = be32(h + LAST_TITLESET_SECTOR_AT) - 2 * be32(h + LAST_INFO_SECTOR_AT) - 2;

    if (contentKind == TitlesetAudio)
        checkAobArea();

    // The header says how many sectors the file has: a shorter file lost its end, and
    // with it the title table or part of it.
    const qint64 size = info->size();
    const qint64 lastSector = be32(h + LAST_INFO_SECTOR_AT);
    if (size < (lastSector + 1) * BLOCK_SIZE)
        addProblem(size, tr("file cut short: %1 bytes, where its header gives it %2 sectors")
                             .arg(size).arg(lastSector + 1));
    else if (size > (lastSector + 1) * BLOCK_SIZE)
        addProblem(-1, tr("file of %1 bytes, where its header gives it %2 sectors: only its title "
                          "table is read").arg(size).arg(lastSector + 1), false);
    if (size <= TITLE_TABLE_START) {
        addProblem(size, tr("no title table: the file ends at byte %1").arg(size));
        return;
    }
    // What the table says it needs, never more than a disc's table can be.
    const QByteArray tableHeader = info->read(TITLE_TABLE_START, 8);
    qint64 wanted = size - TITLE_TABLE_START;
    if (tableHeader.size() == 8)
        wanted = qMin(wanted, qint64(be32(reinterpret_cast<const uchar *>(tableHeader.constData()) + 4)) + 1);
    if (wanted > MAX_TITLE_TABLE_BYTES) {
        addProblem(TITLE_TABLE_START, tr("title table of %1 bytes, more than a disc holds: only the "
                                         "first %2 are read").arg(wanted).arg(int(MAX_TITLE_TABLE_BYTES)));
        wanted = MAX_TITLE_TABLE_BYTES;
    }
    parseTitleTable(info->read(TITLE_TABLE_START, qMax<qint64>(wanted, 8)));
    // Blocks that no index covers, unless damage named above accounts for them already.
    bool hidden = false;
    for (const ZoneProblem &problem : problems)
        hidden = hidden || problem.hidesObjects;
    if (contentKind == TitlesetAudio && !hidden)
        checkCoverage();
}

DVDATitleset::DVDATitleset(const QDir &zoneDir, int position)
    : DVDATitleset(std::make_shared<FolderZoneSource>(zoneDir), position)
{
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

void DVDATitleset::addProblem(qint64 offset, const QString &what, bool hidesObjects)
{
    problems.push_back({infoName, offset, what, hidesObjects, number});
}

void DVDATitleset::addFileProblem(const QString &file, const QString &what)
{
    problems.push_back({file, -1, what, false, number});
}

// The header's last block against what the AOB files hold. Blocks held past it are out of
// reach of every object: a damaged header hides them. Blocks it claims that no file holds
// were cut off a part or are in a part that is missing; a cut part before the last keeps
// the block numbers the header gives the parts after it, so that their packs are read for
// their own objects and never for those of the blocks cut away.
void DVDATitleset::checkAobArea()
{
    int last = -1;
    for (int m = 0; m < 9; ++m)
        if (aobFiles[m].heldBlocks > 0)
            last = m;
    if (last < 0)
        return;
    for (int m = 0; m < last; ++m)
        if (!aobFiles[m].present)
            addFileProblem(aobFiles[m].name, tr("missing: blocks %1-%2 are in no file")
                                                 .arg(aobFiles[m].firstBlock).arg(aobFiles[m].lastBlock));
    const quint32 held = aobFiles[last].firstBlock + aobFiles[last].heldBlocks - 1;
    if (lastAobBlock < held) {
        addProblem(LAST_TITLESET_SECTOR_AT,
                   tr("the header ends the audio objects at block %1, the AOB files hold "
                      "blocks up to %2").arg(lastAobBlock).arg(held));
        return;
    }
    if (lastAobBlock == held)
        return;
    const quint32 missing = lastAobBlock - held;
    // A part before the last that is not full (parts are 524272 blocks but the last) lost
    // its end.
    int cut = -1;
    for (int m = 0; m < last && cut < 0; ++m)
        if (aobFiles[m].heldBlocks > 0 && aobFiles[m].heldBlocks < ABSENT_AOB_BLOCKS)
            cut = m;
    if (cut >= 0) {
        AobFileEntry &row = aobFiles[cut];
        addFileProblem(row.name, tr("cut short: %1 blocks, %2 expected (the header ends the audio "
                                    "objects at block %3)").arg(row.heldBlocks)
                                     .arg(quint64(row.heldBlocks) + missing).arg(lastAobBlock));
        row.lastBlock += missing;
        for (int m = cut + 1; m < 9; ++m) {
            aobFiles[m].firstBlock += missing;
            aobFiles[m].lastBlock += missing;
        }
        return;
    }
    // Else the part after the last one with data is missing, or that one was cut short.
    if (last + 1 < 9 && !aobFiles[last + 1].present) {
        shortfall = tr("%1 is cut short or %2 is missing").arg(aobFiles[last].name, aobFiles[last + 1].name);
        addFileProblem(aobFiles[last + 1].name, tr("blocks %1-%2 are in no file: %3")
                                                    .arg(held + 1).arg(lastAobBlock).arg(shortfall));
        return;
    }
    shortfall = tr("%1 is cut short").arg(aobFiles[last].name);
    addFileProblem(aobFiles[last].name, tr("cut short: blocks %1-%2 are in no file")
                                            .arg(held + 1).arg(lastAobBlock));
}

DVDATitleset::~DVDATitleset() = default;

void DVDATitleset::probeAobFiles()
{
    qint64 sizes[9];
    for (int m = 0; m < 9; ++m) {
        AobFileEntry &row = aobFiles[m];
        row.name = QString::asprintf("ATS_%02d_%01d.AOB", number, m + 1);
        // The file is opened again on first use.
        const std::unique_ptr<ZoneFile> file = source->open(row.name);
        row.present = file != nullptr;
        sizes[m] = file ? file->size() : 0;
        if (sizes[m] > MAX_AOB_BYTES || sizes[m] < 0) {
            addFileProblem(row.name, tr("%1 bytes, more than a disc holds: no block is read from it")
                                         .arg(sizes[m]));
            sizes[m] = 0;
            row.oversized = true;
        }
        if (sizes[m] > 0)
            lastDataPart = m;
    }
    quint32 running = 0;
    for (int m = 0; m < 9; ++m) {
        AobFileEntry &row = aobFiles[m];
        row.firstBlock = running;
        row.heldBlocks = quint32(sizes[m] / BLOCK_SIZE);
        if (sizes[m] == 0) {
            // An absent or empty file keeps its place in the numbering.
            running += ABSENT_AOB_BLOCKS;
        } else if (m == lastDataPart) {
            // A trailing partial block of the last file is not addressable.
            running += row.heldBlocks;
        } else {
            // A file before the last one keeps its size rounded up to whole blocks: a cut
            // one must not move the blocks of the files after it.
            running += quint32((sizes[m] + BLOCK_SIZE - 1) / BLOCK_SIZE);
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
    const TitleTable table{t, qMin(quint64(be32(t + 4)) + 1, read), 8, {}};
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
        table.describes(entry, SEARCH_ENTRY_SIZE);
        const quint64 record = be32(t + entry + 4);
        if (!table.holds(record, TITLE_RECORD_SIZE)) {
            addPastTable(record, tr("record of title %1").arg(k + 1), table);
            return;
        }
        table.describes(record, TITLE_RECORD_SIZE);

        DVDATitle *title = titles.add(std::make_unique<DVDATitle>());
        title->titleId = t[entry];
        title->lengthPts = be32(t + record + 4);

        const bool complete = parseTitle(title, table, record);
        // Tracks already built get their stream description even when the table is cut
        // inside their title: their indexes are readable, so they are extractable.
        for (DVDATrack *track : title->tracks) {
            fillStreamInfo(track, track->firstBlock(), table);
            track->shareLength();
        }
        if (!complete)
            return;
    }
    checkTableEnd(table.length, table.describedEnd);
}

bool DVDATitleset::parseTitle(DVDATitle *title, const TitleTable &table, quint64 record)
{
    const uchar *t = table.bytes;
    const int trackCount = qMin(int(t[record + 2]), int(MAX_TRACKS_PER_TITLE));
    const int indexCount = t[record + 3];
    const int titleNumber = int(titles.size()); // the title is appended already
    if (trackCount == 0)
        addProblem(TITLE_TABLE_START + qint64(record) + 2, tr("title %1 has no tracks").arg(titleNumber));
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
        table.describes(at, TRACK_RECORD_SIZE);
        DVDATrack *track = title->tracks.add(std::make_unique<DVDATrack>());
        track->number = n + 1;
        // A track record defines only byte 4 (its first index entry) and bytes 10-13 (its
        // length in 90 kHz ticks); the rest is unused, and authoring fills it with anything.
        track->firstIndexNumber = t[at + 4];
        track->lengthPts = be32(t + at + 10);
    }

    const quint64 indexTable = record + be16(t + record + 12);
    const auto &tracks = title->tracks;
    std::vector<std::pair<quint32, quint32>> entries; // in table order
    for (int i = 0; i < indexCount; ++i) {
        const quint64 at = indexTable + quint64(INDEX_ENTRY_SIZE) * i;
        if (!table.holds(at, INDEX_ENTRY_SIZE)) {
            addPastTable(at, tr("index entry %1 of title %2").arg(i + 1).arg(titleNumber), table);
            return false;
        }
        table.describes(at, INDEX_ENTRY_SIZE);
        entries.emplace_back(be32(t + at + 4), be32(t + at + 8));
        const int indexNumber = i + 1;
        // An index belongs to the first track whose range of index numbers holds it; on a
        // well-formed disc that is the only one, a damaged one may name several (giving it
        // to each would multiply the indexes by the tracks).
        for (size_t j = 0; j < tracks.size(); ++j) {
            const int from = tracks[j]->firstIndexNumber;
            const int next = j + 1 < tracks.size() ? tracks[j + 1]->firstIndexNumber : 0;
            if (indexNumber < from || (next != 0 && indexNumber >= next))
                continue;
            DVDASectorPointer *index = tracks[j]->indexes.add(std::make_unique<DVDASectorPointer>());
            index->number = indexNumber;
            index->first = be32(t + at + 4);
            index->last = be32(t + at + 8);
            fillStreamInfo(index, index->first, table);
            break;
        }
    }
    checkTitle(*title, TITLE_TABLE_START + qint64(record), entries);
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
    if (readBlocks(block, STREAM_INFO_BLOCKS, packs.data(), &count).failed())
        count = 0;
    readStreamInfo(object->streamInfo, packs.data(), count);
    object->streamInfo.dropPayload();
    table.infoByBlock.insert(block, object->streamInfo);
}

Result DVDATitleset::unreadableReason(int part, quint32 block) const
{
    const AobFileEntry &row = aobFiles[part];
    const QString where = QStringLiteral("%1, block %2").arg(row.name).arg(block);
    // Without a valid information file the table was never built.
    if (row.name.isEmpty())
        return ResultCode::BlockNotFound;
    // Past the last file that has data there is nothing to read; but when no file has
    // any, the blocks the header claims are in files that are missing.
    if (part > lastDataPart && !(lastDataPart < 0 && block <= lastAobBlock))
        return notHeld(block);
    if (!row.present)
        return Result(ResultCode::OpenAobFile, where);
    // A file cut short, or empty, before the last one; or one whose size is damage.
    if (row.oversized || block - row.firstBlock >= row.heldBlocks)
        return Result(ResultCode::ReadAobFile, where);
    return ResultCode::Succeeded;
}

Result DVDATitleset::notHeld(quint64 block) const
{
    if (!shortfall.isEmpty() && block <= lastAobBlock)
        return Result(ResultCode::ReadAobFile, tr("block %1: %2").arg(block).arg(shortfall));
    return Result(ResultCode::BlockNotFound, tr("block %1").arg(block));
}

Result DVDATitleset::readRun(quint32 first, int count, quint8 *buffer, int *read)
{
    QMutexLocker lock(&ioMutex);
    int done = 0;
    Result result;
    while (done < count && result.ok()) {
        const quint64 block = quint64(first) + quint64(done);
        if (block > 0xFFFFFFFFu) {
            result = notHeld(block);
            break;
        }
        int part = 0;
        while (part < 9 && !(block >= aobFiles[part].firstBlock && block <= aobFiles[part].lastBlock
                             && aobFiles[part].lastBlock + 1 != aobFiles[part].firstBlock))
            ++part;
        if (part == 9) {
            result = notHeld(block);
            break;
        }
        result = unreadableReason(part, quint32(block));
        if (result.failed())
            break;
        AobFileEntry &row = aobFiles[part];
        if (!row.file)
            row.file = source->open(row.name);
        if (!row.file) {
            result = Result(ResultCode::OpenAobFile, row.name);
            break;
        }
        const quint32 offset = quint32(block) - row.firstBlock;
        const int wanted = int(qMin<quint64>(quint64(count - done), row.heldBlocks - offset));
        const int got = row.file->readBlocks(offset, wanted, buffer + size_t(done) * BLOCK_SIZE);
        done += qMax(0, got);
        if (got < wanted)
            result = Result(ResultCode::ReadAobFile,
                            QStringLiteral("%1, block %2").arg(row.name).arg(block + quint64(qMax(0, got))));
    }
    if (read)
        *read = done;
    return result;
}

QString DVDATitleset::fileOfBlock(quint32 block) const
{
    for (const AobFileEntry &row : aobFiles)
        if (block >= row.firstBlock && block <= row.lastBlock && row.lastBlock + 1 != row.firstBlock)
            return row.name;
    return QString();
}

Result DVDATitleset::readBlock(quint32 block, quint8 *buffer)
{
    return readRun(block, 1, buffer, nullptr);
}

Result DVDATitleset::readBlocks(quint32 first, int count, quint8 *buffer, int *read)
{
    // The run is cut at lastAobBlock; a block number never wraps back to 0.
    const int bounded = first > lastAobBlock
                            ? 0
                            : int(qMin<quint64>(quint64(qMax(count, 0)), quint64(lastAobBlock) - first + 1));
    int done = 0;
    // A run cut short by a block that cannot be read still gives the blocks before it;
    // why it ended is not passed on.
    const bool whole = bounded > 0 && readRun(first, bounded, buffer, &done).ok();
    if (read)
        *read = done;
    return whole || done > 0 ? ResultCode::Succeeded : ResultCode::BlockNotFound;
}

quint64 DVDATitleset::heldBlocksIn(quint32 first, quint32 last) const
{
    const quint64 end = qMin(last, lastAobBlock);
    quint64 held = 0;
    for (const AobFileEntry &row : aobFiles) {
        if (!row.present || row.oversized || row.heldBlocks == 0)
            continue;
        const quint64 from = qMax<quint64>(first, row.firstBlock);
        const quint64 to = qMin<quint64>(end, quint64(row.firstBlock) + row.heldBlocks - 1);
        if (to >= from)
            held += to - from + 1;
    }
    return held;
}
