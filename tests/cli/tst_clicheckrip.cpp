// check-rip: a rip of two tracks checked against its log as it was written, moved, and
// re-encoded by the user's command (0), and after each kind of damage (1, the file named).
#include <QtTest>
#include <sys/stat.h>

#include "clitest.h"
#include "testzone/externaltools.h"

using namespace clitest;

namespace {

// Runs a tool, failing the test where it fails.
bool tool(const QString &program, const QStringList &arguments)
{
    QByteArray ignored;
    const QString failed = testzone::runTool(program, arguments, &ignored);
    if (!failed.isEmpty())
        qWarning("%s", qPrintable(failed));
    return failed.isEmpty();
}

// What is done to the rip before it is checked; the folder to check.
QString damage(const QString &kind, const QDir &rip)
{
    const QStringList audio = rip.entryList({"*.wav", "*.flac"}, QDir::Files, QDir::Name);
    const QString first = rip.filePath(audio.value(0));
    if (kind == "moved") {
        const QString moved = rip.path() + "-moved";
        return QDir().rename(rip.path(), moved) ? moved : QString();
    }
    if (kind == "sample changed in a FLAC") {
        // Decoded, one sample's low byte changed, encoded again: a valid FLAC of other audio.
        QByteArray wave;
        const QString tmp = rip.filePath("tmp.wav");
        if (!tool("flac", {"-d", "-s", "-f", first, "-o", tmp}))
            return QString();
        QFile file(tmp);
        if (!file.open(QIODevice::ReadWrite) || !file.seek(file.size() - 100) || file.write("\x5a", 1) != 1)
            return QString();
        file.close();
        if (!tool("flac", {"-s", "-f", tmp, "-o", first}) || !QFile::remove(tmp))
            return QString();
    } else if (kind == "WAV truncated") {
        if (!QFile(first).resize(QFileInfo(first).size() - 1000))
            return QString();
    } else if (kind == "file removed" || kind == "flac removed") {
        QFile::remove(first);
    } else if (kind == "a pipe in its place") {
        if (!QFile::remove(first) || mkfifo(QFile::encodeName(first).constData(), 0600) != 0)
            return QString();
    } else if (kind == "extra file") {
        QFile::copy(first, rip.filePath("extra.flac"));
    } else if (kind == "log line edited" || kind == "log names a file outside") {
        QFile log(rip.filePath("kestrova-rip.log"));
        QByteArray text = log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray();
        log.close();
        if (kind == "log names a file outside")
            text.replace(QFileInfo(first).fileName().toUtf8(), "../../../../etc/passwd.wav");
        else
            text.replace("Result: Extraction succeeded.", "Result: Extraction succeeded!");
        if (!log.open(QIODevice::WriteOnly | QIODevice::Truncate) || log.write(text) != text.size())
            return QString();
    }
    return rip.path();
}

} // namespace

