// Reading ATS_nn_0.IFO: header fields, the title table and its bounds, which indexes
// go to which track, and the stream description every track and index gets.
#include <QtTest>
#include <limits>
#include <memory>

#include <sys/resource.h>

#include "testzone/mlpencoder.h"
#include "testzone/resultcompare.h"
#include "testzone/packs.h"
#include "testzone/testzone.h"
#include "zone/dvdazone.h"
#include "zone/folderzonesource.h"
#include "zone/zoneproblem.h"

using namespace testzone;

namespace {

// Stereo 24-bit 96 kHz linear PCM.
const packs::PcmFormat PCM_24_96{0x20, 0x11, 1};

// n packs of PCM audio in the given format.
QByteArray pcmPacks(int n, const packs::PcmFormat &format = PCM_24_96)
{
    const packs::StreamLayout layout = packs::pcmLayout(format);
    QByteArray audio(n * 1900, '\0');
    for (int i = 0; i < audio.size(); ++i)
        audio[i] = char(i * 13);
    packs::PackedStream stream = packs::packStream(audio, layout);
    return stream.packs.left(n * BLOCK_BYTES);
}

struct Opened {
    explicit Opened(const Zone &description) : folder(description)
    {
        if (folder.ok())
            zone = std::make_unique<DVDAZone>(QDir(folder.path()));
    }
    const DVDATitleset *titleset() const { return zone->titlesets.at(0); }
    ZoneFolder folder;
    std::unique_ptr<DVDAZone> zone;
};

Zone zoneOf(const TitlesetInfo &info, const std::vector<AobFile> &files)
{
    Zone zone;
    Titleset &titleset = zone.titlesets.emplace_back();
    titleset.info = info;
    titleset.aobFiles = files;
    return zone;
}

using RecordedSizes = QHash<QString, qint64>;

// A zone file whose file system entry records another size than the data it has.
class MisrecordedFile : public ZoneFile {
public:
    MisrecordedFile(std::unique_ptr<ZoneFile> data, qint64 recorded) : real(std::move(data)), claimed(recorded) {}
    qint64 size() const override { return claimed; }
    int readBlocks(quint32 first, int count, quint8 *buffer) override { return real->readBlocks(first, count, buffer); }
    QByteArray read(qint64 offset, qint64 length) override { return real->read(offset, length); }

private:
    std::unique_ptr<ZoneFile> real;
    qint64 claimed;
};

// The zone folder's files, some of them with misrecorded sizes.
class MisrecordedSource : public ZoneSource {
public:
    MisrecordedSource(const QDir &dir, const RecordedSizes &recorded) : folder(dir), sizes(recorded) {}
    std::unique_ptr<ZoneFile> open(const QString &name) override
    {
        std::unique_ptr<ZoneFile> file = folder.open(name);
        if (!file || !sizes.contains(name))
            return file;
        return std::make_unique<MisrecordedFile>(std::move(file), sizes.value(name));
    }

private:
    FolderZoneSource folder;
    RecordedSizes sizes;
};

// Three titles of two tracks each; track 1 has index 1, track 2 indexes 2 and 3.
TitlesetInfo threeTitles()
{
    TitlesetInfo info;
    for (quint32 k = 0; k < 3; ++k) {
        const quint32 b = 10 * k;
        info.titles.push_back(makeTitle({{90000, {{b, b + 1}}}, {90000, {{b + 2, b + 3}, {b + 4, b + 9}}}}));
    }
    return info;
}

} // namespace

class TitlesetInfoTest : public QObject {
    Q_OBJECT

private slots:
    void headerFields_data();
    void headerFields();
    void unusableInformationFile_data();
    void unusableInformationFile();
    void noTitleTable_data();
    void noTitleTable();
    void damagedSizesAreNamed_data();
    void damagedSizesAreNamed();
    void recordFieldsReachTheTree();
    void indexesGoToTracks_data();
    void indexesGoToTracks();
    void tableBounds_data();
    void tableBounds();
    void streamInfoComesFromEachObjectsFirstBlocks();
    void hostileTablesStayBounded_data();
    void hostileTablesStayBounded();
};

