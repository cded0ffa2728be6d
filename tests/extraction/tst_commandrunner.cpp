// Working off the job queue: order, results, deleting files, the encoder log, forwarding
// the commands' output, and stopping.
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include "testzone/resultcompare.h"

#include "base/result.h"
#include "extraction/commandqueue.h"
#include "extraction/commandrunner.h"

namespace {
// Every job's command is "<folder>/<file base>.sh" <file path>, so each test file picks its
// own behaviour by its name; a file without a script of that name has a missing program.
class Workshop {
public:
    Workshop() { QVERIFY(dir.isValid()); }

    QString path(const QString &name) const { return dir.filePath(name); }

    void script(const QString &base, const QByteArray &body) const
    {
        QFile file(path(base + QStringLiteral(".sh")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\n" + body);
        file.close();
        QVERIFY(file.setPermissions(file.permissions() | QFile::ExeOwner));
    }

    // A "finished output file" of the given size, queued.
    void queue(CommandQueue &jobs, const QString &base, int size = 100) const
    {
        const QString wav = path(base + QStringLiteral(".wav"));
        QFile file(wav);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(size, 'x'));
        file.close();
        jobs.add(wav, 2, 48000, 24);
    }

    bool has(const QString &name) const { return QFile::exists(path(name)); }

    ExtractOptions options(bool deleteFiles = false, bool logMessages = false) const
    {
        ExtractOptions o;
        o.outputDir = QDir(dir.path());
        o.run = true;
        o.command = QStringLiteral("\"%path%/%filebase%.sh\" \"%filepath%\"");
        o.deleteFiles = deleteFiles;
        o.logMessages = logMessages;
        return o;
    }

    QTemporaryDir dir;
};

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The runner with what it reports: its end and what the commands wrote.
struct Runner {
    Runner(const ExtractOptions &options, CommandQueue &jobs)
        : runner(options, jobs), finished(&runner, &CommandRunner::finished)
    {
        QObject::connect(&runner, &CommandRunner::output,
                         [this](const QByteArray &error, const QByteArray &output) {
                             err += error;
                             out += output;
                         });
    }
    // Waits in the event loop until the runner has finished (it may have already).
    bool wait(int ms) { return !finished.isEmpty() || finished.wait(ms); }
    bool runToEnd()
    {
        runner.start();
        return wait(60000);
    }
    ResultCode result() const { return runner.result().code(); }

    CommandRunner runner;
    QSignalSpy finished;
    QByteArray err, out;
};
} // namespace

class TestJobRunner : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void deletesFilesAfterSuccess();
    void keepsFilesWithoutDeleteOption();
    void failedCommandKeepsItsFileAndFirstFailure();
    void crashedCommandFails();
    void missingProgramDoesNotStopTheLoop();
    void fileGoneBeforeDeleteReported();
    void logHoldsExactlyTheCommandsOutput();
    void outputForwardedWithoutLog();
    void unwritableLogKeepsFiles();
    void runningJobStaysQueued();
    void waitsForJobsUntilQueueClosed();
    void stopKillsRunningCommand();
    void stopWhileIdle();
    void stopBeforeStartRunsNothing();

private:
    QString savedCurrent;
    QTemporaryDir *workDir = nullptr;
};

// The encoder log lies in the working directory: every test gets a fresh one.
void TestJobRunner::init()
{
    savedCurrent = QDir::currentPath();
    workDir = new QTemporaryDir;
    QVERIFY(workDir->isValid());
    QVERIFY(QDir::setCurrent(workDir->path()));
}

void TestJobRunner::cleanup()
{
    QDir::setCurrent(savedCurrent);
    delete workDir;
    workDir = nullptr;
}

