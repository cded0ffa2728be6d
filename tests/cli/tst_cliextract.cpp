// kestrova-cli extract: the files hold the right audio (stored and decoded), a failing object
// keeps the files before it, going on past failures, and damaged zones that name their problems.
#include <QRegularExpression>

#include <stdlib.h>

#include "clitest.h"
#include "testzone/mlpencoder.h"

using namespace clitest;

class TestCliExtract : public QObject {
    Q_OBJECT
private slots:
    void storeWritesTheStreams();
    void storeOneTracksRawMlp();
    void convertWritesWavesWithTheWaveOptions();
    void failingDumpReportsAndKeepsEarlierFiles();
    void keepGoingListsTheFailures();
    void damagedZonesListTheirProblems_data();
    void damagedZonesListTheirProblems();
};

void TestCliExtract::storeWritesTheStreams()
{
    const PcmZone pcm = pcmZone(3, 9600);
    testzone::ZoneFolder folder(pcm.zone);
    QTemporaryDir out;
    QVERIFY(folder.ok() && out.isValid());
    const CliRun run = runCli({QStringLiteral("extract"), folder.path(), QStringLiteral("-o"),
                               out.path(), QStringLiteral("1/1/3"), QStringLiteral("1/1/1")});
    QVERIFY2(run.exitCode == 0, run.err.constData());
    QVERIFY(run.out.isEmpty());
    // Not a terminal: plain lines, no progress line; what was written before the result.
    QStringList lines = linesOf(run.err);
    QVERIFY2(QRegularExpression(QStringLiteral("^2 files written, 0\\.1 MB, in 0:00:0\\d$"))
                 .match(lines.value(4)).hasMatch(), qPrintable(lines.value(4)));
    lines.removeAt(4);
    QCOMPARE(lines,
             (QStringList{QStringLiteral("Extracting track 1/1/3 (track-01-01[0]-03)"),
                          QStringLiteral("Extracted track 1/1/3"),
                          QStringLiteral("Extracting track 1/1/1 (track-01-01[0]-01)"),
                          QStringLiteral("Extracted track 1/1/1"),
                          QStringLiteral("Extraction succeeded.")}));

    QCOMPARE(filesIn(out.path()).size(), 2);
    const QString third = fileLike(out.path(), QStringLiteral("track-01-01[0]-03"), QStringLiteral(".pcm"));
    const QString first = fileLike(out.path(), QStringLiteral("track-01-01[0]-01"), QStringLiteral(".pcm"));
    QVERIFY(!third.isEmpty() && !first.isEmpty());
    QVERIFY(fileBytes(third) == pcm.storedAudio[2]);
    QVERIFY(fileBytes(first) == pcm.storedAudio[0]);
}

void TestCliExtract::storeOneTracksRawMlp()
{
    // Track 1 linear PCM, track 2 MLP from libavcodec's encoder, each in packs of its own.
    const PcmZone pcm = pcmZone(1, 4800);
    QString error;
    const QByteArray mlp = mlpencoder::encodeMlp(mlpencoder::testSignal(2, 48000, 16),
                                                 {1, 48000, 16}, &error);
    QVERIFY2(!mlp.isEmpty(), qPrintable(error));
    const packs::PackedStream mlpPacks = packs::packStream(mlp, packs::mlpLayout());
    const QByteArray aob = pcm.zone.titlesets[0].aobFiles[0].bytes + mlpPacks.packs;
    testzone::ZoneFolder folder(dumpzone::timedTracks(aob, {0, pcm.blockCount}, {9000, 90000}));
    QTemporaryDir out;
    QVERIFY(folder.ok() && out.isValid());

    const CliRun run = runCli({QStringLiteral("extract"), folder.path(), QStringLiteral("-o"),
                               out.path(), QStringLiteral("1/1/2")});
    QVERIFY2(run.exitCode == 0, run.err.constData());
    QCOMPARE(filesIn(out.path()), QStringList{QStringLiteral("track-01-01[0]-02-[L-R]-16-48000.mlp")});
    QVERIFY(fileBytes(out.filePath(filesIn(out.path()).first())) == mlp);

    // libavcodec is loaded for decoding MLP only, not for linear PCM: the dynamic
    // loader's own record of the files it opens shows which.
    qputenv("LD_DEBUG", "files");
    for (const char *track : {"1/1/1", "1/1/2"}) {
        QTemporaryDir converted;
        const CliRun decoding = runCli({QStringLiteral("extract"), folder.path(), QStringLiteral("-o"),
                                        converted.path(), QStringLiteral("--convert"),
                                        QString::fromLatin1(track)});
        const bool decoded = decoding.exitCode == 0;
        const bool loaded = decoding.err.contains("file=libavcodec.so");
        qunsetenv("LD_DEBUG"); // before a failure ends the test
        QCOMPARE(decoded, true);
        QCOMPARE(loaded, track[4] == '2');
        qputenv("LD_DEBUG", "files");
        // The decoder's own messages ("[mlp @ 0x...] ### MLP Stream ...") go nowhere
        // without --log.
        QVERIFY2(!decoding.err.contains("[mlp @"), decoding.err.right(300).constData());
    }
    qunsetenv("LD_DEBUG");
}