void TitlesetInfoTest::headerFields_data()
{
    QTest::addColumn<qint64>("lastSector");
    QTest::addColumn<qint64>("lastInfoSector");
    QTest::addColumn<quint32>("videoObjects");
    QTest::addColumn<quint32>("lastAobBlock");
    QTest::addColumn<TitlesetKind>("kind");

    QTest::newRow("audio") << qint64(1000) << qint64(3) << 0u << 992u << TitlesetAudio;
    QTest::newRow("video") << qint64(1000) << qint64(3) << 1u << 992u << TitlesetVideo;
    QTest::newRow("video, high bit only") << qint64(0x10000) << qint64(0) << 0x80000000u << 0xFFFEu
                                          << TitlesetVideo;
    QTest::newRow("32-bit wrap") << qint64(5) << qint64(2) << 0u << 0xFFFFFFFFu << TitlesetAudio;
    QTest::newRow("largest values") << qint64(0xFFFFFFFF) << qint64(0x10) << 0u << 0xFFFFFFDDu
                                    << TitlesetAudio;
}

void TitlesetInfoTest::headerFields()
{
    QFETCH(qint64, lastSector);
    QFETCH(qint64, lastInfoSector);
    QFETCH(quint32, videoObjects);
    QFETCH(quint32, lastAobBlock);
    QFETCH(TitlesetKind, kind);

    TitlesetInfo info = threeTitles();
    info.lastSector = lastSector;
    info.lastInfoSector = lastInfoSector;
    info.videoObjects = videoObjects;
    Opened opened(zoneOf(info, {}));
    QVERIFY(opened.zone);
    QCOMPARE(opened.titleset()->contentKind, kind);
    QCOMPARE(opened.titleset()->lastAobBlock, lastAobBlock);
    QCOMPARE(int(opened.titleset()->titles.size()), 3); // a video titleset is parsed alike
}

void TitlesetInfoTest::unusableInformationFile_data()
{
    QTest::addColumn<TitlesetInfo>("info");
    TitlesetInfo missing = threeTitles();
    missing.present = false;
    QTest::newRow("missing") << missing;
    TitlesetInfo shortFile = threeTitles();
    shortFile.tweaks.size = 639;
    QTest::newRow("639 bytes") << shortFile;
    TitlesetInfo magic = threeTitles();
    magic.magic = "DVDAUDIO-AMG";
    QTest::newRow("manager magic") << magic;
}

void TitlesetInfoTest::unusableInformationFile()
{
    QFETCH(TitlesetInfo, info);
    Opened opened(zoneOf(info, {AobFile::ofBytes(pcmPacks(4))}));
    QVERIFY(opened.zone);
    const DVDATitleset *titleset = opened.titleset();
    QCOMPARE(titleset->contentKind, TitlesetUnknown);
    QVERIFY(titleset->titles.empty());
    for (const AobFileEntry &row : titleset->aobFiles) // not even probed
        QVERIFY(!row.present);
}

void TitlesetInfoTest::noTitleTable_data()
{
    QTest::addColumn<qint64>("size");
    QTest::addColumn<int>("titleCount");
    QTest::newRow("header only, 640 bytes") << qint64(640) << -1;
    QTest::newRow("one sector") << qint64(2048) << -1;
    QTest::newRow("table of 7 bytes") << qint64(2055) << -1;
    QTest::newRow("title count 0") << qint64(-1) << 0;
}

void TitlesetInfoTest::noTitleTable()
{
    QFETCH(qint64, size);
    QFETCH(int, titleCount);
    TitlesetInfo info = threeTitles();
    info.tweaks.size = size;
    info.titleCount = titleCount;
    info.lastAobBlock = 3;
    Opened opened(zoneOf(info, {AobFile::ofBytes(pcmPacks(4))}));
    QVERIFY(opened.zone);
    const DVDATitleset *titleset = opened.titleset();
    QVERIFY(titleset->titles.empty());
    QCOMPARE(titleset->contentKind, TitlesetAudio);
    QCOMPARE(titleset->lastAobBlock, 3u);
    QVERIFY(titleset->aobFiles[0].present);
    QCOMPARE(titleset->aobFiles[0].lastBlock, 3u);
}

