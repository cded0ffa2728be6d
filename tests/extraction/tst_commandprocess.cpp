// The command template's placeholders and running one command on a file.
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <functional>
#include <QtTest>
#include "testzone/resultcompare.h"

#include "extraction/commandprocess.h"
#include "base/result.h"

namespace {
const QString sampleFile = QStringLiteral("/data/out/track-01-01[0]-01-[L-R]-24-96000.wav");

// Writes an executable shell script into dir and returns its path.
QString writeScript(const QTemporaryDir &dir, const QString &name, const QByteArray &body)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    file.write("#!/bin/sh\n" + body);
    file.close();
    file.setPermissions(file.permissions() | QFile::ExeOwner | QFile::ExeUser);
    return path;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Runs the command on the file to its end in this thread's event loop and gives how it
// ended; once keepRunning says no, the command is killed.
ResultCode encode(CommandProcess &process, const QString &command, const QString &path, int channels,
                  int sampleRate, int bits, const std::function<bool()> &keepRunning = {})
{
    QSignalSpy finished(&process, &CommandProcess::finished);
    const Result started = process.start(command, path, channels, sampleRate, bits);
    if (started.failed())
        return started.code();
    while (finished.isEmpty()) {
        if (keepRunning && !keepRunning())
            process.kill();
        finished.wait(50);
    }
    return finished.first().first().value<ResultCode>();
}
} // namespace

class TestEncoder : public QObject {
    Q_OBJECT
private slots:
    void expandsPlaceholders_data();
    void expandsPlaceholders();
    void splitsIntoProgramAndArguments_data();
    void splitsIntoProgramAndArguments();
    void runsCommandWithExpandedArguments();
    void exitCodeDecidesSuccess_data();
    void exitCodeDecidesSuccess();
    void unstartableCommandFailsToStart_data();
    void unstartableCommandFailsToStart();
    void refusalKillsCommandAndItsChildren();
};

void TestEncoder::expandsPlaceholders_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("expected");

    QTest::newRow("path") << "%path%" << sampleFile << "/data/out";
    QTest::newRow("filepath") << "%filepath%" << sampleFile << sampleFile;
    QTest::newRow("filebase") << "%filebase%" << sampleFile << "track-01-01[0]-01-[L-R]-24-96000";
    QTest::newRow("filename") << "%filename%" << sampleFile
                              << "track-01-01[0]-01-[L-R]-24-96000.wav";
    QTest::newRow("ext") << "%ext%" << sampleFile << "wav";
    QTest::newRow("numbers") << "%channels% %samplerate% %bits%" << sampleFile << "2 96000 24";
    QTest::newRow("every occurrence") << "%bits%-%bits% %ext%%ext%" << sampleFile << "24-24 wavwav";
    QTest::newRow("two dots") << "%filebase%|%ext%|%filename%" << "/x/a.b.wav" << "a|wav|a.b.wav";
    QTest::newRow("no dot") << "%filebase%|%ext%" << "/x/name" << "name|";
    QTest::newRow("capitals untouched") << "%PATH% %Bits% %EXT% %other%" << sampleFile
                                        << "%PATH% %Bits% %EXT% %other%";
    // Text inserted by an earlier placeholder is subject to the later ones.
    QTest::newRow("directory holding a placeholder") << "%path%" << "/data/%bits%/a.wav"
                                                     << "/data/24";
    QTest::newRow("file name holding a placeholder") << "%filename%" << "/d/x-%channels%.wav"
                                                     << "x-2.wav";
    QTest::newRow("later placeholder not re-expanded earlier") << "%ext%" << "/d/a.%path%"
                                                               << "%path%";
    QTest::newRow("file without directory") << "%path%|%filename%" << "a.wav" << ".|a.wav";
    QTest::newRow("file in root") << "%path%|%filebase%" << "/a.wav" << "/|a";
}

void TestEncoder::expandsPlaceholders()
{
    QFETCH(QString, command);
    QFETCH(QString, path);
    QFETCH(QString, expected);
    QCOMPARE(expandCommand(command, path, 2, 96000, 24), expected);
}

void TestEncoder::splitsIntoProgramAndArguments_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QStringList>("expected");
    const QString blanks = QStringLiteral("/my music/out dir/a b.wav");
    const QString quote = QStringLiteral("/out \"x/a.wav");
    QTest::newRow("words") << "encoder -q 5 %filepath% -o %path%/%filebase%.ogg" << sampleFile
                           << QStringList{"encoder", "-q", "5", sampleFile, "-o",
                                          "/data/out/track-01-01[0]-01-[L-R]-24-96000.ogg"};
    // The template is split before the placeholders are filled in, so a path stays one
    // argument whether quoted or not, and a quote in it is just a character.
    QTest::newRow("blanks in path") << "enc \"%filepath%\" %filepath%" << blanks
                                    << QStringList{"enc", blanks, blanks};
    QTest::newRow("quote in path") << "enc \"%filepath%\" -o \"%path%/%filebase%.flac\"" << quote
                                   << QStringList{"enc", quote, "-o", "/out \"x/a.flac"};
    QTest::newRow("placeholder inside a word") << "enc --in=%filename%" << blanks
                                               << QStringList{"enc", "--in=a b.wav"};
}