void TestJobRunner::deletesFilesAfterSuccess()
{
    Workshop w;
    w.script("a", "touch \"$1.done\"\n");
    w.script("b", "touch \"$1.done\"\n");
    CommandQueue jobs;
    w.queue(jobs, "a");
    w.queue(jobs, "b");
    jobs.close();

    Runner thread(w.options(true), jobs);
    QVERIFY(thread.runToEnd());
    QCOMPARE(thread.result(), ResultCode::Succeeded);
    QVERIFY(w.has("a.wav.done") && w.has("b.wav.done"));
    QVERIFY(!w.has("a.wav") && !w.has("b.wav"));
    QCOMPARE(jobs.count(), 0);
    QCOMPARE(jobs.pendingBytes(), qint64(0));
}

void TestJobRunner::keepsFilesWithoutDeleteOption()
{
    Workshop w;
    w.script("a", "touch \"$1.done\"\n");
    CommandQueue jobs;
    w.queue(jobs, "a");
    jobs.close();

    Runner thread(w.options(false), jobs);
    QVERIFY(thread.runToEnd());
    QCOMPARE(thread.result(), ResultCode::Succeeded);
    QVERIFY(w.has("a.wav.done"));
    QCOMPARE(readAll(w.path("a.wav")), QByteArray(100, 'x'));
}

// Jobs run in queue order; a failing command keeps its file; a later success does not
// erase the failure.
void TestJobRunner::failedCommandKeepsItsFileAndFirstFailure()
{
    Workshop w;
    const QByteArray record = "echo \"$1\" >> \"$(dirname \"$1\")/order\"\n";
    w.script("first", record);
    w.script("bad", record + "exit 3\n");
    w.script("last", record);
    CommandQueue jobs;
    w.queue(jobs, "first");
    w.queue(jobs, "bad");
    w.queue(jobs, "last");
    jobs.close();

    Runner thread(w.options(true), jobs);
    QVERIFY(thread.runToEnd());
    QCOMPARE(thread.result(), ResultCode::ProcessFailed);
    QCOMPARE(readAll(w.path("order")),
             (w.path("first.wav") + "\n" + w.path("bad.wav") + "\n" + w.path("last.wav") + "\n").toUtf8());
    QVERIFY(!w.has("first.wav"));
    QCOMPARE(readAll(w.path("bad.wav")), QByteArray(100, 'x'));
    QVERIFY(!w.has("last.wav"));
}

void TestJobRunner::crashedCommandFails()
{
    Workshop w;
    w.script("crash", "kill -SEGV $$\nexit 0\n");
    w.script("fine", "exit 0\n");
    CommandQueue jobs;
    w.queue(jobs, "crash");
    w.queue(jobs, "fine");
    jobs.close();

    Runner thread(w.options(true), jobs);
    QVERIFY(thread.runToEnd());
    QCOMPARE(thread.result(), ResultCode::ProcessFailed);
    QCOMPARE(readAll(w.path("crash.wav")), QByteArray(100, 'x'));
    QVERIFY(!w.has("fine.wav"));
}

void TestJobRunner::missingProgramDoesNotStopTheLoop()
{
    Workshop w;
    w.script("after", "touch \"$1.done\"\n");
    w.script("bad", "exit 1\n");
    CommandQueue jobs;
    w.queue(jobs, "missing"); // no script of that name
    w.queue(jobs, "after");
    w.queue(jobs, "bad");
    jobs.close();

    Runner thread(w.options(true), jobs);
    QElapsedTimer clock;
    clock.start();
    QVERIFY(thread.runToEnd());
    QVERIFY(clock.elapsed() < 15000);
    // The first failure is the one reported.
    QCOMPARE(thread.result(), ResultCode::StartProcess);
    QCOMPARE(jobs.count(), 0);
    QCOMPARE(readAll(w.path("missing.wav")), QByteArray(100, 'x'));
    QVERIFY(w.has("after.wav.done"));
    QVERIFY(!w.has("after.wav"));
    QVERIFY(w.has("bad.wav"));
}

void TestJobRunner::fileGoneBeforeDeleteReported()
{
    Workshop w;
    w.script("gone", "rm \"$1\"\n");
    w.script("next", "touch \"$1.done\"\n");
    CommandQueue jobs;
    w.queue(jobs, "gone");
    w.queue(jobs, "next");
    jobs.close();

    Runner thread(w.options(true), jobs);
    QVERIFY(thread.runToEnd());
    QCOMPARE(thread.result(), ResultCode::DeleteOutput);
    QVERIFY(w.has("next.wav.done"));
}

