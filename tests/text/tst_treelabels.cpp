// The tree labels as data: the texts the window and the command line show for each
// kind of object, and the window's columns of a track, built from objects made in memory.
#include <QtTest>

#include "zone/dvdatitleset.h"
#include "zone/dvdazone.h"
#include "text/treelabels.h"

class TestTreeLabels : public QObject {
    Q_OBJECT

    QTemporaryDir emptyDir; // no zone files: titlesets built here stay empty

private slots:
    void zoneAndTitlesets()
    {
        DVDAZone zone{QDir(emptyDir.path())};
        QCOMPARE(treeLabel(&zone), QStringLiteral("AUDIO_TS.IFO"));

        DVDATitleset titleset(QDir(emptyDir.path()), 6);
        QCOMPARE(titleset.number, 7);
        QCOMPARE(titleset.contentKind, TitlesetUnknown);
        QVERIFY(!titleset.listed());
        titleset.contentKind = TitlesetAudio;
        QVERIFY(titleset.listed());
        QCOMPARE(treeLabel(&titleset), QStringLiteral("ATS_07_0.IFO - Audio"));
        titleset.contentKind = TitlesetVideo;
        QVERIFY(titleset.listed());
        QCOMPARE(treeLabel(&titleset), QStringLiteral("ATS_07_0.IFO - Video"));
        titleset.number = 99;
        QCOMPARE(treeLabel(&titleset), QStringLiteral("ATS_99_0.IFO - Video"));
        QVERIFY(treeLabel(nullptr).isEmpty());
    }

    void titles_data()
    {
        QTest::addColumn<int>("titleId");
        QTest::addColumn<uint>("lengthPts");
        QTest::addColumn<int>("tracks");
        QTest::addColumn<QString>("label");
        QTest::newRow("one track") << 1 << 90000u * 65 << 1 << "Title 01[0] - 00:01:05 - 1 track";
        QTest::newRow("no tracks") << 2 << 0u << 0 << "Title 02[0] - 00:00:00 - 0 tracks";
        QTest::newRow("two tracks") << 3 << 90000u * 3600 << 2 << "Title 03[0] - 01:00:00 - 2 tracks";
        QTest::newRow("tagged") << 0x81 << 45000u << 1 << "Title 01[1] - 00:00:01 - 1 track";
        QTest::newRow("all bits") << 0xFF << 44999u << 12 << "Title 127[1] - 00:00:00 - 12 tracks";
    }

    void titles()
    {
        QFETCH(int, titleId);
        QFETCH(uint, lengthPts);
        QFETCH(int, tracks);
        QFETCH(QString, label);
        DVDATitle title;
        title.titleId = titleId;
        title.lengthPts = lengthPts;
        for (int i = 0; i < tracks; ++i)
            title.tracks.add(std::make_unique<DVDATrack>());
        QCOMPARE(treeLabel(&title), label);
    }

    void tracksAndIndexes()
    {
        DVDATrack track;
        track.number = 4;
        track.lengthPts = 90000 * 61 + 45000; // a half second rounds up
        DVDASectorPointer *first = track.indexes.add(std::make_unique<DVDASectorPointer>());
        first->number = 7;
        first->first = 1234;
        first->last = 99999999;
        QCOMPARE(treeLabel(&track), QStringLiteral("Track 04 - 00:01:02 - (00001234-99999999)"));
        // Without a zone around it the index has no share of the track's time.
        QCOMPARE(treeLabel(first), QStringLiteral("07 - 00:00:00 - (00001234-99999999)"));
        track.number = 123;
        first->first = 0;
        QCOMPARE(treeLabel(&track), QStringLiteral("Track 123 - 00:01:02 - (00000000-99999999)"));
        // The window leaves the range to the properties.
        QCOMPARE(treeLabel(&track, BlockRange::Left), QStringLiteral("Track 123 - 00:01:02"));
        QCOMPARE(treeLabel(first, BlockRange::Left), QStringLiteral("07 - 00:00:00"));
    }

    // The title bar's name of a zone folder: the disc folder above AUDIO_TS, whatever its
    // case, or the folder itself under another name.
    void zoneNames_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("name");
        QTest::newRow("disc folder") << "Night Songs/AUDIO_TS" << "Night Songs";
        QTest::newRow("lower case") << "copy/audio_ts" << "copy";
        QTest::newRow("another name") << "rip-2026" << "rip-2026";
    }
    void zoneNames()
    {
        QFETCH(QString, folder);
        QFETCH(QString, name);
        QVERIFY(QDir(emptyDir.path()).mkpath(folder));
        const DVDAZone zone{QDir(emptyDir.filePath(folder))};
        QCOMPARE(zoneName(&zone), name);
    }

    // The tree's columns of a track: format, channels, rate and depth.
    void trackFacts_data()
    {
        QTest::addColumn<int>("subStream");
        QTest::addColumn<QList<int>>("groups"); // channels, rate, bits of group 1, then group 2
        QTest::addColumn<QStringList>("facts");
        QTest::newRow("stereo PCM") << int(SUBSTREAM_PCM) << QList<int>{2, 96000, 24, 0, 0, 0}
                                    << QStringList{"PCM", "2", "96 kHz / 24 bit"};
        QTest::newRow("44.1 kHz") << int(SUBSTREAM_PCM) << QList<int>{2, 44100, 16, 0, 0, 0}
                                  << QStringList{"PCM", "2", "44.1 kHz / 16 bit"};
        QTest::newRow("two groups alike") << int(SUBSTREAM_MLP) << QList<int>{2, 48000, 24, 4, 48000, 24}
                                          << QStringList{"MLP", "2 + 4", "48 kHz / 24 bit"};
        QTest::newRow("two groups differ") << int(SUBSTREAM_MLP) << QList<int>{3, 96000, 24, 3, 48000, 16}
                                           << QStringList{"MLP", "3 + 3", "96/24 + 48/16"};
        QTest::newRow("group 2 rate unsaid") << int(SUBSTREAM_MLP) << QList<int>{2, 48000, 16, 4, 0, 0}
                                             << QStringList{"MLP", "2 + 4", "48 kHz / 16 bit"};
        QTest::newRow("header not read") << int(SUBSTREAM_MLP) << QList<int>{0, 0, 0, 0, 0, 0}
                                         << QStringList{"MLP", "", ""};
        QTest::newRow("no audio") << 0 << QList<int>{0, 0, 0, 0, 0, 0} << QStringList{"", "", ""};
    }
    void trackFacts()
    {
        QFETCH(int, subStream);
        QFETCH(QList<int>, groups);
        QFETCH(QStringList, facts);
        DVDATrack track;
        StreamInfo &info = track.streamInfo;
        info.subStreamId = quint8(subStream);
        info.group1Channels = groups[0];
        info.group1SampleRate = groups[1];
        info.group1Bits = groups[2];
        info.group2Channels = groups[3];
        info.group2SampleRate = groups[4];
        info.group2Bits = groups[5];
        const TreeFacts shown = treeFacts(&track);
        QCOMPARE((QStringList{shown.format, shown.channels, shown.rate}), facts);
        // No node: no facts.
        QVERIFY(treeFacts(nullptr).format.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestTreeLabels)
#include "tst_treelabels.moc"
