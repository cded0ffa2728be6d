// kestrova-cli extract: every flag reaches the options record, selectors pick the right
// objects in the right order, bad input is refused before anything is written, the files
// hold the right audio, and a stop signal ends the run with finished, valid files.
#include <QJsonDocument>
#include <QRegularExpression>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include "clitest.h"
#include "cli/cliarguments.h"
#include "text/optionstext.h"
#include "cli/progressdisplay.h"
#include "cli/selectors.h"
#include "extraction/objectnames.h"
#include "testzone/mlpencoder.h"
#include "zone/dvdazone.h"

using namespace clitest;

namespace {

// Titleset 1: title 1 with three tracks (track 1 has two indexes) and title 2 with one;
// titleset 2: one title, one track; titleset 3: video.
testzone::Zone selectorZone()
{
    testzone::Zone zone;
    testzone::Titleset &ts1 = zone.titlesets.emplace_back();
    ts1.info.titles = {testzone::makeTitle({{90000, {{0, 1}, {2, 3}}},
                                            {90000, {{4, 5}}},
                                            {90000, {{6, 7}}}}),
                       testzone::makeTitle({{90000, {{8, 9}}}})};
    ts1.aobFiles.push_back(testzone::AobFile::ofBytes(testzone::numberedBlocks(0, 10)));
    testzone::Titleset &ts2 = zone.titlesets.emplace_back();
    ts2.info.titles = {testzone::makeTitle({{90000, {{0, 3}}}})};
    ts2.aobFiles.push_back(testzone::AobFile::ofBytes(testzone::numberedBlocks(0, 4)));
    testzone::Titleset &video = zone.titlesets.emplace_back();
    video.info.videoObjects = 1;
    return zone;
}

// The options record as --dry-run prints it when no flag is given.
QStringList defaultOptionLines(const QString &outputDir)
{
    return {QStringLiteral("outputDir: ") + outputDir, QStringLiteral("mode: store"),
            QStringLiteral("merge: false"),          QStringLiteral("split: false"),
            QStringLiteral("downmix: false"),        QStringLiteral("streamErrors: false"),
            QStringLiteral("oldFormat: false"),      QStringLiteral("run: false"),
            QStringLiteral("command: "),             QStringLiteral("cache: 1000"),
            QStringLiteral("deleteFiles: false"),    QStringLiteral("logMessages: false"),
            QStringLiteral("keepGoing: false"),      QStringLiteral("keepPartial: false"),
            QStringLiteral("threads: auto"),
            QStringLiteral("format: wav"),           QStringLiteral("compression: 5"),
            QStringLiteral("tags: "),               QStringLiteral("perTitle: false"),
            QStringLiteral("nameTemplate: ")};
}

// Replaces the line of each field named in changes ("field: value").
QStringList withChanges(QStringList lines, const QStringList &changes)
{
    for (const QString &change : changes) {
        const QString field = change.section(QLatin1Char(':'), 0, 0) + QLatin1Char(':');
        for (QString &line : lines) {
            if (line.startsWith(field))
                line = change;
        }
    }
    return lines;
}

QStringList objectLines(const QByteArray &out)
{
    return linesOf(out).filter(QRegularExpression(QStringLiteral("^object: ")));
}

// True when the file is a finished wave file: the RIFF size and the data chunk's size
// agree with the file's length.
bool isFinishedWave(const QByteArray &wave)
{
    if (wave.size() < 44 || !wave.startsWith("RIFF"))
        return false;
    const auto le32 = [&wave](int at) {
        return quint32(quint8(wave[at])) | quint32(quint8(wave[at + 1])) << 8
               | quint32(quint8(wave[at + 2])) << 16 | quint32(quint8(wave[at + 3])) << 24;
    };
    if (le32(4) != quint32(wave.size() - 8))
        return false;
    const QByteArray data = waveData(wave);
    const int dataAt = wave.indexOf("data");
    return dataAt > 0 && dataAt + 8 + data.size() == wave.size();
}

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

class TestCliExtract : public QObject {
    Q_OBJECT

private slots:
    void everyFlagReachesTheOptions_data();
    void everyFlagReachesTheOptions();
    void relativeOutputFolderBecomesAbsolute();
    void conflictingOrBadFlags_data();
    void conflictingOrBadFlags();
    void selectorsPickObjects_data();
    void selectorsPickObjects();
    void badInputWritesNothing();
    void storeWritesTheStreams();
    void storeOneTracksRawMlp();
    void convertWritesWavesWithTheWaveOptions();
    void failingDumpReportsAndKeepsEarlierFiles();
    void keepGoingListsTheFailures();
    void sameNamesAreWrittenApart();
    void existingFilesAreReplacedOnlyWhenAsked();
    void nameTemplates_data();
    void nameTemplates();
    void damagedZonesListTheirProblems_data();
    void damagedZonesListTheirProblems();
    void stopSignalEndsWithFinishedFiles_data();
    void stopSignalEndsWithFinishedFiles();
    void statusLineOnATerminalShowsTheWhole();
    void progressLine_data();
    void progressLine();

private:
    testzone::ZoneFolder *zoneFolder = nullptr;
};

void TestCliExtract::everyFlagReachesTheOptions_data()
{
    QTest::addColumn<QStringList>("flags");
    QTest::addColumn<QStringList>("changes");
    QTest::newRow("defaults") << QStringList{} << QStringList{};
    QTest::newRow("store") << QStringList{QStringLiteral("--store")} << QStringList{};
    QTest::newRow("convert") << QStringList{QStringLiteral("--convert")}
                             << QStringList{QStringLiteral("mode: convert")};
    QTest::newRow("merge") << QStringList{QStringLiteral("--merge")}
                           << QStringList{QStringLiteral("merge: true")};
    QTest::newRow("split") << QStringList{QStringLiteral("--split")}
                           << QStringList{QStringLiteral("split: true")};
    QTest::newRow("downmix") << QStringList{QStringLiteral("--downmix")}
                             << QStringList{QStringLiteral("downmix: true")};
    QTest::newRow("recover") << QStringList{QStringLiteral("--recover")}
                             << QStringList{QStringLiteral("streamErrors: true")};
    QTest::newRow("old-format") << QStringList{QStringLiteral("--old-format")}
                                << QStringList{QStringLiteral("oldFormat: true")};
    QTest::newRow("run") << QStringList{QStringLiteral("--run"), QStringLiteral("flac -s \"%filepath%\"")}
                         << QStringList{QStringLiteral("run: true"),
                                        QStringLiteral("command: flac -s \"%filepath%\"")};
    QTest::newRow("run=") << QStringList{QStringLiteral("--run=lame %filepath%")}
                          << QStringList{QStringLiteral("run: true"),
                                         QStringLiteral("command: lame %filepath%")};
    // As in the dialog: no command, nothing to run.
    QTest::newRow("empty run") << QStringList{QStringLiteral("--run=")} << QStringList{};
    QTest::newRow("delete") << QStringList{QStringLiteral("--delete")}
                            << QStringList{QStringLiteral("deleteFiles: true")};
    QTest::newRow("cache 0") << QStringList{QStringLiteral("--cache"), QStringLiteral("0")}
                             << QStringList{QStringLiteral("cache: 0")};
    QTest::newRow("cache=9999") << QStringList{QStringLiteral("--cache=9999")}
                                << QStringList{QStringLiteral("cache: 9999")};
    QTest::newRow("threads 2") << QStringList{QStringLiteral("--threads"), QStringLiteral("2")}
                               << QStringList{QStringLiteral("threads: 2")};
    QTest::newRow("threads=64") << QStringList{QStringLiteral("--threads=64")}
                                << QStringList{QStringLiteral("threads: 64")};
    QTest::newRow("log") << QStringList{QStringLiteral("--log")}
                         << QStringList{QStringLiteral("logMessages: true")};
    QTest::newRow("keep-going") << QStringList{QStringLiteral("--keep-going")}
                                << QStringList{QStringLiteral("keepGoing: true")};
    QTest::newRow("keep-partial") << QStringList{QStringLiteral("--keep-partial")}
                                  << QStringList{QStringLiteral("keepPartial: true")};
    QTest::newRow("per-title") << QStringList{QStringLiteral("--per-title")}
                               << QStringList{QStringLiteral("perTitle: true")};
    QTest::newRow("name") << QStringList{QStringLiteral("--name=%track% %channels%")}
                          << QStringList{QStringLiteral("nameTemplate: %track% %channels%")};
    // --flac decodes, alone or with --convert; its level and tags go with it.
    QTest::newRow("flac") << QStringList{QStringLiteral("--flac")}
                          << QStringList{QStringLiteral("mode: convert"), QStringLiteral("format: flac")};
    QTest::newRow("flac, level and tags")
        << QStringList{QStringLiteral("--convert"), QStringLiteral("--flac"),
                       QStringLiteral("--compression=8"), QStringLiteral("--tag"),
                       QStringLiteral("ARTIST=A = B"), QStringLiteral("--tag=album=")}
        << QStringList{QStringLiteral("mode: convert"), QStringLiteral("format: flac"),
                       QStringLiteral("compression: 8"), QStringLiteral("tags: ARTIST=A = B; album=")};
    QTest::newRow("all at once")
        << QStringList{QStringLiteral("--convert"), QStringLiteral("--split"),
                       QStringLiteral("--recover"), QStringLiteral("--old-format"),
                       QStringLiteral("--run"), QStringLiteral("x %bits%"),
                       QStringLiteral("--delete"), QStringLiteral("--cache=7"),
                       QStringLiteral("--log")}
        << QStringList{QStringLiteral("mode: convert"), QStringLiteral("split: true"),
                       QStringLiteral("streamErrors: true"), QStringLiteral("oldFormat: true"),
                       QStringLiteral("run: true"), QStringLiteral("command: x %bits%"),
                       QStringLiteral("deleteFiles: true"), QStringLiteral("cache: 7"),
                       QStringLiteral("logMessages: true")};
}

void TestCliExtract::everyFlagReachesTheOptions()
{
    QFETCH(QStringList, flags);
    QFETCH(QStringList, changes);
    CliArguments parsed;
    QString error;
    QVERIFY2(parseArguments(QStringList{QStringLiteral("extract"), QStringLiteral("zone"),
                                        QStringLiteral("-o"), QStringLiteral("out"),
                                        QStringLiteral("--dry-run")}
                                + flags,
                            &parsed, &error),
             qPrintable(error));
    QCOMPARE(parsed.outputPath, QStringLiteral("out"));
    QVERIFY(parsed.dryRun);
    // The output folder is filled in once the zone is opened.
    parsed.options.outputDir = QDir(QStringLiteral("/out"));
    QCOMPARE(linesOf(optionsText(parsed.options).toUtf8()),
             withChanges(defaultOptionLines(QStringLiteral("/out")), changes));
}

void TestCliExtract::relativeOutputFolderBecomesAbsolute()
{
    testzone::ZoneFolder folder(selectorZone());
    QTemporaryDir work;
    QVERIFY(folder.ok() && work.isValid());
    QVERIFY(QDir(work.path()).mkdir(QStringLiteral("out")));
    const CliRun run = runCli({QStringLiteral("extract"), folder.path(), QStringLiteral("-oout"),
                               QStringLiteral("--dry-run")},
                              work.path());
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(linesOf(run.out).value(0),
             QStringLiteral("outputDir: ") + QDir(work.path()).filePath(QStringLiteral("out")));
    // Every track follows the options, named as the selectors and the files name it.
    QCOMPARE(objectLines(run.out).size(), 5);
    QCOMPARE(objectLines(run.out).value(0), QStringLiteral("object: 1/1/1 track-01-01[0]-01"));
    // A dry run finds out that the command's program cannot be started.
    const CliRun missing = runCli({QStringLiteral("extract"), folder.path(), QStringLiteral("-oout"),
                                   QStringLiteral("--dry-run"), QStringLiteral("--run=kestrova-no-such-flac %filepath%")},
                                  work.path());
    QCOMPARE(missing.exitCode, 2);
    QCOMPARE(linesOf(missing.err), QStringList{QStringLiteral("kestrova-cli: the command's program 'kestrova-no-such-flac' "
                                                              "is not found on PATH or not executable")});
}

void TestCliExtract::conflictingOrBadFlags_data()
{
    QTest::addColumn<QStringList>("flags");
    QTest::addColumn<QString>("message");
    QTest::newRow("store and convert")
        << QStringList{QStringLiteral("--store"), QStringLiteral("--convert")}
        << QStringLiteral("--store and --convert exclude each other");
    QTest::newRow("merge and split")
        << QStringList{QStringLiteral("--merge"), QStringLiteral("--split")}
        << QStringLiteral("--merge, --split and --downmix exclude each other");
    QTest::newRow("split and downmix")
        << QStringList{QStringLiteral("--downmix"), QStringLiteral("--split")}
        << QStringLiteral("exclude each other");
    QTest::newRow("cache too big") << QStringList{QStringLiteral("--cache=10000")}
                                   << QStringLiteral("not '10000'");
    QTest::newRow("cache negative") << QStringList{QStringLiteral("--cache"), QStringLiteral("-1")}
                                    << QStringLiteral("not '-1'");
    QTest::newRow("cache not a number") << QStringList{QStringLiteral("--cache=lots")}
                                        << QStringLiteral("not 'lots'");
    QTest::newRow("no threads") << QStringList{QStringLiteral("--threads=0")}
                                << QStringLiteral("not '0'");
    QTest::newRow("threads too many") << QStringList{QStringLiteral("--threads=65")}
                                      << QStringLiteral("not '65'");
    QTest::newRow("info option") << QStringList{QStringLiteral("--json")}
                                 << QStringLiteral("'--json' does not belong to the command extract");
    QTest::newRow("run without command") << QStringList{QStringLiteral("--run")}
                                         << QStringLiteral("option '--run' needs a value");
    QTest::newRow("output without folder") << QStringList{QStringLiteral("--output=")}
                                           << QStringLiteral("option '--output' needs a folder");
    QTest::newRow("flac and store") << QStringList{QStringLiteral("--store"), QStringLiteral("--flac")}
                                    << QStringLiteral("--flac goes with --convert, not --store");
    QTest::newRow("level too high") << QStringList{QStringLiteral("--flac"), QStringLiteral("--compression=9")}
                                    << QStringLiteral("not '9'");
    QTest::newRow("level without flac") << QStringList{QStringLiteral("--compression=1")}
                                        << QStringLiteral("--compression and --tag go with --flac");
    QTest::newRow("tag without flac") << QStringList{QStringLiteral("--convert"), QStringLiteral("--tag=A=b")}
                                      << QStringLiteral("--compression and --tag go with --flac");
    QTest::newRow("tag without a value") << QStringList{QStringLiteral("--flac"), QStringLiteral("--tag=ARTIST")}
                                         << QStringLiteral("not 'ARTIST'");
    QTest::newRow("tag without a name") << QStringList{QStringLiteral("--flac"), QStringLiteral("--tag==x")}
                                        << QStringLiteral("not '=x'");
    QTest::newRow("tag name not ASCII") << QStringList{QStringLiteral("--flac"), QStringLiteral("--tag=TITRÉ=x")}
                                        << QStringLiteral("not 'TITRÉ=x'");
    QTest::newRow("tag name with a tilde") << QStringList{QStringLiteral("--flac"), QStringLiteral("--tag=A~B=x")}
                                           << QStringLiteral("not 'A~B=x'");
}

void TestCliExtract::conflictingOrBadFlags()
{
    QFETCH(QStringList, flags);
    QFETCH(QString, message);
    CliArguments parsed;
    QString error;
    QVERIFY(!parseArguments(QStringList{QStringLiteral("extract"), QStringLiteral("zone"),
                                        QStringLiteral("-o"), QStringLiteral("out")}
                                + flags,
                            &parsed, &error));
    QVERIFY2(error.contains(message), qPrintable(error));
}

void TestCliExtract::selectorsPickObjects_data()
{
    QTest::addColumn<QStringList>("selectors");
    QTest::addColumn<QStringList>("objects");
    const QString t111 = QStringLiteral("object: 1/1/1 track-01-01[0]-01");
    const QString t112 = QStringLiteral("object: 1/1/2 track-01-01[0]-02");
    const QString t113 = QStringLiteral("object: 1/1/3 track-01-01[0]-03");
    const QString t121 = QStringLiteral("object: 1/2/1 track-01-02[0]-01");
    const QString t211 = QStringLiteral("object: 2/1/1 track-02-01[0]-01");
    const QString i1112 = QStringLiteral("object: 1/1/1/2 index-01-01[0]-02");
    const QString i1121 = QStringLiteral("object: 1/1/2/3 index-01-01[0]-03");
    QTest::newRow("default is all") << QStringList{} << QStringList{t111, t112, t113, t121, t211};
    QTest::newRow("all") << QStringList{QStringLiteral("all")}
                         << QStringList{t111, t112, t113, t121, t211};
    QTest::newRow("titleset") << QStringList{QStringLiteral("1")}
                              << QStringList{t111, t112, t113, t121};
    QTest::newRow("title") << QStringList{QStringLiteral("1/1")} << QStringList{t111, t112, t113};
    QTest::newRow("track") << QStringList{QStringLiteral("2/1/1")} << QStringList{t211};
    QTest::newRow("zero-padded") << QStringList{QStringLiteral("01/02/01")} << QStringList{t121};
    QTest::newRow("order as given")
        << QStringList{QStringLiteral("1/1/3"), QStringLiteral("2/1/1"), QStringLiteral("1/1/1")}
        << QStringList{t113, t211, t111};
    QTest::newRow("indexes by their own number")
        << QStringList{QStringLiteral("1/1/1/2"), QStringLiteral("1/1/2/3")}
        << QStringList{i1112, i1121};
    QTest::newRow("track and its index both")
        << QStringList{QStringLiteral("1/1/1"), QStringLiteral("1/1/1/2")}
        << QStringList{t111, i1112};
    QTest::newRow("each object once")
        << QStringList{QStringLiteral("1/1/2"), QStringLiteral("1/1"), QStringLiteral("all")}
        << QStringList{t112, t111, t113, t121, t211};
}

void TestCliExtract::selectorsPickObjects()
{
    QFETCH(QStringList, selectors);
    QFETCH(QStringList, objects);
    testzone::ZoneFolder folder(selectorZone());
    QVERIFY(folder.ok());
    CliArguments parsed;
    QString error;
    QVERIFY(parseArguments(QStringList{QStringLiteral("extract"), folder.path(),
                                       QStringLiteral("-o"), QStringLiteral("out")}
                               + selectors,
                           &parsed, &error));
    DVDAZone zone{QDir(folder.path())};
    QList<DVDAObject *> selected;
    QVERIFY2(selectExtractObjects(&zone, parsed.selectors, &selected, &error), qPrintable(error));
    QStringList lines;
    for (const DVDAObject *object : selected)
        lines << QStringLiteral("object: %1 %2").arg(selectorOf(object),
                                                     objectBaseName(object));
    QCOMPARE(lines, objects);
}

void TestCliExtract::badInputWritesNothing()
{
    testzone::ZoneFolder folder(selectorZone());
    QTemporaryDir out;
    QVERIFY(folder.ok() && out.isValid());

    // A good selector first, then bad ones: refused before the first file is made.
    const struct {
        const char *selector;
        const char *message;
    } cases[] = {
        {"9/9/9", "selector '9/9/9': the zone has no titleset 9"},
        {"1/1/4", "selector '1/1/4': title 1/1 has no track 4"},
        {"1/1/2/1", "selector '1/1/2/1': track 1/1/2 has no index 1"},
        {"3", "selector '3' names no track to extract"},
        {"track1", "'track1' is not a selector"},
    };
    for (const auto &c : cases) {
        const CliRun run = runCli({QStringLiteral("extract"), folder.path(), QStringLiteral("-o"),
                                   out.path(), QStringLiteral("1/1/1"), QLatin1String(c.selector)});
        QVERIFY2(run.exitCode == 2, c.selector);
        QVERIFY2(run.err.contains(c.message), run.err.constData());
        QVERIFY(filesIn(out.path()).isEmpty());
    }

    // A missing output folder is not made.
    const QString missing = out.filePath(QStringLiteral("missing"));
    CliRun run = runCli({QStringLiteral("extract"), folder.path(), QStringLiteral("-o"), missing});
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains("output folder '" + missing.toUtf8() + "' does not exist"), run.err);
    QVERIFY(!QFileInfo::exists(missing));

