// The status text the window shows every half second, and the share of blocks done that
// its progress bar and the command line's status line show.
#include <QtTest>

#include "text/statustext.h"
#include "zone/dvdazone.h"

class TestExtractionStatus : public QObject {
    Q_OBJECT
private slots:
    // The window's words for where the run stands: the objects by the tree's word and their
    // place in the run, the time left once known, the command's share.
    void statusText_data()
    {
        QTest::addColumn<ExtractionStatus>("status");
        QTest::addColumn<QString>("text");
        static DVDATrack trackA, trackB;
        static DVDASectorPointer index;
        const struct {
            bool extracting, waiting;
            QList<const DVDAObject *> running;
            int done, total;
            qint64 elapsedMs;
            bool runsJobs;
            int jobs;
            const char *text;
        } table[] = {
            {true, false, {&trackA}, 3, 12, 500, false, 0, "Track 4 of 12"},
            {true, false, {&trackA}, 3, 12, 4000, false, 0, "Track 4 of 12 · 0:12 left"},
            {true, false, {&trackA, &trackB}, 3, 12, 4000, false, 0, "Tracks 4-5 of 12 · 0:12 left"},
            {true, false, {&trackA, &index}, 0, 2, 500, false, 0, "Objects 1-2 of 2"},
            {true, false, {&index}, 0, 1, 500, true, 1, "Index 1 of 1 · files waiting for the command: 1"},
            {true, false, {}, 0, 3, 0, false, 0, "Object 1 of 3"},
            {true, true, {&trackA}, 1, 3, 500, true, 7, "Waiting for the command... · files waiting for the command: 7"},
            {false, false, {}, 3, 3, 500, true, 2, "Finishing: the command runs on the last files... · files waiting for the command: 2"},
            {false, false, {}, 3, 3, 500, true, 0, "Finishing: the command runs on the last files..."},
        };
        trackA.number = 1;
        for (const auto &row : table) {
            ExtractionStatus status;
            status.extracting = row.extracting;
            status.waiting = row.waiting;
            for (const DVDAObject *object : row.running)
                status.running.append(ObjectBlocks{object, 0, 0, 0});
            status.whole.objectsDone = row.done;
            status.whole.objectsTotal = row.total;
            status.whole.bytesDone = 25; // a quarter in 4 s: 12 s left
            status.whole.bytesTotal = 100;
            status.whole.elapsedMs = row.elapsedMs;
            status.runsJobs = row.runsJobs;
            status.jobsWaiting = row.jobs;
            QTest::newRow(row.text) << status << QString::fromUtf8(row.text);
        }
    }
    void statusText()
    {
        QFETCH(ExtractionStatus, status);
        QFETCH(QString, text);
        QCOMPARE(extractionStatusText(status), text);
    }

    void percent_data()
    {
        QTest::addColumn<quint32>("first");
        QTest::addColumn<quint32>("current");
        QTest::addColumn<quint32>("last");
        QTest::addColumn<int>("percent");
        QTest::newRow("half way") << 1000u << 1500u << 1999u << 50;
        QTest::newRow("last block") << 1000u << 1999u << 1999u << 99;
        QTest::newRow("one block: denominator 1") << 7u << 7u << 7u << 0;
        QTest::newRow("before the first block") << 1000u << 0u << 1999u << 0;
        QTest::newRow("last before first") << 10u << 12u << 9u << 0;
        QTest::newRow("no 32-bit overflow") << 0u << 50000000u << 99999999u << 50;
    }
    void percent()
    {
        QFETCH(quint32, first);
        QFETCH(quint32, current);
        QFETCH(quint32, last);
        QFETCH(int, percent);
        QCOMPARE(progressPercent(first, current, last), percent);
    }

    // The whole: objects and bytes read at once; speed and time left once a second has passed.
    void wholeText_data()
    {
        QTest::addColumn<QList<qint64>>("whole"); // done, total, bytes done, total, audio ms, elapsed ms
        QTest::addColumn<QString>("text");
        QTest::newRow("nothing asked") << QList<qint64>{0, 0, 0, 0, 0, 5000} << "||0";
        QTest::newRow("first half second") << QList<qint64>{0, 3, 1000000, 6100000, 5000, 500}
                                           << "0/3 objects  1.0/6.1 MB read|1.0 of 6.1 MB read|16";
        QTest::newRow("a quarter in 2 s") << QList<qint64>{1, 4, 25000000, 100000000, 50000, 2000}
                                          << "1/4 objects  25.0/100.0 MB read  25.0x real time  0:06 left"
                                             "|25.0 of 100.0 MB read · 25.0x real time|25";
        QTest::newRow("hours left") << QList<qint64>{0, 1, 1000000, 1000000000, 800, 4000}
                                    << "0/1 objects  1.0/1000.0 MB read  0.2x real time  1:06:36 left"
                                       "|1.0 of 1000.0 MB read · 0.2x real time|0";
        QTest::newRow("all read") << QList<qint64>{2, 2, 7000, 7000, 0, 3000}
                                  << "2/2 objects  0.0/0.0 MB read  0:00 left|0.0 of 0.0 MB read|100";
    }
    void wholeText()
    {
        QFETCH(QList<qint64>, whole);
        QFETCH(QString, text);
        WholeProgress w;
        w.objectsDone = int(whole[0]);
        w.objectsTotal = int(whole[1]);
        w.bytesDone = whole[2];
        w.bytesTotal = whole[3];
        w.audioSecondsDone = whole[4] / 1000.0;
        w.elapsedMs = whole[5];
        // The command line's line, the window's right side, the window's bar.
        QCOMPARE(wholeProgressText(w) + '|' + readProgressText(w) + '|' + QString::number(wholePercent(w)), text);
    }
};

QTEST_GUILESS_MAIN(TestExtractionStatus)
#include "tst_extractionstatus.moc"
