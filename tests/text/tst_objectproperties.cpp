// The Parameter/Value rows of the properties pane for every kind of node, with the
// stream size estimate read from the object's blocks.
#include <QDir>
#include <QtTest>
#include <memory>

#include "testzone/dumpzone.h"
#include "testzone/mlpencoder.h"
#include "testzone/packs.h"
#include "zone/dvdazone.h"
#include "text/objectproperties.h"

namespace {
const packs::PcmFormat stereo16at48 = {0x00, 0x00, 1};

// "label=value" per row, in order.
QStringList rowsOf(DVDAObject *object)
{
    QStringList rows;
    for (const PropertyRow &row : objectProperties(object))
        rows << row.label + QLatin1Char('=') + row.value;
    return rows;
}

QStringList labelsOf(DVDAObject *object)
{
    QStringList labels;
    for (const PropertyRow &row : objectProperties(object))
        labels << row.label;
    return labels;
}

QString valueOf(DVDAObject *object, const QString &label)
{
    for (const PropertyRow &row : objectProperties(object))
        if (row.label == label)
            return row.value;
    return QStringLiteral("(no row)");
}

// One pack per entry, each carrying that many PCM audio bytes: the estimate's arithmetic
// on given amounts, which no authoring profile lays out.
QByteArray pcmPacks(const QList<int> &sizes, const packs::PcmFormat &format = stereo16at48)
{
    QByteArray all;
    packs::StreamLayout layout = packs::pcmLayout(format);
    layout.authored = false;
    for (int n : sizes)
        all += packs::packStream(dumpzone::pattern(n, n), layout).packs;
    return all;
}

struct OpenZone {
    explicit OpenZone(const testzone::Zone &description)
        : folder(description), zone(new DVDAZone(QDir(folder.path())))
    {
    }
    DVDATitle *title() const { return zone->titlesets.at(0)->titles.at(0); }
    DVDATrack *track(int k) const { return title()->tracks.at(size_t(k)); }
    testzone::ZoneFolder folder;
    std::unique_ptr<DVDAZone> zone;
};
} // namespace

class TestObjectProperties : public QObject {
    Q_OBJECT

private slots:
    void pcmTrack()
    {
        // Inner packs carry unequal amounts: the estimate takes the second for all of them.
        OpenZone open(dumpzone::consecutiveTracks(pcmPacks({1000, 1500, 500, 700, 300}), {0},
                                                  90000 * 60));
        QCOMPARE(rowsOf(open.track(0)),
                 QStringList({"Stream type=PCM",
                              "Track=1",
                              "Time=00:01:00",
                              "Time in PTS=5400000",
                              "Channel assignment id=1",
                              "Group 1 channel assignment=L-R",
                              "Group 1 sample rate=48000 Hz",
                              "Group 1 bit resolution=16 bit",
                              "Variable bit rate=No",
                              "Peak bit rate=1536000 bit/s",
                              "Substreams=1",
                              "First block=0",
                              "Last block=4",
                              "Size on disc=10240 bytes",
                              "Estimated stream size=5800 bytes",
                              "Original size=11520000 bytes",
                              "PCM compression=99.95 %",
                              "Disc space utilization=56.64 %"}));
    }

    void estimateByBlockCount_data()
    {
        QTest::addColumn<QList<int>>("sizes");
        QTest::addColumn<QString>("estimate");
        QTest::newRow("one block") << QList<int>{1200} << "1200 bytes";
        QTest::newRow("two blocks") << QList<int>{1200, 345} << "1545 bytes";
        QTest::newRow("three blocks") << QList<int>{1200, 345, 10} << "1555 bytes";
        QTest::newRow("many blocks") << QList<int>{1200, 345, 10, 2000, 2000, 7} << "2587 bytes";
    }

    void estimateByBlockCount()
    {
        QFETCH(QList<int>, sizes);
        QFETCH(QString, estimate);
        // A PCM track first, so the measured track does not start at block 0.
        const QByteArray before = pcmPacks({100, 100});
        OpenZone open(dumpzone::consecutiveTracks(before + pcmPacks(sizes), {0, 2}));
        QCOMPARE(valueOf(open.track(1), "Estimated stream size"), estimate);
        QCOMPARE(valueOf(open.track(1), "Size on disc"),
                 QString("%1 bytes").arg(2048 * sizes.size()));
    }

