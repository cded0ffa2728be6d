// The status text the window shows every half second, and the share of blocks done that
// its progress bar and the command line's status line show.
#include <QtTest>

#include "extract/extractionstatus.h"

Q_DECLARE_METATYPE(ExtractionStatus)

namespace {
ExtractionStatus extracting(qint32 titleset, qint32 title, qint32 track, quint32 block)
{
    ExtractionStatus status;
    status.extracting = true;
    status.titleset = titleset;
    status.title = title;
    status.track = track;
    status.currentBlock = block;
    return status;
}

ExtractionStatus withJobs(ExtractionStatus status, int jobs)
{
    status.runsJobs = true;
    status.jobsWaiting = jobs;
    return status;
}

ExtractionStatus waiting(ExtractionStatus status)
{
    status.waiting = true;
    return status;
}
} // namespace

class TestExtractionStatus : public QObject {
    Q_OBJECT
private slots:
    void statusText_data()
    {
        QTest::addColumn<ExtractionStatus>("status");
        QTest::addColumn<QString>("text");
        const ExtractionStatus at = extracting(1, 2, 3, 12345);
        QTest::newRow("no command") << at << " TS:01 TI:02[0] TR:03 BL:00012345";
        QTest::newRow("two jobs") << withJobs(at, 2) << "[Jobs:2] TS:01 TI:02[0] TR:03 BL:00012345";
        QTest::newRow("tagged title") << extracting(12, 0x85, 40, 0) << " TS:12 TI:05[1] TR:40 BL:00000000";
        QTest::newRow("wide numbers") << extracting(123, 0x7F, 100, 123456789)
                                      << " TS:123 TI:127[0] TR:100 BL:123456789";
        QTest::newRow("waiting") << waiting(withJobs(at, 7)) << "[Jobs:7] Waiting...";
        QTest::newRow("finishing") << withJobs(ExtractionStatus(), 2) << "[Jobs:2] Finishing...";
        QTest::newRow("finishing, queue empty") << withJobs(ExtractionStatus(), 0) << "[Jobs:0] Finishing...";
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
        QTest::newRow("at the start") << 1000u << 1000u << 1999u << 0;
        QTest::newRow("half way") << 1000u << 1500u << 1999u << 50;
        QTest::newRow("last block") << 1000u << 1999u << 1999u << 99;
        QTest::newRow("one block: denominator 1") << 7u << 7u << 7u << 0;
        QTest::newRow("before the first block") << 1000u << 0u << 1999u << 0;
        QTest::newRow("past the last block") << 0u << 50u << 9u << 100;
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
};

QTEST_GUILESS_MAIN(TestExtractionStatus)
#include "tst_extractionstatus.moc"
