// The extraction driver shared by the window and the command line: which result it keeps
// when the threads end, and the command's output it still passes on after the end.
#include <QEventLoop>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "extract/extractiondriver.h"
#include "extract/extractresult.h"
#include "extract/extractthread.h"
#include "extract/jobthread.h"
#include "testzone/dumpzone.h"
#include "testzone/packs.h"
#include "zone/dvdazone.h"

namespace {
// Runs to the end as the window does, keeping what the command wrote.
class RecordingDriver : public ExtractionDriver {
public:
    int runToEnd(DVDAZone *zone, const QList<DVDAObject *> &objects, const ExtractOptions &options,
                 bool stopAtOnce)
    {
        QEventLoop loop;
        createThreads(zone, objects, options);
        QObject::connect(extractThread, &QThread::finished, &loop, [&] {
            endExtractThread();
            if (!busy())
                loop.quit();
        });
        if (jobThread)
            QObject::connect(jobThread, &QThread::finished, &loop, [&] {
                endJobThread();
                if (!busy())
                    loop.quit();
            });
        if (stopAtOnce)
            requestStop();
        startThreads();
        loop.exec();
        endExtraction();
        return resultCode;
    }

    QByteArray error, output;

protected:
    void showJobOutput(const QByteArray &e, const QByteArray &o) override
    {
        error += e;
        output += o;
    }
};
} // namespace

class TestExtractionDriver : public QObject {
    Q_OBJECT

    std::unique_ptr<testzone::ZoneFolder> folder;
    std::unique_ptr<DVDAZone> zone;

    QList<DVDAObject *> bothTracks() const
    {
        const auto &tracks = zone->titlesets[0]->titles[0]->tracks;
        return {tracks[0], tracks[1]};
    }

private slots:
    void initTestCase()
    {
        const packs::PcmFormat stereo16at48 = {0x00, 0x00, 1};
        const QByteArray all = packs::packStream(dumpzone::pattern(8000), packs::pcmLayout(stereo16at48)).packs;
        const int half = int(all.size() / packs::PACK_SIZE / 2);
        folder = std::make_unique<testzone::ZoneFolder>(dumpzone::consecutiveTracks(all, {0, half}));
        QVERIFY(folder->ok());
        zone = std::make_unique<DVDAZone>(QDir(folder->path()));
        QCOMPARE(zone->titlesets[0]->titles[0]->tracks.size(), size_t(2));
    }

    // The first non-zero result in the order the threads ended.
    void keptResult_data()
    {
        QTest::addColumn<bool>("folderExists");
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("stopAtOnce");
        QTest::addColumn<int>("result");
        QTest::newRow("all well") << true << "true" << false << int(ExtractSucceeded);
        QTest::newRow("walk fine, command fails") << true << "false" << false << int(ErrProcessFailed);
        QTest::newRow("walk fails, command has nothing to do") << false << "true" << false << int(ErrCreateOutput);
        QTest::newRow("stopped") << true << "true" << true << int(ErrCancelled);
    }
    void keptResult()
    {
        QFETCH(bool, folderExists);
        QFETCH(QString, command);
        QFETCH(bool, stopAtOnce);
        QFETCH(int, result);
        QTemporaryDir out;
        ExtractOptions options;
        options.mode = ModeStore;
        options.outputDir = QDir(folderExists ? out.path() : out.filePath(QStringLiteral("missing")));
        options.run = true;
        options.command = command;
        RecordingDriver driver;
        QCOMPARE(driver.runToEnd(zone.get(), bothTracks(), options, stopAtOnce), result);
        QVERIFY(!driver.busy());
        QCOMPARE(driver.jobQueue.count(), 0);
        QVERIFY(!driver.jobQueue.isClosed()); // open again for the next extraction
    }

    // Nothing reads the output while the threads run: all of it comes with the end.
    void outputOfTheLastCommandIsPassedOn()
    {
        QTemporaryDir out;
        ExtractOptions options;
        options.mode = ModeStore;
        options.outputDir = QDir(out.path());
        options.run = true;
        options.command = QStringLiteral("sh -c \"echo out %filebase%; echo err >&2\"");
        RecordingDriver driver;
        QCOMPARE(driver.runToEnd(zone.get(), bothTracks(), options, false), int(ExtractSucceeded));
        QCOMPARE(driver.output.count("out track-01-01[0]-0"), 2);
        QCOMPARE(driver.error, QByteArray("err\nerr\n"));
    }
};

QTEST_GUILESS_MAIN(TestExtractionDriver)
#include "tst_extractiondriver.moc"