class TestCliCheckRip : public QObject {
    Q_OBJECT
private slots:
    void checks_data()
    {
        QTest::addColumn<QStringList>("flags"); // of the rip
        QTest::addColumn<QString>("damage");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("named"); // a line of the output, NAME the first file
        const QStringList flac{"--flac"}, wave{"--convert"};
        QTest::newRow("clean") << flac << "" << 0 << "All 2 files match the rip log.";
        QTest::newRow("moved") << flac << "moved" << 0 << "ok: NAME";
        QTest::newRow("re-encoded by the command")
            << QStringList{"--convert", "--run", "flac -s -f --delete-input-file %filepath%"} << "" << 0
            << "ok: track-01-01[0]-01-[L-R]-16-48000.wav"; // as the log names it, checked through its FLAC
        // The log's CRC of each second says where: the byte changed lies in the last second.
        // Files the rip deleted after a command that made something else cannot be checked;
        // where it made FLACs, a FLAC gone is a file lost.
        QTest::newRow("deleted by the rip")
            << QStringList{"--convert", "--run", "true %filepath%", "--delete"} << "" << 0
            << "No file to check: the rip deleted 2 files after their command.";
        QTest::newRow("FLAC of a deleted file removed")
            << QStringList{"--convert", "--run", "flac -s %filepath%", "--delete"} << "flac removed" << 1
            << "missing: track-01-01[0]-01-[L-R]-16-48000.wav";
        // The second track's blocks cut off the AOB: what the rip kept of it is named.
        QTest::newRow("partial file kept") << QStringList{"--flac", "--keep-partial", "--keep-going"}
                                           << "" << 1 << "partial: track-01-01[0]-02-[L-R]-16-48000.partial.flac: ";
        QTest::newRow("sample changed in a FLAC") << flac << "sample changed in a FLAC" << 1
                                                  << "changed: NAME: the samples' CRC32 is ";
        QTest::newRow("where it changed") << flac << "sample changed in a FLAC" << 1
                                          << "SECONDS; the first change is in second 3 (from 0:02, sample 96000)";
        QTest::newRow("WAV truncated") << wave << "WAV truncated" << 1 << "unreadable: NAME: the data chunk ends ";
        QTest::newRow("file removed") << flac << "file removed" << 1 << "missing: NAME";
        QTest::newRow("a pipe in its place") << flac << "a pipe in its place" << 1 << "unreadable: NAME: not a regular file";
        QTest::newRow("extra file") << flac << "extra file" << 1 << "extra: extra.flac";
        QTest::newRow("log names a file outside") << wave << "log names a file outside" << 1
            << "outside: ../../../../etc/passwd.wav: the log names a file outside the folder; it was not read";
        QTest::newRow("log line edited") << flac << "log line edited" << 1
                                         << "edited: the record at line 1 of kestrova-rip.log no longer matches its checksum";
    }
    void checks()
    {
        QFETCH(QStringList, flags);
        QFETCH(QString, damage);
        QFETCH(int, exitCode);
        QFETCH(QString, named);
        if (!testzone::haveTool("flac"))
            QSKIP("flac re-encodes the files");
        const PcmZone pcm = pcmZone(2, 3 * 48000); // 3 s: the log keeps a CRC per second
        testzone::ZoneFolder folder(pcm.zone);
        QTemporaryDir work;
        QVERIFY(folder.ok() && work.isValid() && QDir(work.path()).mkdir("rip"));
        const QDir rip(work.filePath("rip"));
        const bool cutShort = QString(QTest::currentDataTag()) == "partial file kept";
        if (cutShort)
            QVERIFY(QFile(folder.filePath(testzone::aobName(1, 1)))
                        .resize(qint64(pcm.firstBlocks[1] + pcm.blockCount) / 2 * 2048));
        QCOMPARE(runCli(QStringList{"extract", folder.path(), "-o", rip.path()} + flags).exitCode, cutShort ? 1 : 0);
        const QString first = rip.entryList({"*.wav", "*.flac"}, QDir::Files, QDir::Name).value(0);
        const QString checked = ::damage(damage, rip);
        QVERIFY(!checked.isEmpty());
        const CliRun run = runCli({"check-rip", checked});
        const QStringList lines = linesOf(run.out);
        QCOMPARE(run.exitCode, exitCode);
        const QString line = QString(named).replace("NAME", first);
        const auto shown = [&](const QString &l) {
            return line.startsWith("SECONDS") ? l.endsWith(line.mid(7)) : l.startsWith(line);
        };
        QVERIFY2(std::any_of(lines.begin(), lines.end(), shown), qPrintable(lines.join('\n')));
        // A difference is counted, nothing else.
        QCOMPARE(lines.last().endsWith(" with the rip log."), exitCode == 1);
    }

    void noLogIsAUsageError()
    {
        QTemporaryDir empty;
        const CliRun run = runCli({"check-rip", empty.path()});
        QCOMPARE(run.exitCode, 2);
        QVERIFY(linesOf(run.err).value(0).startsWith("kestrova-cli: no rip log to check: "));
    }
};

QTEST_GUILESS_MAIN(TestCliCheckRip)
#include "tst_clicheckrip.moc"