void TestJobRunner::logHoldsExactlyTheCommandsOutput()
{
    Workshop w;
    QFile old(w.path("KestrovaEnc.log"));
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("output of an earlier extraction\n");
    old.close();

    const QByteArray body = "b=$(basename \"$1\" .wav)\n"
                            "printf '%s out 1\\n' $b\nprintf '%s err 1\\n' $b >&2\n"
                            "printf '%s out 2\\n' $b\nprintf '%s err 2 no newline' $b >&2\n";
    w.script("one", body);
    w.script("two", body + "exit 2\n");
    CommandQueue jobs;
    w.queue(jobs, "one");
    w.queue(jobs, "two");
    jobs.close();

    Runner thread(w.options(false, true), jobs);
    QVERIFY(thread.runToEnd());
    QCOMPARE(thread.result(), ResultCode::ProcessFailed);
    QCOMPARE(readAll(w.path("KestrovaEnc.log")),
             QByteArray("one out 1\none err 1\none out 2\none err 2 no newline"
                        "two out 1\ntwo err 1\ntwo out 2\ntwo err 2 no newline"));
    QVERIFY(thread.out.isEmpty());
    QVERIFY(thread.err.isEmpty());
}

// The command prints, then waits for a go-ahead file: its first output must be readable
// while it still runs, the rest after it ended; no log is written.
void TestJobRunner::outputForwardedWithoutLog()
{
    Workshop w;
    QFile old(w.path("KestrovaEnc.log"));
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.close();

    w.script("talk", "printf 'started\\n'\nprintf 'warming up\\n' >&2\n"
                     "i=0; while [ ! -e \"$1.go\" ] && [ $i -lt 400 ]; do sleep 0.05; i=$((i+1)); done\n"
                     "printf 'finished\\n'\nprintf 'bye' >&2\n");
    CommandQueue jobs;
    w.queue(jobs, "talk");
    jobs.close();

    Runner thread(w.options(), jobs);
    thread.runner.start();
    QTRY_VERIFY_WITH_TIMEOUT(thread.out == "started\n" && thread.err == "warming up\n", 10000);
    QVERIFY(thread.runner.isRunning());
    QFile go(w.path("talk.wav.go"));
    QVERIFY(go.open(QIODevice::WriteOnly));
    go.close();
    QVERIFY(thread.wait(20000));
    QCOMPARE(thread.result(), ResultCode::Succeeded);
    QCOMPARE(thread.out, QByteArray("started\nfinished\n"));
    QCOMPARE(thread.err, QByteArray("warming up\nbye"));
    QVERIFY(!QFile::exists(w.path("KestrovaEnc.log")));
}

// A log that cannot be opened: no command runs, every file stays, a clear code.
void TestJobRunner::unwritableLogKeepsFiles()
{
    Workshop w;
    QVERIFY(QDir(w.dir.path()).mkdir("KestrovaEnc.log"));
    w.script("a", "touch \"$1.done\"\n");
    CommandQueue jobs;
    w.queue(jobs, "a");
    jobs.close();

    Runner thread(w.options(true, true), jobs);
    QVERIFY(thread.runToEnd());
    QCOMPARE(thread.result(), ResultCode::StartProcess);
    QVERIFY(!w.has("a.wav.done"));
    QCOMPARE(readAll(w.path("a.wav")), QByteArray(100, 'x'));
}

