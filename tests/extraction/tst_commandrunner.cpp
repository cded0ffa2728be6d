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

class TestCommandRunner : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void runsACommandPerFile_data();
    void runsACommandPerFile();
    void logHoldsExactlyTheCommandsOutput();
    void outputForwardedWithoutLog();
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
void TestCommandRunner::init()
{
    savedCurrent = QDir::currentPath();
    workDir = new QTemporaryDir;
    QVERIFY(workDir->isValid());
    QVERIFY(QDir::setCurrent(workDir->path()));
}

void TestCommandRunner::cleanup()
{
    QDir::setCurrent(savedCurrent);
    delete workDir;
    workDir = nullptr;
}







// Each queued file's command runs in queue order (each script first notes its name in
// "order"); with --delete a file goes once its command succeeded and stays otherwise; the
// first failure is the result, and the queue is worked off to its end all the same.
void TestCommandRunner::runsACommandPerFile_data()
{
    QTest::addColumn<QStringList>("scripts"); // "name: body"; a queued name without one has no program
    QTest::addColumn<QStringList>("queued");
    QTest::addColumn<bool>("deleteFiles");
    QTest::addColumn<bool>("logBlocked");     // the command log asked for, and a folder in its place
    QTest::addColumn<ResultCode>("result");
    QTest::addColumn<QStringList>("order");   // the scripts that ran
    QTest::addColumn<QStringList>("present"); // a ".wav" here keeps its bytes
    QTest::addColumn<QStringList>("absent");
    const QString done = QStringLiteral("touch \"$1.done\"");
    QTest::newRow("deleted after success") << QStringList{"a: " + done, "b: " + done} << QStringList{"a", "b"}
        << true << false << ResultCode::Succeeded << QStringList{"a", "b"} << QStringList{"a.wav.done", "b.wav.done"}
        << QStringList{"a.wav", "b.wav"};
    QTest::newRow("kept without --delete") << QStringList{"a: " + done} << QStringList{"a"} << false << false
        << ResultCode::Succeeded << QStringList{"a"} << QStringList{"a.wav", "a.wav.done"} << QStringList{};
    QTest::newRow("a failure keeps its file, a later success does not erase it")
        << QStringList{"first: ", "bad: exit 3", "last: "} << QStringList{"first", "bad", "last"} << true << false
        << ResultCode::ProcessFailed << QStringList{"first", "bad", "last"} << QStringList{"bad.wav"}
        << QStringList{"first.wav", "last.wav"};
    QTest::newRow("a crash fails") << QStringList{"crash: kill -SEGV $$\nexit 0", "fine: exit 0"}
        << QStringList{"crash", "fine"} << true << false << ResultCode::ProcessFailed << QStringList{"crash", "fine"}
        << QStringList{"crash.wav"} << QStringList{"fine.wav"};
    QTest::newRow("a missing program does not stop the loop")
        << QStringList{"after: " + done, "bad: exit 1"} << QStringList{"missing", "after", "bad"} << true << false
        << ResultCode::StartProcess << QStringList{"after", "bad"}
        << QStringList{"missing.wav", "after.wav.done", "bad.wav"} << QStringList{"after.wav"};
    QTest::newRow("a file gone before its delete") << QStringList{"gone: rm \"$1\"", "next: " + done}
        << QStringList{"gone", "next"} << true << false << ResultCode::DeleteOutput << QStringList{"gone", "next"}
        << QStringList{"next.wav.done"} << QStringList{"gone.wav"};
    QTest::newRow("a log that cannot be opened runs nothing") << QStringList{"a: " + done} << QStringList{"a"}
        << true << true << ResultCode::StartProcess << QStringList{} << QStringList{"a.wav"}
        << QStringList{"a.wav.done"};
}

void TestCommandRunner::runsACommandPerFile()
{
    QFETCH(QStringList, scripts);
    QFETCH(QStringList, queued);
    QFETCH(bool, deleteFiles);
    QFETCH(bool, logBlocked);
    QFETCH(ResultCode, result);
    QFETCH(QStringList, order);
    QFETCH(QStringList, present);
    QFETCH(QStringList, absent);
    Workshop w;
    for (const QString &script : scripts)
        w.script(script.section(QStringLiteral(": "), 0, 0),
                 "basename \"$0\" .sh >> \"$(dirname \"$1\")/order\"\n"
                     + script.section(QStringLiteral(": "), 1).toUtf8() + "\n");
    if (logBlocked)
        QVERIFY(QDir(w.dir.path()).mkdir("KestrovaEnc.log"));
    CommandQueue jobs;
    for (const QString &name : queued)
        w.queue(jobs, name);
    jobs.close();

    Runner thread(w.options(deleteFiles, logBlocked), jobs);
    QElapsedTimer clock;
    clock.start();
    QVERIFY(thread.runToEnd());
    QVERIFY(clock.elapsed() < 15000);
    QCOMPARE(thread.result(), result);
    QCOMPARE(jobs.count(), 0);
    QCOMPARE(jobs.pendingBytes(), qint64(0));
    QCOMPARE(QString::fromUtf8(readAll(w.path("order"))).split('\n', Qt::SkipEmptyParts), order);
    for (const QString &name : present) {
        QVERIFY2(w.has(name), qPrintable(name));
        if (name.endsWith(".wav"))
            QCOMPARE(readAll(w.path(name)), QByteArray(100, 'x'));
    }
    for (const QString &name : absent)
        QVERIFY2(!w.has(name), qPrintable(name));
}

void TestCommandRunner::logHoldsExactlyTheCommandsOutput()
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
void TestCommandRunner::outputForwardedWithoutLog()
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


// The queue still counts the file whose command is running; that is what holds the
// extraction back at a small wait threshold.
void TestCommandRunner::runningJobStaysQueued()
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

void TestCommandRunner::waitsForJobsUntilQueueClosed()
{
    Workshop w;
    w.script("late", "touch \"$1.done\"\n");
    CommandQueue jobs;
    Runner thread(w.options(), jobs);
    thread.runner.start();
    QVERIFY(!thread.finished.wait(300)); // an empty queue that is open is waited on
    QVERIFY(thread.runner.isRunning());
    w.queue(jobs, "late");
    QTRY_VERIFY_WITH_TIMEOUT(w.has("late.wav.done"), 10000);
    QVERIFY(thread.runner.isRunning());
    jobs.close();
    thread.runner.queueClosed();
    QVERIFY(thread.wait(5000));
    QCOMPARE(thread.result(), ResultCode::Succeeded);
}

void TestCommandRunner::stopKillsRunningCommand()
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
    QVERIFY(!w.has("second.wav.done"));
    QVERIFY(!w.has("slow.wav.done"));
    QCOMPARE(readAll(w.path("slow.wav")), QByteArray(100, 'x'));
    QCOMPARE(readAll(w.path("second.wav")), QByteArray(100, 'x'));
    QCOMPARE(jobs.count(), 1); // the job that was not run stays for clear()
}

void TestCommandRunner::stopWhileIdle()
{
    Workshop w;
    CommandQueue jobs;
    Runner thread(w.options(), jobs);
    thread.runner.start();
    QTRY_VERIFY(thread.runner.isRunning());
    thread.runner.stop();
    QVERIFY(thread.wait(2000));
    QCOMPARE(thread.result(), ResultCode::Cancelled);
}

void TestCommandRunner::stopBeforeStartRunsNothing()
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

QTEST_GUILESS_MAIN(TestCommandRunner)
#include "tst_commandrunner.moc"