    // A file is no folder.
    run = runCli({QStringLiteral("extract"), folder.path(), QStringLiteral("-o"),
                  folder.filePath(QStringLiteral("AUDIO_TS.IFO"))});
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains("is not a folder"), run.err);

    // No zone.
    run = runCli({QStringLiteral("extract"), out.path(), QStringLiteral("-o"), out.path()});
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains("holds no DVD-Audio zone"), run.err);
    QVERIFY(filesIn(out.path()).isEmpty());
}

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
    QVERIFY2(QRegularExpression(QStringLiteral("^2 file\\(s\\) written, 0\\.1 MB, in 0:00:0\\d$"))
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

void TestCliExtract::sameNamesAreWrittenApart()
{
    // Two titles of one track each, both numbered 1 with tag 0 (a damaged table).
    PcmZone pcm = pcmZone(2, 4800);
    std::vector<testzone::Title> &titles = pcm.zone.titlesets[0].info.titles;
    const testzone::Title whole = titles[0];
    titles = {testzone::makeTitle({{90000, {whole.indexes[0]}}}),
              testzone::makeTitle({{90000, {whole.indexes[1]}}})};
    titles[1].titleId = 1;
    testzone::ZoneFolder folder(pcm.zone);
    QTemporaryDir out;
    QVERIFY(folder.ok() && out.isValid());
    const CliRun run = runCli({QStringLiteral("extract"), folder.path(), QStringLiteral("-o"),
                               out.path(), QStringLiteral("--store")});
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.err.contains("  written as track-01-01[0]-01-2: an earlier object of this "
                              "extraction has its name\n"), run.err);
    QCOMPARE(fileBytes(fileLike(out.path(), QStringLiteral("track-01-01[0]-01-["), QStringLiteral(".pcm"))),
             pcm.storedAudio[0]);
    QCOMPARE(fileBytes(fileLike(out.path(), QStringLiteral("track-01-01[0]-01-2-"), QStringLiteral(".pcm"))),
             pcm.storedAudio[1]);
}

