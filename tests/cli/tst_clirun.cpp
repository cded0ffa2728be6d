// kestrova-cli extract --run: the command runs on every file through the job thread, its
// output reaches the program's own streams (or the encoder log), failures are reported,
// and a stop kills the running command and keeps the files.
#include <QRegularExpression>
#include <QStandardPaths>

#include <signal.h>

#include "clitest.h"
#include "text/riplog.h"
#include "testzone/pcmtrack.h"

using namespace clitest;

namespace {

QStringList extractArgs(const QString &zone, const QString &out, const QStringList &more)
{
    return QStringList{QStringLiteral("extract"), zone, QStringLiteral("-o"), out} + more;
}

QString shellQuoted(const QString &word)
{
    QString quoted = word;
    quoted.replace(QLatin1Char('\''), QLatin1String("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

} // namespace

class TestCliRun : public QObject {
    Q_OBJECT

private slots:
    void flacFilesReplaceTheWaves_data();
    void flacFilesReplaceTheWaves();
    void commandRunsOnTheFlacFiles_data();
    void commandRunsOnTheFlacFiles();
    void commandOutputReachesTheStreams();
    void logOptionSendsOutputToTheLog();
    void failingCommandsAreReportedAndKeepTheFiles_data();
    void failingCommandsAreReportedAndKeepTheFiles();
    void stopKillsTheRunningCommand();
    void terminalShowsAProgressLine();
    void ripLogThatCannotBeWrittenFailsTheRun();
    void ripLogRecordsEveryRun_data();
    void ripLogRecordsEveryRun();
};

void TestCliRun::flacFilesReplaceTheWaves_data()
{
    QTest::addColumn<int>("bits");
    QTest::addColumn<int>("rate");
    QTest::newRow("16 bit 48 kHz") << 16 << 48000;
    QTest::newRow("24 bit 96 kHz") << 24 << 96000;
}

void TestCliRun::flacFilesReplaceTheWaves()
{
    QFETCH(int, bits);
    QFETCH(int, rate);
    if (QStandardPaths::findExecutable(QStringLiteral("flac")).isEmpty())
        QSKIP("flac is not installed (the Makefile installs the Debian package)");
    const PcmZone pcm = pcmZone(2, rate / 2, {2, bits, rate});
    testzone::ZoneFolder folder(pcm.zone);
    QTemporaryDir reference, out;
    QVERIFY(folder.ok() && reference.isValid() && out.isValid());

    // The waves the encoder would get, as a plain conversion writes them.
    CliRun run = runCli(extractArgs(folder.path(), reference.path(), {QStringLiteral("--convert")}));
    QVERIFY2(run.exitCode == 0, run.err.constData());
    const QStringList waves = filesIn(reference.path());
    QCOMPARE(waves.size(), 2);

    run = runCli(extractArgs(folder.path(), out.path(),
                             {QStringLiteral("--convert"), QStringLiteral("--run"),
                              QStringLiteral("flac -s -f %filepath%"), QStringLiteral("--delete")}));
    QVERIFY2(run.exitCode == 0, run.err.constData());
    QCOMPARE(linesOf(run.err).last(), QStringLiteral("Extraction succeeded."));

    // Only .flac files are left, one for each wave, and they decode to the same samples.
    QStringList expected;
    for (const QString &wave : waves)
        expected << wave.left(wave.size() - 4) + QStringLiteral(".flac");
    QCOMPARE(filesIn(out.path()), expected);
    for (int k = 0; k < waves.size(); ++k) {
        QProcess flac;
        flac.start(QStringLiteral("flac"),
                   {QStringLiteral("-d"), QStringLiteral("-s"), QStringLiteral("-c"),
                    QStringLiteral("--force-raw-format"), QStringLiteral("--endian=little"),
                    QStringLiteral("--sign=signed"), out.filePath(expected[k])});
        QVERIFY(flac.waitForFinished(60000));
        QCOMPARE(flac.exitCode(), 0);
        const QByteArray decoded = flac.readAllStandardOutput();
        const QByteArray samples = waveData(fileBytes(reference.filePath(waves[k])));
        QVERIFY(!samples.isEmpty());
        QVERIFY2(decoded == samples, qPrintable(expected[k]));
        QVERIFY(samples == pcm.waveSamples[k]);
    }
}

// The command runs on every audio file, a whole title's too, and not on its cue sheet.
void TestCliRun::commandRunsOnTheFlacFiles_data()
{
    QTest::addColumn<int>("tracks");
    QTest::addColumn<QStringList>("flags");
    QTest::addColumn<QStringList>("files");
    QTest::newRow("a track") << 1 << QStringList{QStringLiteral("--flac")}
                             << QStringList{QStringLiteral("track-01-01[0]-01-[L-R]-16-48000.flac")};
    QTest::newRow("a whole title") << 2 << QStringList{QStringLiteral("--flac"), QStringLiteral("--per-title")}
                                   << QStringList{QStringLiteral("title-01-01[0]-[L-R]-16-48000.cue"),
                                                  QStringLiteral("title-01-01[0]-[L-R]-16-48000.flac")};
}

void TestCliRun::commandRunsOnTheFlacFiles()
{
    QFETCH(int, tracks);
    QFETCH(QStringList, flags);
    QFETCH(QStringList, files);
    const PcmZone pcm = pcmZone(tracks, 4800);
    testzone::ZoneFolder folder(pcm.zone);
    QTemporaryDir out;
    QVERIFY(folder.ok() && out.isValid());
    const CliRun run = runCli(extractArgs(
        folder.path(), out.path(), flags + QStringList{QStringLiteral("--run"), QStringLiteral("echo %filename% %ext%")}));
    QVERIFY2(run.exitCode == 0, run.err.constData());
    QCOMPARE(filesIn(out.path()), files);
    QCOMPARE(linesOf(run.out), QStringList{files.last() + QStringLiteral(" flac")});
}

void TestCliRun::commandOutputReachesTheStreams()
{
    const PcmZone pcm = pcmZone(2, 4800);
    testzone::ZoneFolder folder(pcm.zone);
    QTemporaryDir out;
    QVERIFY(folder.ok() && out.isValid());
    const CliRun run = runCli(extractArgs(
        folder.path(), out.path(),
        {QStringLiteral("--run"),
         QStringLiteral("sh -c \"echo out:%filename%; echo err:%channels%-%bits%-%samplerate% >&2\"")}));
    QVERIFY2(run.exitCode == 0, run.err.constData());

    const QStringList files = filesIn(out.path());
    QCOMPARE(files.size(), 2);
    QCOMPARE(linesOf(run.out),
             (QStringList{QStringLiteral("out:") + files[0], QStringLiteral("out:") + files[1]}));
    // Both commands' error output, and only then the final message: the program waited
    // for the job thread.
    const QStringList errLines = linesOf(run.err);
    QCOMPARE(errLines.filter(QStringLiteral("err:2-16-48000")).size(), 2);
    QCOMPARE(errLines.last(), QStringLiteral("Extraction succeeded."));
    // Without --delete the files stay.
    QVERIFY(fileBytes(out.filePath(files[0])) == pcm.storedAudio[0]);
}

void TestCliRun::logOptionSendsOutputToTheLog()
{
    const PcmZone pcm = pcmZone(2, 4800);
    testzone::ZoneFolder folder(pcm.zone);
    QTemporaryDir out, work;
    QVERIFY(folder.ok() && out.isValid() && work.isValid());
    QFile stale(out.filePath(QStringLiteral("KestrovaEnc.log")));
    QVERIFY(stale.open(QIODevice::WriteOnly));
    stale.write("from an earlier run\n");
    stale.close();

    const CliRun run = runCli(
        extractArgs(folder.path(), out.path(),
                    {QStringLiteral("--log"), QStringLiteral("--run"),
                     QStringLiteral("sh -c \"echo out:%filebase%; echo err:%ext% >&2\"")}),
        work.path());
    QVERIFY2(run.exitCode == 0, run.err.constData());
    QVERIFY(run.out.isEmpty());
    QVERIFY(!run.err.contains("err:"));
    // The log is beside the files, not in the working directory.
    const QStringList files = filesIn(out.path()).filter(QStringLiteral("track-"));
    QCOMPARE(files.size(), 2);
    QVERIFY(!QFile::exists(work.filePath(QStringLiteral("KestrovaEnc.log"))));
    const QString log = QString::fromUtf8(fileBytes(out.filePath(QStringLiteral("KestrovaEnc.log"))));
    QCOMPARE(log, QStringLiteral("out:%1\nerr:pcm\nout:%2\nerr:pcm\n")
                      .arg(files[0].section(QLatin1Char('.'), 0, 0),
                           files[1].section(QLatin1Char('.'), 0, 0)));
}

// A failing command is named with its file, the command as run, its exit status and the
// last lines of its standard error, and fails its object (in the rip log too). Without
// --keep-going it ends the run as a failed object does: no object starts after it and no
// further command runs; with it every failed command is listed. A program that cannot be
// started is found before anything is extracted.
void TestCliRun::failingCommandsAreReportedAndKeepTheFiles_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("keepGoing");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QStringList>("lastLines"); // %1 %2: the two files
    QTest::newRow("exit status 1") << "false" << false << 1
        << QStringList{"External program failed. (%1: 'false' exited with status 1)"};
    QTest::newRow("its complaint") << "sh -c \"echo one >&2; echo two >&2; echo three >&2; echo four >&2; exit 3\""
        << false << 1 << QStringList{"External program failed. (%1: 'sh -c \"echo one >&2; echo two >&2; echo three "
                                     ">&2; echo four >&2; exit 3\"' exited with status 3: two / three / four)"};
    QTest::newRow("missing program") << "kestrova-no-such-program %filepath%" << false << 2
        << QStringList{"kestrova-cli: the command's program 'kestrova-no-such-program' is not found on PATH or "
                       "not executable"};
    QTest::newRow("every failure listed") << "false" << true << 1
        << QStringList{"Failed commands: 2", "  %1: 'false' exited with status 1",
                       "  %2: 'false' exited with status 1", "Extracted 0 of 2 objects; 2 failed."};
}

void TestCliRun::failingCommandsAreReportedAndKeepTheFiles()
{
    QFETCH(QString, command);
    QFETCH(bool, keepGoing);
    QFETCH(int, exitCode);
    QFETCH(QStringList, lastLines);
    const PcmZone pcm = pcmZone(2, 4800);
    testzone::ZoneFolder folder(pcm.zone);
    QTemporaryDir out;
    QVERIFY(folder.ok());
    QStringList flags{QStringLiteral("--run"), command, QStringLiteral("--delete")};
    if (keepGoing)
        flags << QStringLiteral("--keep-going");
    const CliRun run = runCli(extractArgs(folder.path(), out.path(), flags));
    QCOMPARE(run.exitCode, exitCode);
    const QStringList files = filesIn(out.path());
    const QStringList lines = withoutSummary(linesOf(run.err));
    if (exitCode == 2) {
        QCOMPARE(files, QStringList());
        QCOMPARE(lines, lastLines);
        return;
    }
    // --delete removes a file only after its command succeeded; track 2 is extracted only
    // when it started before the command on track 1 failed.
    QCOMPARE(files.size(), keepGoing || run.err.contains("Extracted track 1/1/2\n") ? 2 : 1);
    QVERIFY(fileBytes(out.filePath(files[0])) == pcm.storedAudio[0]);
    for (QString &line : lastLines)
        line.replace("%1", out.filePath(files[0])).replace("%2", out.filePath(files.value(1)));
    QCOMPARE(lines.mid(lines.size() - lastLines.size()), lastLines);
    // The object is failed in the rip log, under its file and command.
    const QString log = QString::fromUtf8(fileBytes(out.filePath(QStringLiteral("kestrova-rip.log"))));
    QVERIFY2(log.contains(QStringLiteral("1/1/1: External program failed. (%1: ").arg(out.filePath(files[0]))),
             qPrintable(log));
}

// A rip log that cannot be written (a folder has its name) fails the run: the files are
// there, and the last line and the exit status say what is missing.
void TestCliRun::ripLogThatCannotBeWrittenFailsTheRun()
{
    const PcmZone pcm = pcmZone(1, 4800);
    testzone::ZoneFolder folder(pcm.zone);
    QTemporaryDir out;
    QVERIFY(folder.ok() && QDir(out.path()).mkdir(QStringLiteral("kestrova-rip.log")));
    const CliRun run = runCli(extractArgs(folder.path(), out.path(), {}));
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(filesIn(out.path()).size(), 1);
    const QString last = linesOf(run.err).last();
    QVERIFY2(last.startsWith(QStringLiteral("Extracted 1 file; the rip log cannot be written (%1: ")
                                 .arg(out.filePath(QStringLiteral("kestrova-rip.log")))),
             qPrintable(last));
}

void TestCliRun::stopKillsTheRunningCommand()
{
    const PcmZone pcm = pcmZone(2, 4800);
    testzone::ZoneFolder folder(pcm.zone);
    QTemporaryDir out, marks;
    QVERIFY(folder.ok() && out.isValid() && marks.isValid());
    const QString started = marks.filePath(QStringLiteral("started"));

    // Cache 0: the second track waits until the command on the first file has ended.
    QProcess process;
    startCli(process, extractArgs(folder.path(), out.path(),
                                  {QStringLiteral("--convert"), QStringLiteral("--cache=0"), QStringLiteral("--run"),
                                   QStringLiteral("sh -c \"touch '%1'; sleep 60\"").arg(started),
                                   QStringLiteral("--delete")}));
    QVERIFY(process.waitForStarted());
    QByteArray err;
    QElapsedTimer clock;
    clock.start();
    while (!err.contains("Extracted track 1/1/1") && clock.elapsed() < 30000) {
        process.waitForReadyRead(100);
        err += process.readAllStandardError();
    }
    QVERIFY2(err.contains("Extracted track 1/1/1"), err);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(started), 10000);
    clock.restart();
    QCOMPARE(::kill(pid_t(process.processId()), SIGINT), 0);
    CliRun run = finishCli(process, 30000);
    run.err.prepend(err);
    QVERIFY2(clock.elapsed() < 10000, "the program waited for the command");

    QVERIFY(!run.crashed);
    QCOMPARE(run.exitCode, 130);
    QCOMPARE(linesOf(run.err).last(), QStringLiteral("Extraction cancelled by user request."));
    QVERIFY(!run.err.contains("Extracting track 1/1/2"));
    // The killed command's file is kept, whole.
    const QStringList files = filesIn(out.path());
    QCOMPARE(files.size(), 1);
    QVERIFY(waveData(fileBytes(out.filePath(files[0]))) == pcm.waveSamples[0]);
}

void TestCliRun::terminalShowsAProgressLine()
{
    const QString script = QStandardPaths::findExecutable(QStringLiteral("script"));
    if (script.isEmpty())
        QSKIP("script (util-linux) is not installed: no terminal to run in");
    const PcmZone pcm = pcmZone(1, 4800);
    testzone::ZoneFolder folder(pcm.zone);
    QTemporaryDir out;
    QVERIFY(folder.ok() && out.isValid());
    QStringList words{QStringLiteral(KESTROVA_CLI)};
    words += extractArgs(folder.path(), out.path(), {QStringLiteral("--run"), QStringLiteral("sleep 1")});
    for (QString &word : words)
        word = shellQuoted(word);

    QProcess process;
    process.start(script, {QStringLiteral("-qec"), words.join(QLatin1Char(' ')), QStringLiteral("/dev/null")});
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.exitCode(), 0);
    const QByteArray screen = process.readAllStandardOutput();
    // The status line is redrawn in place while the command runs, and cleared before the
    // lines about objects and the final message.
    QVERIFY2(screen.count("\r\033[KFinishing...  jobs waiting: ") >= 2, screen);
    QVERIFY2(screen.contains("\r\033[K1 file written, "), screen);
    QVERIFY2(screen.endsWith("\nExtraction succeeded.\r\n"), screen);
    QVERIFY(screen.contains("Extracted track 1/1/1"));
}