// A file cut short or recorded with an impossible size is named as a problem, read only as
// far as a disc's file can be, and what it still holds is parsed.
void TitlesetInfoTest::damagedSizesAreNamed_data()
{
    QTest::addColumn<qint64>("cutTo");          // the information file's size; -1 whole
    QTest::addColumn<RecordedSizes>("recorded");
    QTest::addColumn<QStringList>("problems");
    QTest::addColumn<int>("titles");
    const QString twoSectors = QStringLiteral("where its header gives it 2 sectors");
    QTest::newRow("title table gone, one sector left") << qint64(2048) << RecordedSizes()
        << QStringList{"ATS_01_0.IFO, byte 2048: file cut short: 2048 bytes, " + twoSectors,
                       "ATS_01_0.IFO, byte 2048: no title table: the file ends at byte 2048"} << 0;
    QTest::newRow("header only") << qint64(640) << RecordedSizes()
        << QStringList{"ATS_01_0.IFO, byte 640: file cut short: 640 bytes, " + twoSectors,
                       "ATS_01_0.IFO, byte 640: no title table: the file ends at byte 640"} << 0;
    QTest::newRow("information file of 1 TB") << qint64(-1)
        << RecordedSizes{{"ATS_01_0.IFO", qint64(1) << 40}}
        << QStringList{"ATS_01_0.IFO: file of 1099511627776 bytes, " + twoSectors + ": only its title table is read"}
        << 3;
    QTest::newRow("AOB part of 2^63 - 1 bytes") << qint64(-1)
        << RecordedSizes{{"ATS_01_1.AOB", std::numeric_limits<qint64>::max()}}
        << QStringList{"ATS_01_1.AOB: 9223372036854775807 bytes, more than a disc holds: no block is read from it"}
        << 3;
}

void TitlesetInfoTest::damagedSizesAreNamed()
{
    QFETCH(qint64, cutTo);
    QFETCH(RecordedSizes, recorded);
    QFETCH(QStringList, problems);
    QFETCH(int, titles);
    TitlesetInfo info = threeTitles();
    info.tweaks.size = cutTo;
    ZoneFolder folder(zoneOf(info, {AobFile::ofBytes(pcmPacks(30))}));
    QVERIFY(folder.ok());
    rusage before{};
    getrusage(RUSAGE_SELF, &before);
    DVDAZone zone(std::make_shared<MisrecordedSource>(QDir(folder.path()), recorded));
    rusage after{};
    getrusage(RUSAGE_SELF, &after);
    QStringList texts;
    for (const ZoneProblem &problem : zoneProblems(&zone))
        texts << problemText(problem);
    QCOMPARE(texts, problems);
    QCOMPARE(int(zone.titlesets.at(0)->titles.size()), titles);
    QVERIFY(after.ru_maxrss - before.ru_maxrss < 64 * 1024);
    // No block of a part whose size is damage is read; the failure names it.
    quint8 block[BLOCK_BYTES];
    if (recorded.contains("ATS_01_1.AOB")) {
        const Result read = zone.titlesets.at(0)->readBlock(0, block);
        QCOMPARE(codeOf(read), int(ResultCode::ReadAobFile));
        QCOMPARE(read.where(), QString("ATS_01_1.AOB, block 0"));
    }
}

void TitlesetInfoTest::recordFieldsReachTheTree()
{
    TitlesetInfo info;
    Title title;
    title.titleId = 0x83; // title 3 with its tag bit
    title.lengthPts = 0x12345678;
    title.tracks = {{1, 0x0A0B0C0D}, {2, 0xFEDCBA98}};
    title.indexes = {{0x01020304, 0x05060708}, {0xA0000000, 0xFFFFFFFF}};
    info.titles = {title};
    Opened opened(zoneOf(info, {}));
    QVERIFY(opened.zone);
    QCOMPARE(int(opened.titleset()->titles.size()), 1);
    const DVDATitle *read = opened.titleset()->titles[0];
    QCOMPARE(read->titleId, 0x83);
    QCOMPARE(read->lengthPts, 0x12345678u);
    QCOMPARE(int(read->tracks.size()), 2);
    const DVDATrack *first = read->tracks[0];
    const DVDATrack *second = read->tracks[1];
    QCOMPARE(first->number, 1);
    QCOMPARE(first->firstIndexNumber, 1);
    QCOMPARE(first->lengthPts, 0x0A0B0C0Du);
    QCOMPARE(second->number, 2);
    QCOMPARE(second->firstIndexNumber, 2);
    QCOMPARE(second->lengthPts, 0xFEDCBA98u);
    QCOMPARE(int(first->indexes.size()), 1);
    QCOMPARE(first->indexes[0]->number, 1);
    QCOMPARE(first->indexes[0]->first, 0x01020304u);
    QCOMPARE(first->indexes[0]->last, 0x05060708u);
    QCOMPARE(int(second->indexes.size()), 1);
    QCOMPARE(second->indexes[0]->number, 2);
    QCOMPARE(second->indexes[0]->first, 0xA0000000u);
    QCOMPARE(second->indexes[0]->last, 0xFFFFFFFFu);
}