// The queue still counts the file whose command is running; that is what holds the
// extraction back at a small wait threshold.
void TestJobRunner::runningJobStaysQueued()
{
    Workshop w;
    w.script("hold", "touch \"$1.started\"\nwhile [ ! -e \"$1.go\" ]; do sleep 0.05; done\n");
    w.script("quick", "exit 0\n");
    CommandQueue jobs;
    w.queue(jobs, "hold", 3000);
    w.queue(jobs, "quick", 1000);
    QCOMPARE(jobs.pendingBytes(), qint64(4000));

    Runner thread(w.options(true), jobs);
    thread.runner.start();
    QTRY_VERIFY_WITH_TIMEOUT(w.has("hold.wav.started"), 10000);
    QCOMPARE(jobs.count(), 2);
    QCOMPARE(jobs.pendingBytes(), qint64(4000));
    QTest::qWait(200);
    QCOMPARE(jobs.pendingBytes(), qint64(4000));

    QFile go(w.path("hold.wav.go"));
    QVERIFY(go.open(QIODevice::WriteOnly));
    go.close();
    QTRY_COMPARE_WITH_TIMEOUT(jobs.pendingBytes(), qint64(0), 10000);
    QVERIFY(!w.has("hold.wav") && !w.has("quick.wav"));
    QVERIFY(thread.runner.isRunning()); // the queue is still open
    jobs.close();
    thread.runner.queueClosed();
    QVERIFY(thread.wait(5000));
    QCOMPARE(thread.result(), ResultCode::Succeeded);
}

void TestJobRunner::waitsForJobsUntilQueueClosed()
{
    Workshop w;
    w.script("late", "touch \"$1.done\"\n");
    CommandQueue jobs;
    Runner thread(w.options(), jobs);
    thread.runner.start();
    QTest::qWait(300);
    QVERIFY(thread.runner.isRunning());
    w.queue(jobs, "late");
    QTRY_VERIFY_WITH_TIMEOUT(w.has("late.wav.done"), 10000);
    QVERIFY(thread.runner.isRunning());
    jobs.close();
    thread.runner.queueClosed();
    QVERIFY(thread.wait(5000));
    QCOMPARE(thread.result(), ResultCode::Succeeded);
}

void TestJobRunner::stopKillsRunningCommand()
{
    Workshop w;
    // Not exec'd: the shell's own child must go too.
    w.script("slow", "touch \"$1.started\"\nsleep 30\ntouch \"$1.done\"\n");
    w.script("second", "touch \"$1.done\"\n");
    CommandQueue jobs;
    w.queue(jobs, "slow");
    w.queue(jobs, "second");
    jobs.close();

    Runner thread(w.options(true), jobs);
    thread.runner.start();
    QTRY_VERIFY_WITH_TIMEOUT(w.has("slow.wav.started"), 10000);
    QElapsedTimer clock;
    clock.start();
    thread.runner.stop();
    QVERIFY(thread.wait(5000));
    QVERIFY2(clock.elapsed() < 3000, "the command was not killed promptly");
    QCOMPARE(thread.result(), ResultCode::Cancelled);
    QTest::qWait(300);
    QVERIFY(!w.has("second.wav.done"));
    QVERIFY(!w.has("slow.wav.done"));
    QCOMPARE(readAll(w.path("slow.wav")), QByteArray(100, 'x'));
    QCOMPARE(readAll(w.path("second.wav")), QByteArray(100, 'x'));
    QCOMPARE(jobs.count(), 1); // the job that was not run stays for clear()
}

void TestJobRunner::stopWhileIdle()
{
    Workshop w;
    CommandQueue jobs;
    Runner thread(w.options(), jobs);
    thread.runner.start();
    QTest::qWait(200);
    thread.runner.stop();
    QVERIFY(thread.wait(2000));
    QCOMPARE(thread.result(), ResultCode::Cancelled);
}

void TestJobRunner::stopBeforeStartRunsNothing()
{
    Workshop w;
    w.script("a", "touch \"$1.done\"\n");
    CommandQueue jobs;
    w.queue(jobs, "a");
    jobs.close();
    Runner thread(w.options(true), jobs);
    thread.runner.stop();
    QVERIFY(thread.runToEnd());
    QCOMPARE(thread.result(), ResultCode::Cancelled);
    QVERIFY(!w.has("a.wav.done"));
    QVERIFY(w.has("a.wav"));
}

QTEST_GUILESS_MAIN(TestJobRunner)
#include "tst_commandrunner.moc"