void TestCliExtract::convertWritesWavesWithTheWaveOptions()
{
    const PcmZone pcm = pcmZone(2, 9600, {2, 24, 96000});
    testzone::ZoneFolder folder(pcm.zone);
    QVERIFY(folder.ok());
    const auto formatTag = [](const QByteArray &wave) {
        const int at = wave.indexOf("fmt ");
        return at < 0 ? -1 : int(quint8(wave[at + 8])) | int(quint8(wave[at + 9])) << 8;
    };

    QTemporaryDir out;
    CliRun run = runCli({QStringLiteral("extract"), folder.path(), QStringLiteral("-o"),
                         out.path(), QStringLiteral("--convert")});
    QVERIFY2(run.exitCode == 0, run.err.constData());
    QCOMPARE(filesIn(out.path()).size(), 2);
    for (int k = 0; k < 2; ++k) {
        const QByteArray wave = fileBytes(
            fileLike(out.path(), QStringLiteral("track-01-01[0]-0%1").arg(k + 1), QStringLiteral(".wav")));
        QVERIFY(isFinishedWave(wave));
        QVERIFY(waveData(wave) == pcm.waveSamples[k]);
        QCOMPARE(formatTag(wave), 0xFFFE); // the extensible header
    }

    // --old-format reaches the wave writer: the plain header.
    QTemporaryDir oldOut;
    run = runCli({QStringLiteral("extract"), folder.path(), QStringLiteral("-o"), oldOut.path(),
                  QStringLiteral("--convert"), QStringLiteral("--old-format"), QStringLiteral("1/1/1")});
    QVERIFY2(run.exitCode == 0, run.err.constData());
    const QByteArray oldWave = fileBytes(
        fileLike(oldOut.path(), QStringLiteral("track-01-01[0]-01"), QStringLiteral(".wav")));
    QCOMPARE(formatTag(oldWave), 1);
    QVERIFY(waveData(oldWave) == pcm.waveSamples[0]);

    // --split reaches the dumper: one file per channel.
    QTemporaryDir splitOut;
    run = runCli({QStringLiteral("extract"), folder.path(), QStringLiteral("-o"), splitOut.path(),
                  QStringLiteral("--convert"), QStringLiteral("--split"), QStringLiteral("1/1/2")});
    QVERIFY2(run.exitCode == 0, run.err.constData());
    QCOMPARE(filesIn(splitOut.path()).size(), 2);

    // --downmix on a PCM stream, which has none: the dumper's failure, exit status 1.
    QTemporaryDir downmixOut;
    run = runCli({QStringLiteral("extract"), folder.path(), QStringLiteral("-o"), downmixOut.path(),
                  QStringLiteral("--convert"), QStringLiteral("--downmix")});
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(linesOf(run.err).value(-1 + linesOf(run.err).size()), QStringLiteral("Cannot downmix to stereo."));
    QVERIFY(run.err.contains("Failed track 1/1/1: Cannot downmix to stereo.\n"));
    QVERIFY(!run.err.contains("track 1/1/2"));
}

void TestCliExtract::failingDumpReportsAndKeepsEarlierFiles()
{
    // The last track runs 20 blocks past the end of the AOB file.
    const PcmZone whole = pcmZone(2, 9600);
    testzone::Zone zone = whole.zone;
    zone.titlesets[0].info = dumpzone::consecutiveTracks(
        zone.titlesets[0].aobFiles[0].bytes, whole.firstBlocks, 9600 * 90000 / 48000,
        whole.blockCount - 1 + 20).titlesets[0].info;
    testzone::ZoneFolder folder(zone);
    QTemporaryDir out;
    QVERIFY(folder.ok() && out.isValid());
    const CliRun run = runCli({QStringLiteral("extract"), folder.path(), QStringLiteral("-o"),
                               out.path(), QStringLiteral("--convert")});
    QCOMPARE(run.exitCode, 1);
    // The missing blocks are named before anything is read, and again where they fail.
    const QString missing = QStringLiteral("ATS_01_1.AOB is cut short or ATS_01_2.AOB is missing");
    const QStringList lines = withoutSummary(linesOf(run.err));
    QCOMPARE(lines.value(0), QStringLiteral("kestrova-cli: ATS_01_2.AOB: blocks %1-%2 are in no file: %3")
                                 .arg(whole.blockCount).arg(whole.blockCount + 19).arg(missing));
    QCOMPARE(lines.value(2), QStringLiteral("Extracted track 1/1/1"));
    const QString failure = QStringLiteral("Cannot read .AOB file. (block %1: %2)").arg(whole.blockCount).arg(missing);
    QCOMPARE(lines.value(4), QStringLiteral("Failed track 1/1/2: ") + failure);
    QCOMPARE(lines.value(5), failure);
    QCOMPARE(lines.size(), 6);

    // The first track's file is complete; the failed one left none.
    const QByteArray first = fileBytes(
        fileLike(out.path(), QStringLiteral("track-01-01[0]-01"), QStringLiteral(".wav")));
    QVERIFY(waveData(first) == whole.waveSamples[0]);
    QCOMPARE(filesIn(out.path()).size(), 1);
}

