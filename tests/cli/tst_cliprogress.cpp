// kestrova-cli extract as it runs: the status line and its progress, and a stop signal that
// ends the run with finished, valid files.
#include <QRegularExpression>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include "clitest.h"
#include "cli/progressdisplay.h"

using namespace clitest;

namespace {

// Many tracks over the same blocks: a long extraction from a small zone.
PcmZone sharedBlocksZone(int tracks, int frames)
{
    PcmZone one = pcmZone(1, frames, {2, 24, 96000});
    testzone::Title title;
    std::vector<testzone::TrackSpan> spans;
    for (int k = 0; k < tracks; ++k)
        spans.push_back({90000, {{0, quint32(one.blockCount - 1)}}});
    one.zone.titlesets[0].info.titles = {testzone::makeTitle(spans)};
    return one;
}

} // namespace

class TestCliProgress : public QObject {
    Q_OBJECT
private slots:
    void stopSignalEndsWithFinishedFiles_data();
    void stopSignalEndsWithFinishedFiles();
    void statusLineOnATerminalShowsTheWhole();
    void progressLine_data();
    void progressLine();
};

void TestCliProgress::stopSignalEndsWithFinishedFiles_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("SIGINT") << int(SIGINT);
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGHUP") << int(SIGHUP); // the terminal was closed
}

void TestCliProgress::stopSignalEndsWithFinishedFiles()
{
    QFETCH(int, signalNumber);
    enum { TRACKS = 200, FRAMES = 96000 * 8 }; // 8 s of 24-bit stereo at 96 kHz a track
    const PcmZone pcm = sharedBlocksZone(TRACKS, FRAMES);
    testzone::ZoneFolder folder(pcm.zone);
    QTemporaryDir out;
    QVERIFY(folder.ok() && out.isValid());

    QProcess process;
    startCli(process, {QStringLiteral("extract"), folder.path(), QStringLiteral("-o"),
                       out.path(), QStringLiteral("--convert"), QStringLiteral("--keep-partial")});
    QVERIFY(process.waitForStarted());
    // Signal as soon as the first object is under way.
    QByteArray err;
    QElapsedTimer clock;
    clock.start();
    while (!err.contains("Extracting track 1/1/1") && clock.elapsed() < 30000) {
        process.waitForReadyRead(100);
        err += process.readAllStandardError();
    }
    QVERIFY2(err.contains("Extracting track 1/1/1"), err);
    QCOMPARE(::kill(pid_t(process.processId()), signalNumber), 0);
    CliRun run = finishCli(process, 60000);
    run.err.prepend(err);

    QVERIFY2(!run.crashed, run.err);
    QCOMPARE(run.exitCode, 130);
    const QStringList lines = linesOf(run.err);
    QCOMPARE(lines.last(), QStringLiteral("Extraction cancelled by user request."));
    QVERIFY(lines.contains(QStringLiteral("Stopping...")));

    // The run stopped early; every file it made is a finished wave file, complete for
    // each object reported as extracted and, kept as partial, a true beginning of the
    // audio for the one that was cut.
    const int started = lines.filter(QRegularExpression(QStringLiteral("^Extracting "))).size();
    const int extracted = lines.filter(QRegularExpression(QStringLiteral("^Extracted "))).size();
    QVERIFY2(started < TRACKS, qPrintable(QString::number(started)));
    const QStringList files = filesIn(out.path());
    QVERIFY(files.size() == started || files.size() == started - 1);
    QVERIFY(extracted >= started - 1);
    for (int k = 0; k < files.size(); ++k) {
        const QByteArray wave = fileBytes(out.filePath(files[k]));
        QVERIFY2(isFinishedWave(wave), qPrintable(files[k]));
        const QByteArray data = waveData(wave);
        if (k < extracted) {
            QVERIFY(data == pcm.waveSamples[0]);
        } else { // kept as partial, and listed so in the rip log
            QVERIFY(files[k].endsWith(".partial.wav"));
            QVERIFY(pcm.waveSamples[0].startsWith(data));
            QVERIFY(fileBytes(out.filePath("kestrova-rip.log"))
                        .contains((out.filePath(files[k]) + " (partial: its object did not complete)").toUtf8()));
        }
    }
}