// A second rip into the folder of the first: refused before anything is written when any
// file it would write exists (not only the first), the first few named; --overwrite
// replaces. A dry run lists its objects, then refuses the same way.
void TestCliExtract::existingFilesAreReplacedOnlyWhenAsked()
{
    const PcmZone pcm = pcmZone(4, 4800);
    testzone::ZoneFolder folder(pcm.zone);
    QTemporaryDir out;
    QVERIFY(folder.ok() && out.isValid());
    const QStringList extract{QStringLiteral("extract"), folder.path(), QStringLiteral("-o"), out.path()};
    QCOMPARE(runCli(extract).exitCode, 0);
    const QStringList names = filesIn(out.path());
    QCOMPARE(names.size(), 4);

    CliRun run = runCli(extract);
    QCOMPARE(run.exitCode, 2);
    QCOMPARE(linesOf(run.err), QStringList{QStringLiteral("kestrova-cli: %1, %2, %3 and 1 more in '%4' exist; "
                                                          "use --overwrite or another folder")
                                               .arg(names[0], names[1], names[2], out.path())});

    // Only the last track's file is left, holding the first rip's (here: other) bytes.
    for (int k = 0; k < 3; ++k)
        QVERIFY(QFile::remove(out.filePath(names[k])));
    QFile last(out.filePath(names[3]));
    QVERIFY(last.open(QIODevice::WriteOnly) && last.write("first rip") == 9);
    last.close();
    run = runCli(extract + QStringList{QStringLiteral("--dry-run")});
    QCOMPARE(run.exitCode, 2);
    QCOMPARE(objectLines(run.out).size(), 4);
    run = runCli(extract);
    QCOMPARE(run.exitCode, 2);
    QCOMPARE(linesOf(run.err), QStringList{QStringLiteral("kestrova-cli: %1 in '%2' exists; use --overwrite "
                                                          "or another folder").arg(names[3], out.path())});
    QCOMPARE(filesIn(out.path()), QStringList{names[3]});
    QCOMPARE(fileBytes(out.filePath(names[3])), QByteArray("first rip"));

    run = runCli(extract + QStringList{QStringLiteral("--overwrite")});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(filesIn(out.path()), names);
    QCOMPARE(fileBytes(out.filePath(names[3])), pcm.storedAudio[3]);
}