QTEST_GUILESS_MAIN(TestCliRun)
#include "tst_clirun.moc"

// The rip log beside the files: a record per run with the zone, the options, and per file
// its samples, the CRC-32 of its samples and, for FLAC, the MD5 FLAC keeps, the command and
// its exit status, and the result. Each checksum is the number another tool gives for the
// file: FFmpeg's CRC-32 of the decoded samples (the same for the WAV and the FLAC file of a
// track), metaflac's MD5.
void TestCliRun::ripLogRecordsEveryRun_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<int>("bits");
    for (const int bits : {16, 20, 24}) {
        QTest::addRow("wave %d-bit", bits) << "--convert" << bits;
        QTest::addRow("flac %d-bit", bits) << "--flac" << bits;
    }
}

void TestCliRun::ripLogRecordsEveryRun()
{
    QFETCH(QString, format);
    QFETCH(int, bits);
    if (!testzone::haveTool(QStringLiteral("metaflac")) || !testzone::haveTool(QStringLiteral("ffmpeg")))
        QSKIP("ffmpeg and metaflac give the files' checksums");
    const PcmZone pcm = pcmZone(2, 4800, {2, bits, 96000});
    testzone::ZoneFolder folder(pcm.zone);
    QTemporaryDir out;
    QVERIFY(folder.ok() && out.isValid());
    const QStringList args = extractArgs(folder.path(), out.path(), {format, QStringLiteral("--run=true"),
                                                                     QStringLiteral("--overwrite")});
    QCOMPARE(runCli(args).exitCode, 0);
    QCOMPARE(runCli(args).exitCode, 0);
    const QString log = QString::fromUtf8(fileBytes(out.filePath(QStringLiteral("kestrova-rip.log"))));
    const QStringList records = log.split(QStringLiteral("==== Kestrova "), Qt::SkipEmptyParts);
    QCOMPARE(records.size(), 2); // appended, not replaced
    const QString &record = records.last();
    QVERIFY2(record.contains(QStringLiteral("\nZone: %1\n").arg(folder.path())), qPrintable(record));
    QVERIFY2(QRegularExpression(QStringLiteral("\nDisc ID: [0-9a-f]{32}\n")).match(record).hasMatch(), qPrintable(record));
    QVERIFY(record.contains(QStringLiteral("\nOptions: output: %1; mode: convert;").arg(out.path())));
    const QStringList files = filesIn(out.path());
    QCOMPARE(files.size(), 2);
    for (int k = 0; k < 2; ++k) {
        const QString path = out.filePath(files[k]);
        QByteArray crc;
        QCOMPARE(testzone::runTool(QStringLiteral("ffmpeg"),
                                   {"-v", "error", "-i", path, "-map", "0:a", "-c:a",
                                    bits == 16 ? "pcm_s16le" : "pcm_s24le", "-f", "hash", "-hash", "crc32", "-"},
                                   &crc),
                 QString());
        QVERIFY(crc.startsWith("CRC32="));
        QByteArray md5;
        if (format == QLatin1String("--flac")) {
            QCOMPARE(testzone::runTool(QStringLiteral("metaflac"), {"--show-md5sum", path}, &md5), QString());
            md5 = ", FLAC MD5 " + md5.trimmed();
        }
        QVERIFY2(record.contains(QStringLiteral("1/1/%1: Extraction succeeded.\n  verify: ok  ").arg(k + 1)),
                 qPrintable(record));
        const QString file = QStringLiteral("\n  %1\n    4800 samples, 00:00:00.050, 96000 Hz, %2 bits, 2 channels, "
                                            "CRC32 of the samples %3%4\n    command: 'true' exited with status 0\n")
                                 .arg(path).arg(bits).arg(QString::fromLatin1(crc.mid(6).trimmed()),
                                                          QString::fromLatin1(md5));
        QVERIFY2(record.contains(file), qPrintable(record + "\nwanted:" + file));
    }
    QVERIFY(record.contains(QStringLiteral("\nResult: Extraction succeeded.\nSummary: 2 files written, ")));
    QVERIFY2(QRegularExpression("\nLibraries: libavcodec \\d+\\.\\d+\\.\\d+, libFLAC \\d+\\.\\d+(\\.\\d+)?\n").match(record).hasMatch(),
             qPrintable(record));
    // The last line checks the rest: it holds as written and shows any edit.
    const QString whole = "==== Kestrova " + record;
    QVERIFY2(recordIntact(whole), qPrintable(whole));
    QVERIFY(!recordIntact(QString(whole).replace("4800 samples", "4801 samples")));
    QVERIFY(!recordIntact(whole.trimmed().section('\n', 0, -2) + '\n')); // its checksum line gone
}