// The status line: one object with its blocks, several workers each object with its share.
// On a terminal (here a pseudo-terminal as standard error) the status line shows the whole
// extraction: objects and bytes done of all, speed and time left.
void TestCliProgress::statusLineOnATerminalShowsTheWhole()
{
    enum { TRACKS = 99, FRAMES = 96000 };
    const PcmZone pcm = sharedBlocksZone(TRACKS, FRAMES);
    testzone::ZoneFolder folder(pcm.zone);
    QTemporaryDir out;
    QVERIFY(folder.ok() && out.isValid());
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    QVERIFY(master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0);
    QProcess process;
    process.setStandardErrorFile(QString::fromLocal8Bit(::ptsname(master)));
    // A command on every file, waited for: a run of a few seconds.
    startCli(process, {QStringLiteral("extract"), folder.path(), QStringLiteral("-o"), out.path(),
                       QStringLiteral("--run=sleep 0.05"), QStringLiteral("--cache=0")});
    QVERIFY(process.waitForStarted());
    QByteArray seen;
    const auto drain = [&] {
        char buffer[4096];
        pollfd ready{master, POLLIN, 0};
        while (::poll(&ready, 1, 0) > 0 && (ready.revents & POLLIN)) {
            const ssize_t got = ::read(master, buffer, sizeof buffer);
            if (got <= 0)
                break;
            seen.append(buffer, got);
        }
    };
    const QRegularExpression whole(QStringLiteral("\\|  \\d+/99 objects  [0-9.]+/[0-9.]+ MB read  [0-9.]+x real time  "
                                                  "\\d+:\\d\\d left"));
    QElapsedTimer clock;
    clock.start();
    while (!whole.match(QString::fromUtf8(seen)).hasMatch() && process.state() == QProcess::Running
           && clock.elapsed() < 30000) {
        process.waitForFinished(50);
        drain();
    }
    if (process.state() == QProcess::Running)
        ::kill(pid_t(process.processId()), SIGINT);
    while (process.state() == QProcess::Running && !process.waitForFinished(50))
        drain();
    drain();
    ::close(master);
    QVERIFY2(whole.match(QString::fromUtf8(seen)).hasMatch(),
             (seen.right(400) + process.errorString().toUtf8()).constData());
    QCOMPARE(process.exitCode(), 130);
}

void TestCliProgress::progressLine_data()
{
    QTest::addColumn<QStringList>("objects");
    QTest::addColumn<int>("width"); // the terminal's; 0: none
    QTest::addColumn<QString>("text");
    const QString whole = "  |  1/4 objects  25.0/100.0 MB read  25.0x real time  0:06 left";
    QTest::newRow("one worker") << QStringList{} << 0
        << "track 1/1/3  block 150 (100-199)  50%  jobs waiting: 2" + whole;
    QTest::newRow("one of two running") << QStringList{"track 1/1/3 50%"} << 0
        << "track 1/1/3  block 150 (100-199)  50%  jobs waiting: 2" + whole;
    QTest::newRow("two running") << QStringList{"track 1/1/3 50%", "track 1/1/4 7%"} << 0
        << "track 1/1/3 50%, track 1/1/4 7%  jobs waiting: 2" + whole;
    QTest::newRow("wide terminal") << QStringList{} << 200
        << "track 1/1/3  block 150 (100-199)  50%  jobs waiting: 2" + whole;
    QTest::newRow("blocks dropped first") << QStringList{} << 100
        << "track 1/1/3  50%  jobs waiting: 2" + whole;
    QTest::newRow("then the whole") << QStringList{} << 60 << "track 1/1/3  50%  jobs waiting: 2";
    QTest::newRow("then at a word") << QStringList{} << 30 << "track 1/1/3  50%  jobs";
}

void TestCliProgress::progressLine()
{
    QFETCH(QStringList, objects);
    QFETCH(int, width);
    QFETCH(QString, text);
    ProgressState state;
    state.extracting = state.runsJobs = true;
    state.jobsWaiting = 2;
    state.object = QStringLiteral("track 1/1/3");
    state.firstBlock = 100;
    state.currentBlock = 150;
    state.lastBlock = 199;
    state.objects = objects;
    state.whole = WholeProgress{1, 4, 25000000, 100000000, 50, 2000};
    QCOMPARE(progressText(state, width), text);
    QVERIFY(width == 0 || text.size() < width);
}

QTEST_GUILESS_MAIN(TestCliProgress)
#include "tst_cliprogress.moc"
