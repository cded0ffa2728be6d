// kestrova-cli verify, and extract --convert of a damaged track: the lines, the exit
// status, and the file that is written all the same.
#include <QTemporaryDir>

#include "clitest.h"
#include "text/resulttext.h"
#include "testzone/damagedtrack.h"

using namespace clitest;

class TestCliVerify : public QObject {
    Q_OBJECT

private slots:
    // ZONE and OUT in the arguments and lines stand for the zone and output folders;
    // the lines come in this order on standard output (verify) or error (extract).
    void run_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QStringList>("lines");
        const QString summary = "1 object verified: %1 ok, %2 damaged, 0 failed";
        QTest::newRow("verify clean") << "" << QStringList{"verify", "ZONE"} << 0
            << QStringList{"1/1/1  MLP  ok  4", summary.arg(1).arg(0)};
        QTest::newRow("verify damaged") << "flip audio" << QStringList{"verify", "ZONE", "1/1/1"} << 1
            << QStringList{"1/1/1  MLP  DAMAGED  3 errors (1 parity, 1 checksum, 1 lossless check), "
                           "first at 00:00:0",
                           summary.arg(0).arg(1)};
        QTest::newRow("verify truncated, JSON") << "truncate" << QStringList{"verify", "--json", "ZONE"}
            << 1 << QStringList{"    \"clean\": false,", "        \"damaged\": 1,", "        \"objects\": 1,",
                                "            \"status\": \"damaged\",", "    \"schemaVersion\": 1,"};
        QTest::newRow("convert damaged") << "flip audio"
            << QStringList{"extract", "--convert", "-o", "OUT", "ZONE"} << 1
            << QStringList{"Damaged file: OUT/track-01-01[0]-01-[L-R]-16-48000.wav: 3 errors",
                           "Extracted 1 file; 1 damaged."};
        // The decoder's damage is counted the same way when the files are FLAC.
        QTest::newRow("convert damaged, flac") << "flip audio"
            << QStringList{"extract", "--flac", "-o", "OUT", "ZONE"} << 1
            << QStringList{"Damaged file: OUT/track-01-01[0]-01-[L-R]-16-48000.flac: 3 errors",
                           "Extracted 1 file; 1 damaged."};
        QTest::newRow("convert clean") << "" << QStringList{"extract", "--convert", "-o", "OUT", "ZONE"}
            << 0 << QStringList{resultMessage(ResultCode::Succeeded)};
    }

    void run()
    {
        QFETCH(QString, damage);
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QStringList, lines);
        const DamagedTrack t(true, damage);
        QTemporaryDir out;
        arguments.replaceInStrings("ZONE", t.folder->path()).replaceInStrings("OUT", out.path());
        const CliRun result = runCli(arguments);
        QCOMPARE(result.exitCode, exitCode);
        const bool extracting = arguments[0] == "extract";
        const QStringList printed = linesOf(extracting ? result.err : result.out);
        int at = 0;
        for (QString line : lines) {
            line.replace("OUT", out.path());
            while (at < printed.size() && !printed[at].startsWith(line))
                ++at;
            QVERIFY2(at < printed.size(), qPrintable(line + " not in\n" + printed.join('\n')));
        }
        // The file is written all the same.
        QVERIFY(!extracting || !QDir(out.path()).entryList({"*.wav", "*.flac"}, QDir::Files).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestCliVerify)
#include "tst_cliverify.moc"