void TestEncoder::splitsIntoProgramAndArguments()
{
    QFETCH(QString, command);
    QFETCH(QString, path);
    QFETCH(QStringList, expected);
    QCOMPARE(commandLine(command, path, 2, 96000, 24), expected);
}

void TestEncoder::runsCommandWithExpandedArguments()
{
    QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/kestrova enc-XXXXXX"));
    QVERIFY(dir.isValid());
    const QString script = writeScript(dir, QStringLiteral("args.sh"),
                                       "for a in \"$@\"; do printf '<%s>\\n' \"$a\"; done > \"$1.args\"\n");
    const QString wav = dir.filePath(QStringLiteral("x y.wav"));
    CommandProcess process;
    QCOMPARE(encode(process, QStringLiteral("\"%1\" \"%filepath%\" %channels% %samplerate% %bits% %ext%")
                                .arg(script),
                            wav, 6, 44100, 16),
             ResultCode::Succeeded);
    QCOMPARE(readAll(wav + QStringLiteral(".args")),
             QByteArray("<" + wav.toUtf8() + ">\n<6>\n<44100>\n<16>\n<wav>\n"));
}

void TestEncoder::exitCodeDecidesSuccess_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<ResultCode>("expected");
    QTest::newRow("exit 0") << QByteArray("exit 0\n") << ResultCode::Succeeded;
    QTest::newRow("exit 3") << QByteArray("exit 3\n") << ResultCode::ProcessFailed;
    QTest::newRow("crash") << QByteArray("kill -SEGV $$\nexit 0\n") << ResultCode::ProcessFailed;
    // Standard input is empty: a command reading it to its end ends.
    QTest::newRow("reads standard input") << QByteArray("cat > /dev/null\n") << ResultCode::Succeeded;
}

void TestEncoder::exitCodeDecidesSuccess()
{
    QFETCH(QByteArray, body);
    QFETCH(ResultCode, expected);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString script = writeScript(dir, QStringLiteral("run.sh"), body);
    CommandProcess process;
    QElapsedTimer clock;
    clock.start();
    // A command still running after 20 s is ended and counts as cancelled.
    QCOMPARE(encode(process, QStringLiteral("/bin/sh ") + script, dir.filePath("a.wav"), 2, 48000, 16,
                            [&] { return clock.elapsed() < 20000; }),
             expected);
}

void TestEncoder::unstartableCommandFailsToStart_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("missing"); // what a dry run names; empty: it cannot tell beforehand
    QTest::newRow("empty") << QString() << "";
    QTest::newRow("blanks only") << QStringLiteral("   ") << "";
    QTest::newRow("missing program") << QStringLiteral("/nonexistent/kestrova-encoder %filepath%")
                                     << "/nonexistent/kestrova-encoder";
    QTest::newRow("not on PATH") << QStringLiteral("kestrova-no-such-encoder %filepath%")
                                 << "kestrova-no-such-encoder";
    QTest::newRow("not executable") << QStringLiteral("/etc/passwd %filepath%") << "/etc/passwd";
    QTest::newRow("named by a placeholder") << QStringLiteral("%filepath%") << "";
}

void TestEncoder::unstartableCommandFailsToStart()
{
    QFETCH(QString, command);
    QFETCH(QString, missing);
    QString program;
    QCOMPARE(!commandProgramFound(command, &program) && !program.isEmpty(), !missing.isEmpty());
    QCOMPARE(program, missing.isEmpty() ? program : missing);
    QVERIFY(commandProgramFound(QStringLiteral("sh -c true"), &program));
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString wav = dir.filePath(QStringLiteral("plain.wav"));
    QFile file(wav);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("RIFF");
    file.close();

    CommandProcess process;
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(encode(process, command, wav, 2, 48000, 16), ResultCode::StartProcess);
    QVERIFY(clock.elapsed() <= 5000);
    QCOMPARE(readAll(wav), QByteArray("RIFF"));
}

void TestEncoder::refusalKillsCommandAndItsChildren()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    // The shell waits for its own child: killing only the shell would leave the sleep behind.
    const QString script = writeScript(dir, QStringLiteral("slow.sh"),
                                       "sleep 30 &\necho $! > \"$1.child\"\nwait\n");
    const QString wav = dir.filePath(QStringLiteral("a.wav"));
    const QString childFile = wav + QStringLiteral(".child");

    CommandProcess process;
    QElapsedTimer clock;
    clock.start();
    const ResultCode code = encode(process, QStringLiteral("/bin/sh %1 %filepath%").arg(script), wav, 2,
                                    48000, 16, [&] { return !QFile::exists(childFile); });
    QCOMPARE(code, ResultCode::Cancelled);
    QVERIFY2(clock.elapsed() < 10000, "the command was not killed promptly");
    QVERIFY(!process.isRunning());

    bool ok = false;
    const qint64 child = readAll(childFile).trimmed().toLongLong(&ok);
    QVERIFY(ok && child > 0);
    // The orphaned child is reaped by init; give it a moment.
    QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(QStringLiteral("/proc/%1/cmdline").arg(child))
                                 || readAll(QStringLiteral("/proc/%1/stat").arg(child)).contains(") Z "),
                             5000);
}

QTEST_GUILESS_MAIN(TestEncoder)
#include "tst_commandprocess.moc"
