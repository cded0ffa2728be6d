// The tree labels as data: the texts the window and the command line show for each
// kind of object, built from objects made in memory.
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
    }
};

QTEST_GUILESS_MAIN(TestTreeLabels)
#include "tst_treelabels.moc"