void TestCliExtract::keepGoingListsTheFailures()
{
    // Track 2's only index ends before it begins: it fails, tracks 1 and 3 are written.
    PcmZone pcm = pcmZone(3, 4800);
    pcm.zone.titlesets[0].info.titles[0].indexes[1].last = 0;
    testzone::ZoneFolder folder(pcm.zone);
    QTemporaryDir out;
    QVERIFY(folder.ok() && out.isValid());
    const CliRun run = runCli({QStringLiteral("extract"), folder.path(), QStringLiteral("-o"),
                               out.path(), QStringLiteral("--store"), QStringLiteral("--keep-going")});
    QCOMPARE(run.exitCode, 1);
    const QString failure = QStringLiteral("track 1/1/2: Cannot find block in DVD-Audio zone.");
    QCOMPARE(withoutSummary(linesOf(run.err)).last(4), (QStringList{QStringLiteral("Extracted track 1/1/3"),
                                                   QStringLiteral("Failed objects: 1"),
                                                   QStringLiteral("  ") + failure,
                                                   QStringLiteral("Extracted 2 of 3 objects; 1 failed.")}));
    QVERIFY(linesOf(run.err).contains(QStringLiteral("Failed ") + failure));
    QCOMPARE(fileBytes(fileLike(out.path(), QStringLiteral("track-01-01[0]-03"), QStringLiteral(".pcm"))),
             pcm.storedAudio[2]);
    QCOMPARE(filesIn(out.path()).size(), 2);
}

// A zone whose damage kept objects out: the problems come first; a run over all or a
// titleset that the damage may have cut short names them again and ends with exit status 1
// and a last line that says so, as does a zone left with nothing to extract (the damage is
// not a usage error); tracks named one by one, and groups the damage cannot reach, are
// not affected.
void TestCliExtract::damagedZonesListTheirProblems_data()
{
    QTest::addColumn<testzone::Zone>("zone");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<int>("files");
    QTest::addColumn<QString>("problem");
    const testzone::Zone whole = pcmZone(1, 4800).zone;
    testzone::Zone badMagic = whole;
    badMagic.titlesets[0].info.magic = "DVDAUDIO-ATX";
    QTest::newRow("no audio titleset left")
        << badMagic << QStringList() << 1 << 0
        << "ATS_01_0.IFO, byte 0: not a titleset information file (no \"DVDAUDIO-ATS\" at the start)";
    testzone::Zone missing = whole;
    missing.titlesets.push_back(testzone::Titleset::absent());
    const QString noFile = "ATS_02_0.IFO: cannot open the information file (missing, or not a regular file)";
    QTest::newRow("one titleset left") << missing << QStringList() << 1 << 1 << noFile;
    QTest::newRow("one titleset left, keep going") << missing << QStringList{"--keep-going"} << 1 << 1 << noFile;
    QTest::newRow("one titleset left, its track named") << missing << QStringList{"1/1/1"} << 0 << 1 << noFile;
    QTest::newRow("one titleset left, it named") << missing << QStringList{"1"} << 0 << 1 << noFile;
    testzone::Zone noTracks = whole;
    noTracks.titlesets[0].info.titles[0].trackCount = 0;
    QTest::newRow("the only title left without tracks") << noTracks << QStringList() << 1 << 0
        << "ATS_01_0.IFO, byte 2066: title 1 has no tracks";
}

void TestCliExtract::damagedZonesListTheirProblems()
{
    QFETCH(testzone::Zone, zone);
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(int, files);
    QFETCH(QString, problem);
    testzone::ZoneFolder folder(zone);
    QTemporaryDir out;
    QVERIFY(folder.ok() && out.isValid());
    const CliRun run = runCli(QStringList{QStringLiteral("extract"), folder.path(), QStringLiteral("-o"),
                                          out.path(), QStringLiteral("--store")} + arguments);
    QCOMPARE(run.exitCode, exitCode);
    const QStringList lines = linesOf(run.err);
    QCOMPARE(lines.first(), QStringLiteral("kestrova-cli: ") + problem);
    QCOMPARE(lines.last(), exitCode == 0 ? QStringLiteral("Extraction succeeded.")
                           : files == 0 ? lines.last()
                                        : QStringLiteral("Extracted 1 file; objects the zone's damage hid were left out."));
    if (exitCode != 0 && files > 0) // named again before it
        QCOMPARE(lines.value(lines.size() - 2), QStringLiteral("kestrova-cli: ") + problem);
    QVERIFY(!run.err.contains("--help"));
    QCOMPARE(filesIn(out.path()).size(), files);
}

QTEST_GUILESS_MAIN(TestCliExtract)
#include "tst_cliextract.moc"