// Files named by a template, every layout's files filled in with their own fields, in
// subfolders where it has a '/'; a dry run lists the very files the run writes. A template
// that gives two files one name, a name that leaves the output folder, an empty or hidden
// name or an unknown placeholder writes nothing and is a usage error, dry run or not.
void TestCliExtract::nameTemplates_data()
{
    QTest::addColumn<QStringList>("flags");
    QTest::addColumn<QStringList>("files"); // below the output folder; empty: refused with the message
    QTest::addColumn<QString>("message");
    QTest::newRow("stored") << QStringList{"--name=%track% of %titleset%-%title% [%channels%] %bits%"}
                            << QStringList{"01 of 01-01 [L-R] 24.pcm", "02 of 01-01 [L-R] 24.pcm"} << "";
    QTest::newRow("split into channels") << QStringList{"--convert", "--split", "--name=%kind%%track%-%channels%-%rate%"}
        << QStringList{"track01-L-96000.wav", "track01-R-96000.wav", "track02-L-96000.wav", "track02-R-96000.wav"}
        << "";
    QTest::newRow("subfolders") << QStringList{"--convert", "--split", "--name=%titleset%/%title%-%track%/%channels%"}
        << QStringList{"01/01-01/L.wav", "01/01-01/R.wav", "01/01-02/L.wav", "01/01-02/R.wav"} << "";
    QTest::newRow("one name for two tracks") << QStringList{"--flac", "--name=rip %channels%"} << QStringList{}
        << "kestrova-cli: the name template gives more than one file the name 'OUT/rip L-R.flac'";
    QTest::newRow("one name for two channels") << QStringList{"--convert", "--split", "--name=%track%"}
        << QStringList{} << "kestrova-cli: the name template gives more than one file the name 'OUT/01.wav'";
    // A cue sheet quotes its file's name and cannot escape a quote: names hold none.
    QTest::newRow("a quote") << QStringList{"--name=a\"b%track%"} << QStringList{"a_b01.pcm", "a_b02.pcm"} << "";
    // Refused before anything is written, not when the file cannot be made.
    const QString longName = QString(250, 'n');
    QTest::newRow("a name too long") << QStringList{"--name=" + longName + "%track%"} << QStringList{}
        << "kestrova-cli: the name of 'OUT/" + longName + "01.pcm' is longer than the output folder's file "
           "system allows (255 bytes, 10 more while it is written)";
    QTest::newRow("an absolute path") << QStringList{"--name=/tmp/%track%"} << QStringList{}
        << "kestrova-cli: the name template gives '/tmp/01.pcm', which is outside the output folder";
    QTest::newRow("up out of the folder") << QStringList{"--name=a/../../%track%"} << QStringList{}
        << "kestrova-cli: the name template gives 'a/../../01.pcm', which is outside the output folder";
    QTest::newRow("through a link out") << QStringList{"--name=link/%track%"} << QStringList{}
        << "kestrova-cli: the name template gives 'link/01.pcm', which is outside the output folder";
    QTest::newRow("an empty name") << QStringList{"--name=%volume%"} << QStringList{}
        << "kestrova-cli: the name template gives '.pcm', in which a name is empty";
    QTest::newRow("an empty folder") << QStringList{"--name=a//%track%"} << QStringList{}
        << "kestrova-cli: the name template gives 'a//01.pcm', in which a name is empty";
    QTest::newRow("a hidden name") << QStringList{"--flac", "--name=.%track%"} << QStringList{}
        << "kestrova-cli: the name template gives '.01.flac', in which '.01.flac' is a hidden name";
    QTest::newRow("a hidden folder") << QStringList{"--name=./%track%"} << QStringList{}
        << "kestrova-cli: the name template gives './01.pcm', in which '.' is a hidden name";
    QTest::newRow("an unknown placeholder") << QStringList{"--name=%album% %track%"} << QStringList{}
        << "kestrova-cli: the name template holds '%album%', which is no placeholder (those are %kind% "
           "%titleset% %title% %tag% %track% %index% %volume% %channels% %bits% %rate%)";
}

