// The status text the window shows every half second, and the share of blocks done that
// its progress bar and the command line's status line show.
#include <QtTest>

#include "text/statustext.h"

class TestExtractionStatus : public QObject {
    Q_OBJECT
private slots:
    void statusText_data()
    {
        QTest::addColumn<ExtractionStatus>("status");
        QTest::addColumn<QString>("text");
        const struct {
            bool extracting, waiting;
            qint32 titleset, title, track;
            quint32 block;
            bool runsJobs;
            int jobs;
            const char *text;
        } table[] = {
            {true, false, 1, 2, 3, 12345, false, 0, " TS:01 TI:02[0] TR:03 BL:00012345"},
            {true, false, 1, 2, 3, 12345, true, 2, "[Jobs:2] TS:01 TI:02[0] TR:03 BL:00012345"},
            {true, false, 12, 0x85, 40, 0, false, 0, " TS:12 TI:05[1] TR:40 BL:00000000"},
            {true, false, 123, 0x7F, 100, 123456789, false, 0, " TS:123 TI:127[0] TR:100 BL:123456789"},
            {true, true, 1, 2, 3, 12345, true, 7, "[Jobs:7] Waiting..."},
            {false, false, 1, 2, 3, 12345, true, 2, "[Jobs:2] Finishing..."},
            {false, false, 0, 0, 0, 0, true, 0, "[Jobs:0] Finishing..."},
        };
        for (const auto &row : table) {
            ExtractionStatus status;
            status.extracting = row.extracting;
            status.waiting = row.waiting;
            status.titleset = row.titleset;
            status.title = row.title;
            status.track = row.track;
            status.currentBlock = row.block;
            status.runsJobs = row.runsJobs;
            status.jobsWaiting = row.jobs;
            QTest::newRow(row.text) << status << QString::fromLatin1(row.text);
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

    // The whole: objects and bytes at once; speed and time left once a second has passed.
    void wholeText_data()
    {
        QTest::addColumn<QList<qint64>>("whole"); // done, total, bytes done, total, audio ms, elapsed ms
        QTest::addColumn<QString>("text");
        QTest::newRow("nothing asked") << QList<qint64>{0, 0, 0, 0, 0, 5000} << "";
        QTest::newRow("first half second") << QList<qint64>{0, 3, 1000000, 6100000, 5000, 500}
                                           << "0/3 objects  1.0/6.1 MB";
        QTest::newRow("a quarter in 2 s") << QList<qint64>{1, 4, 25000000, 100000000, 50000, 2000}
                                          << "1/4 objects  25.0/100.0 MB  25.0x real time  0:06 left";
        QTest::newRow("hours left") << QList<qint64>{0, 1, 1000000, 1000000000, 800, 4000}
                                    << "0/1 objects  1.0/1000.0 MB  0.2x real time  1:06:36 left";
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
        QCOMPARE(wholeProgressText(w), text);
    }
};

QTEST_GUILESS_MAIN(TestExtractionStatus)
#include "tst_extractionstatus.moc"