    void unreadableBlocksCountNothing()
    {
        // The track claims two blocks past the end of the file.
        OpenZone open(dumpzone::consecutiveTracks(pcmPacks({1000, 1500, 900}), {0}, 90000, 4));
        QCOMPARE(open.track(0)->lastBlock(), quint32(4));
        // Head 1000, tail unreadable, three inner blocks at 1500 each.
        QCOMPARE(valueOf(open.track(0), "Estimated stream size"),
                 QString("5500 bytes"));
    }

    void indexRows()
    {
        testzone::Zone description;
        testzone::Titleset &titleset = description.titlesets.emplace_back();
        titleset.info.titles.push_back(testzone::makeTitle(
            {{90000, {{0, 0}, {1, 2}}}, {180000, {{3, 3}}}}));
        titleset.aobFiles.push_back(testzone::AobFile::ofBytes(pcmPacks({800, 900, 1000, 1100})));
        OpenZone open(description);
        DVDASectorPointer *index = open.track(1)->indexes.at(0);
        const QStringList labels = labelsOf(index);
        QCOMPARE(labels.mid(0, 5),
                 QStringList({"Stream type", "Track", "Index", "Time", "Time in PTS"}));
        QCOMPARE(valueOf(index, "Track"), QString("2"));
        QCOMPARE(valueOf(index, "Index"), QString("3"));
        QCOMPARE(valueOf(index, "Estimated stream size"), QString("1100 bytes"));
        QCOMPARE(valueOf(open.track(0)->indexes.at(1), "Estimated stream size"),
                 QString("1900 bytes"));
        QVERIFY(!labelsOf(open.track(0)).contains("Index"));
    }

    void emptyStreamShowsTheAlwaysRows()
    {
        testzone::Zone description;
        testzone::Titleset &titleset = description.titlesets.emplace_back();
        titleset.info.titles.push_back(testzone::makeTitle({{90000, {{0, 1}}}}));
        titleset.aobFiles.push_back(testzone::AobFile::ofBytes(testzone::numberedBlocks(0, 2)));
        OpenZone open(description);
        QCOMPARE(rowsOf(open.track(0)->indexes.at(0)),
                 QStringList({"Stream type=Unknown", "Track=1", "Index=1", "Time=00:00:01",
                              "Time in PTS=90000", "First block=0", "Last block=1",
                              "Size on disc=4096 bytes"}));
    }

    void longAndZeroDurations()
    {
        OpenZone open(dumpzone::consecutiveTracks(pcmPacks({1000, 1000}), {0, 1}, 0x80000000u));
        QCOMPARE(valueOf(open.track(0), "Time in PTS"), QString("-2147483648"));

        // A time between whole seconds to the millisecond; the tree's label rounds it.
        OpenZone third(dumpzone::consecutiveTracks(pcmPacks({1000}), {0}, 90000 * 61 + 30000));
        QCOMPARE(valueOf(third.track(0), "Time"), QString("00:01:01.333"));
        QCOMPARE(third.track(0)->timeText(), QString("00:01:01"));

        OpenZone zero(dumpzone::consecutiveTracks(pcmPacks({1000}), {0}, 0));
        QCOMPARE(valueOf(zero.track(0), "Original size"), QString("0 bytes"));
        // No plain size to compare with: no percentage rather than a division by zero.
        QCOMPARE(valueOf(zero.track(0), "PCM compression"), QString("-"));
        QCOMPARE(valueOf(zero.track(0), "Disc space utilization"),
                 QString("48.83 %"));

        // A stream 7 bytes larger than its plain size (200000 and 199993): 0.00 %, not "-0.00 %".
        OpenZone even(dumpzone::consecutiveTracks(pcmPacks(QList<int>(100, 2000)), {0}, 93747));
        QCOMPARE(valueOf(even.track(0), "PCM compression"), QString("0.00 %"));

        // An index whose last block is one before its first takes no space on disc.
        testzone::Zone description;
        testzone::Titleset &titleset = description.titlesets.emplace_back();
        titleset.info.titles.push_back(testzone::makeTitle({{90000, {{0, 0}, {2, 1}}}}));
        titleset.aobFiles.push_back(testzone::AobFile::ofBytes(pcmPacks({1000, 1000, 1000})));
        OpenZone empty(description);
        DVDASectorPointer *index = empty.track(0)->indexes.at(1);
        QCOMPARE(valueOf(index, "Size on disc"), QString("0 bytes"));
        QCOMPARE(valueOf(index, "Disc space utilization"), QString("-"));
    }