void TestCliExtract::nameTemplates()
{
    QFETCH(QStringList, flags);
    QFETCH(QStringList, files);
    QFETCH(QString, message);
    const PcmZone pcm = pcmZone(2, 4800, {2, 24, 96000});
    testzone::ZoneFolder folder(pcm.zone);
    QTemporaryDir out, elsewhere;
    QVERIFY(folder.ok() && out.isValid() && elsewhere.isValid());
    QVERIFY(QFile::link(elsewhere.path(), out.filePath("link")));
    message.replace("OUT", out.path());
    const QStringList extract{QStringLiteral("extract"), folder.path(), QStringLiteral("-o"), out.path()};
    const auto filesBelow = [](const QString &dir) {
        QStringList found;
        for (QDirIterator it(dir, QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
            found << QDir(dir).relativeFilePath(it.next());
        found.removeAll(QStringLiteral("kestrova-rip.log"));
        found.sort();
        return found;
    };

    const CliRun dry = runCli(extract + flags + QStringList{QStringLiteral("--dry-run")});
    QStringList listed;
    for (const QString &line : linesOf(dry.out).filter(QRegularExpression(QStringLiteral("^  file: "))))
        listed << QDir(out.path()).relativeFilePath(line.mid(8));
    const CliRun run = runCli(extract + flags);
    QCOMPARE(filesBelow(out.path()), files);
    QCOMPARE(filesBelow(elsewhere.path()), QStringList());
    if (files.isEmpty()) {
        for (const CliRun &refused : {dry, run}) {
            QCOMPARE(refused.exitCode, 2);
            QCOMPARE(linesOf(refused.err).value(0), message);
        }
        return;
    }
    QCOMPARE(dry.exitCode, 0);
    QCOMPARE(listed, files);
    QCOMPARE(run.exitCode, 0);
    if (!flags.contains("--split"))
        QCOMPARE(fileBytes(out.filePath(files[1])), pcm.storedAudio[1]);
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
                                        : QStringLiteral("Extracted 1 file(s); objects the zone's damage hid were left out."));
    if (exitCode != 0 && files > 0) // named again before it
        QCOMPARE(lines.value(lines.size() - 2), QStringLiteral("kestrova-cli: ") + problem);
    QVERIFY(!run.err.contains("--help"));
    QCOMPARE(filesIn(out.path()).size(), files);
}

void TestCliExtract::stopSignalEndsWithFinishedFiles_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("SIGINT") << int(SIGINT);
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGHUP") << int(SIGHUP); // the terminal was closed
}