void TitlesetInfoTest::indexesGoToTracks_data()
{
    QTest::addColumn<QList<int>>("firstIndexNumbers");
    QTest::addColumn<int>("entries");
    QTest::addColumn<QList<QList<int>>>("expected"); // index numbers of each track

    QTest::newRow("1,3,4 with 5") << QList<int>{1, 3, 4} << 5
                                  << QList<QList<int>>{{1, 2}, {3}, {4, 5}};
    QTest::newRow("1,1 with 2") << QList<int>{1, 1} << 2 << QList<QList<int>>{{}, {1, 2}};
    // Index 2 lies in the ranges of tracks 1 and 3: it belongs to the first.
    QTest::newRow("1,3,2 with 3") << QList<int>{1, 3, 2} << 3
                                  << QList<QList<int>>{{1, 2}, {}, {3}};
    QTest::newRow("2,3 with 3: index 1 has no track") << QList<int>{2, 3} << 3
                                                      << QList<QList<int>>{{2}, {3}};
    QTest::newRow("single track takes all") << QList<int>{1} << 4 << QList<QList<int>>{{1, 2, 3, 4}};
}

void TitlesetInfoTest::indexesGoToTracks()
{
    QFETCH(QList<int>, firstIndexNumbers);
    QFETCH(int, entries);
    QFETCH(QList<QList<int>>, expected);

    Title title;
    for (int f : firstIndexNumbers)
        title.tracks.push_back({quint8(f), 90000});
    for (int i = 0; i < entries; ++i) // index i + 1 covers blocks 100 (i+1) .. 100 (i+1) + 9
        title.indexes.push_back({quint32(100 * (i + 1)), quint32(100 * (i + 1) + 9)});
    TitlesetInfo info;
    info.titles = {title};
    Opened opened(zoneOf(info, {}));
    QVERIFY(opened.zone);

    const auto &tracks = opened.titleset()->titles.at(0)->tracks;
    QCOMPARE(int(tracks.size()), expected.size());
    std::vector<const DVDASectorPointer *> seen;
    for (int j = 0; j < expected.size(); ++j) {
        QList<int> numbers;
        for (const DVDASectorPointer *index : tracks[j]->indexes) {
            numbers << index->number;
            QCOMPARE(index->first, quint32(100 * index->number));
            QCOMPARE(index->last, quint32(100 * index->number + 9));
            seen.push_back(index);
        }
        QCOMPARE(numbers, expected[j]);
    }
    // No index is given to two tracks.
    std::sort(seen.begin(), seen.end());
    QVERIFY(std::adjacent_find(seen.begin(), seen.end()) == seen.end());
}

void TitlesetInfoTest::tableBounds_data()
{
    QTest::addColumn<TitlesetInfo>("info");
    QTest::addColumn<int>("titles");
    QTest::addColumn<int>("lastTitleTracks");
    QTest::addColumn<int>("lastTitleIndexes");

    const TitlesetInfo whole = threeTitles();
    const quint32 second = titleRecordOffset(whole, 1);
    const quint32 third = titleRecordOffset(whole, 2);
    QTest::newRow("whole table") << whole << 3 << 2 << 3;

    TitlesetInfo beyond = whole;
    beyond.lastByteOffset = 100000;
    QTest::newRow("last byte beyond the file") << beyond << 3 << 2 << 3;
    TitlesetInfo top = whole;
    top.lastByteOffset = 0xFFFFFFFF; // + 1 must not wrap to an empty table
    QTest::newRow("last byte offset 0xFFFFFFFF") << top << 3 << 2 << 3;

    TitlesetInfo inRecord = whole;
    inRecord.lastByteOffset = second + 14; // record 2 needs bytes up to second + 15
    QTest::newRow("cut in title record 2") << inRecord << 1 << 2 << 3;
    TitlesetInfo inTracks = whole;
    inTracks.lastByteOffset = second + 16 + 20 + 18;
    QTest::newRow("cut in track record 2 of title 2") << inTracks << 2 << 1 << 0;
    TitlesetInfo inIndexes = whole;
    inIndexes.lastByteOffset = second + 16 + 40 + 12 + 10;
    QTest::newRow("cut in index entry 2 of title 2") << inIndexes << 2 << 2 << 1;
    TitlesetInfo fileCut = whole;
    fileCut.tweaks.size = TITLE_TABLE_AT + third + 10; // a short read is a shorter table
    QTest::newRow("file ends in title record 3") << fileCut << 2 << 2 << 3;

    TitlesetInfo damagedRecord = whole;
    damagedRecord.titles[1].recordOffset = 0xFFFFFFF8;
    QTest::newRow("title record offset 0xFFFFFFF8") << damagedRecord << 1 << 2 << 3;
    TitlesetInfo damagedIndexTable = whole;
    damagedIndexTable.titles[1].indexTableOffset = 0xFFFF;
    QTest::newRow("index table offset past the table") << damagedIndexTable << 2 << 2 << 0;
    TitlesetInfo manyTracks = whole;
    manyTracks.titles[2].trackCount = 255;
    // Records are read over the index table until one passes the table's end.
    QTest::newRow("track count past the table") << manyTracks << 3 << 3 << 0;
}