    // Group 2's rate and bits as a disc gives them, or unset (code 15) as libavcodec's
    // encoder leaves them: then group 2 decodes at group 1's, and the rows say so.
    void mlpTrack_data()
    {
        QTest::addColumn<bool>("groupTwoGiven");
        QTest::newRow("group 2 given") << true;
        QTest::newRow("group 2 unset") << false;
    }
    void mlpTrack()
    {
        QFETCH(bool, groupTwoGiven);
        const mlpencoder::MlpFormat format = {20, 96000, 24};
        QString error;
        const QByteArray mlp = mlpencoder::encodeMlp(mlpencoder::testSignal(6, 4000, 24), format,
                                                     &error);
        QVERIFY2(!mlp.isEmpty(), qPrintable(error));
        // The first major sync given the codes of a disc (24 bit, 96000 Hz), with its
        // checksum. Only this header is read for the rows.
        QByteArray patched = mlp;
        QCOMPARE(mlpencoder::majorSyncOffsets(mlp).value(0, -1), 0);
        QCOMPARE(quint8(mlp[8]) & 0x0F, 0x0F);
        if (groupTwoGiven) {
            patched[8] = char((quint8(patched[8]) & 0xF0) | 0x02);
            patched[9] = char((quint8(patched[9]) & 0xF0) | 0x01);
            QVERIFY(mlpencoder::fixMajorSyncChecksums(patched) > 1);
        }
        const packs::PackedStream stream = packs::packStream(packs::leadIn(321) + patched,
                                                             packs::mlpLayout());
        OpenZone open(dumpzone::consecutiveTracks(stream.packs, {0}));
        const QStringList labels = labelsOf(open.track(0));
        QCOMPARE(labels.first(), QString("Stream type"));
        QCOMPARE(labels.last(), QString("Major sync offset"));
        QVERIFY(labels.contains("Group 2 channel assignment"));
        QCOMPARE(valueOf(open.track(0), "Stream type"), QString("MLP"));
        QCOMPARE(valueOf(open.track(0), "Major sync offset"), QString("321"));
        QCOMPARE(valueOf(open.track(0), "Channel assignment id"), QString("20"));
        QCOMPARE(valueOf(open.track(0), "Group 1 channel assignment"),
                 QString("Lf-Rf-Ls-Rs"));
        QCOMPARE(valueOf(open.track(0), "Group 2 channel assignment"),
                 QString("C-LFE"));
        QCOMPARE(valueOf(open.track(0), "Group 2 sample rate"), QString("96000 Hz"));
        QCOMPARE(valueOf(open.track(0), "Group 2 bit resolution"), QString("24 bit"));
        qint64 audio = 0;
        for (int n : stream.audioPerPack)
            audio += n;
        if (stream.count > 2 && stream.audioPerPack[1] == stream.audioPerPack[stream.count - 2])
            QCOMPARE(valueOf(open.track(0), "Estimated stream size"),
                     QString("%1 bytes").arg(audio));
        // Both groups count in the plain size: 6 channels x 96000 Hz x 24 bit for 1 s.
        QCOMPARE(valueOf(open.track(0), "Original size"), QString("1728000 bytes"));
        QVERIFY(!labelsOf(open.track(0)).isEmpty());
    }

    void otherKinds()
    {
        testzone::Zone description = dumpzone::consecutiveTracks(pcmPacks({500}), {0});
        description.titlesets[0].info.titles[0].titleId = 0x81;
        description.titlesets.push_back(description.titlesets[0]);
        description.titlesets[1].info.videoObjects = 1;
        description.titlesets[1].aobFiles.clear(); // its objects are in VIDEO_TS
        OpenZone open(description);
        QCOMPARE(rowsOf(open.title()),
                 QStringList({"Title id=1", "Title tag=1"}));
        QCOMPARE(rowsOf(open.zone->titlesets[0]),
                 QStringList({"AOBs location=AUDIO_TS folder"}));
        QCOMPARE(rowsOf(open.zone->titlesets[1]),
                 QStringList({"VOBs location=VIDEO_TS folder"}));
        QCOMPARE(rowsOf(open.zone.get()), QStringList({"Disc ID=" + open.zone->discId}));
        QVERIFY(rowsOf(nullptr).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestObjectProperties)
#include "tst_objectproperties.moc"