void TestCliExtract::stopSignalEndsWithFinishedFiles()
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
void TestCliExtract::statusLineOnATerminalShowsTheWhole()
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
    const QRegularExpression whole(QStringLiteral("\\|  \\d+/99 objects  [0-9.]+/[0-9.]+ MB  [0-9.]+x real time  "
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

void TestCliExtract::progressLine_data()
{
    QTest::addColumn<QStringList>("objects");
    QTest::addColumn<QString>("text");
    QTest::newRow("one worker") << QStringList{}
        << "track 1/1/3  block 150 (100-199)  50%  jobs waiting: 2";
    QTest::newRow("one of two running") << QStringList{"track 1/1/3 50%"}
        << "track 1/1/3  block 150 (100-199)  50%  jobs waiting: 2";
    QTest::newRow("two running") << QStringList{"track 1/1/3 50%", "track 1/1/4 7%"}
        << "track 1/1/3 50%, track 1/1/4 7%  jobs waiting: 2";
}

void TestCliExtract::progressLine()
{
    QFETCH(QStringList, objects);
    QFETCH(QString, text);
    ProgressState state;
    state.extracting = state.runsJobs = true;
    state.jobsWaiting = 2;
    state.object = QStringLiteral("track 1/1/3");
    state.firstBlock = 100;
    state.currentBlock = 150;
    state.lastBlock = 199;
    state.objects = objects;
    QCOMPARE(progressText(state), text);
}

QTEST_GUILESS_MAIN(TestCliExtract)
#include "tst_cliextract.moc"