void TitlesetInfoTest::tableBounds()
{
    QFETCH(TitlesetInfo, info);
    QFETCH(int, titles);
    QFETCH(int, lastTitleTracks);
    QFETCH(int, lastTitleIndexes);

    Opened opened(zoneOf(info, {AobFile::ofBytes(pcmPacks(30))}));
    QVERIFY(opened.zone);
    const auto &read = opened.titleset()->titles;
    QCOMPARE(int(read.size()), titles);
    for (int k = 0; k < titles; ++k) // the titles kept are the first ones, unchanged
        QCOMPARE(read[k]->titleId, k + 1);
    const DVDATitle *last = read.back();
    QCOMPARE(int(last->tracks.size()), lastTitleTracks);
    int indexes = 0;
    for (const DVDATrack *track : last->tracks)
        indexes += int(track->indexes.size());
    QCOMPARE(indexes, lastTitleIndexes);

    // Every object kept, also in a title the table cuts short, has its stream read.
    for (const DVDATitle *title : read) {
        for (const DVDATrack *track : title->tracks) {
            QCOMPARE(track->streamInfo.subStreamId, quint8(SUBSTREAM_PCM));
            for (const DVDASectorPointer *index : track->indexes)
                QCOMPARE(index->streamInfo.subStreamId, quint8(SUBSTREAM_PCM));
        }
    }
}

void TitlesetInfoTest::streamInfoComesFromEachObjectsFirstBlocks()
{
    // Blocks 0-9: PCM 16-bit 48 kHz mono; 10-19: PCM 24-bit 96 kHz stereo (file 1);
    // 20 on: MLP 16-bit 48 kHz stereo (file 2).
    const packs::PcmFormat mono16{0x00, 0x00, 0};
    QString error;
    const mlpencoder::MlpFormat mlp{1, 48000, 16};
    const QByteArray mlpStream =
        mlpencoder::encodeMlp(mlpencoder::testSignal(2, 40 * 200, 16), mlp, &error);
    QVERIFY2(!mlpStream.isEmpty(), qPrintable(error));
    const packs::PackedStream mlpPacks = packs::packStream(mlpStream, packs::mlpLayout());
    QVERIFY(mlpPacks.count >= 2);
    const quint32 mlpFirst = 20;
    const quint32 end = mlpFirst + quint32(mlpPacks.count); // first block past the files

    TitlesetInfo info;
    info.lastAobBlock = end - 1;
    // Track 1: its smallest first block is 2 although its first index starts at 10.
    // Track 2: MLP. Track 3: no index, so read from block 0. Track 4: blocks past the
    // files. Track 5: the last stereo block, whose run goes on into the MLP file.
    info.titles.push_back(makeTitle({{90000, {{10, 19}, {2, 9}}},
                                     {90000, {{mlpFirst, end - 1}}},
                                     {90000, {}},
                                     {90000, {{end, end + 5}}},
                                     {90000, {{19, 19}}}}));
    Opened opened(zoneOf(info, {AobFile::ofBytes(pcmPacks(10, mono16) + pcmPacks(10)),
                                AobFile::ofBytes(mlpPacks.packs)}));
    QVERIFY(opened.zone);
    const auto &tracks = opened.titleset()->titles.at(0)->tracks;
    QCOMPARE(int(tracks.size()), 5);
    QCOMPARE(tracks[0]->firstBlock(), 2u);

    struct Expected {
        const StreamInfo *info;
        int assignment, channels, rate, bits;
    };
    const Expected pcm[] = {
        {&tracks[0]->streamInfo, 0, 1, 48000, 16},
        {&tracks[0]->indexes[0]->streamInfo, 1, 2, 96000, 24},
        {&tracks[0]->indexes[1]->streamInfo, 0, 1, 48000, 16},
        {&tracks[2]->streamInfo, 0, 1, 48000, 16},
        {&tracks[4]->streamInfo, 1, 2, 96000, 24},
        {&tracks[4]->indexes[0]->streamInfo, 1, 2, 96000, 24},
    };
    for (const Expected &e : pcm) {
        QCOMPARE(e.info->subStreamId, quint8(SUBSTREAM_PCM));
        QCOMPARE(e.info->channelAssignment, e.assignment);
        QCOMPARE(e.info->group1Channels, e.channels);
        QCOMPARE(e.info->group1SampleRate, e.rate);
        QCOMPARE(e.info->group1Bits, e.bits);
        QCOMPARE(e.info->bitRate, e.channels * e.rate * e.bits);
        QCOMPARE(e.info->substreams, 1);
        QVERIFY(e.info->payloadLength > 0);
    }

    for (const StreamInfo *s : {&tracks[1]->streamInfo, &tracks[1]->indexes[0]->streamInfo}) {
        QCOMPARE(s->subStreamId, quint8(SUBSTREAM_MLP));
        QCOMPARE(s->majorSyncOffset, 0);
        QCOMPARE(s->channelAssignment, 1);
        QCOMPARE(s->group1Channels, 2);
        QCOMPARE(s->group1SampleRate, 48000);
        QCOMPARE(s->group1Bits, 16);
    }

    // Nothing readable: the record stays all zero.
    for (const StreamInfo *s : {&tracks[3]->streamInfo, &tracks[3]->indexes[0]->streamInfo}) {
        QCOMPARE(s->subStreamId, quint8(0));
        QCOMPARE(s->payloadLength, 0);
        QCOMPARE(s->channelAssignment, 0);
        QCOMPARE(s->group1Channels, 0);
    }
}

void TitlesetInfoTest::hostileTablesStayBounded_data()
{
    QTest::addColumn<int>("searchEntries");
    QTest::addColumn<int>("titles");
    // Every entry points at one record of 255 tracks and 255 indexes, every track's first
    // index number 0, so every index lies in every track's range.
    QTest::newRow("20 titles") << 20 << 20;
    QTest::newRow("65535 titles") << 65535 << 99;
}

void TitlesetInfoTest::hostileTablesStayBounded()
{
    QFETCH(int, searchEntries);
    QFETCH(int, titles);
    Title shared;
    for (quint32 k = 0; k < 255; ++k) {
        shared.tracks.push_back({0, 90000});
        shared.indexes.push_back({k, k});
    }
    TitlesetInfo info;
    info.tweaks.patches = {{TITLE_TABLE_AT, sharedRecordTable(shared, searchEntries)}};

    rusage before{};
    getrusage(RUSAGE_SELF, &before);
    Opened opened(zoneOf(info, {AobFile::ofBytes(pcmPacks(300))}));
    rusage after{};
    getrusage(RUSAGE_SELF, &after);
    QVERIFY(opened.zone);
    const auto &read = opened.titleset()->titles;
    QCOMPARE(int(read.size()), titles);
    for (const DVDATitle *title : read) {
        QCOMPARE(int(title->tracks.size()), 99);
        QCOMPARE(int(title->tracks[0]->indexes.size()), 255); // each index in one track only
        QCOMPARE(title->tracks[0]->streamInfo.subStreamId, quint8(SUBSTREAM_PCM));
    }
    // The peak resident size (KiB) grew by a few MB at most.
    QVERIFY2(after.ru_maxrss - before.ru_maxrss < 64 * 1024,
             qPrintable(QString::number(after.ru_maxrss - before.ru_maxrss)));
}

QTEST_GUILESS_MAIN(TitlesetInfoTest)
#include "tst_titlesetinfo.moc"
