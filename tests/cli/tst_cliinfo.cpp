// kestrova-cli info: the tree with the window's labels, property rows, JSON that other
// programs can read, and clear errors for bad zones, selectors and arguments.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "clitest.h"
#include "cli/jsoncliformatter.h"
#include "testzone/pcmtrack.h"
#include "testzone/wavereader.h"
#include "cli/cliarguments.h"
#include "cli/selectors.h"
#include "kestrova_version.h"
#include "zone/dvdazone.h"

using namespace clitest;

namespace {

// Titleset 1 audio with two titles (the second tagged), titleset 2 unreadable, titleset 3
// video.
testzone::Zone treeZone()
{
    testzone::Zone zone;
    testzone::Titleset &audio = zone.titlesets.emplace_back();
    testzone::Title first = testzone::makeTitle({{2 * 90000, {{0, 4}, {5, 9}}},
                                                 {3 * 90000, {{10, 19}}}});
    testzone::Title second = testzone::makeTitle({{90000, {{20, 29}}}});
    second.titleId = 0x82;
    audio.info.titles = {first, second};
    audio.aobFiles.push_back(testzone::AobFile::ofBytes(testzone::numberedBlocks(0, 30)));
    zone.titlesets.push_back(testzone::Titleset::absent());
    testzone::Titleset &video = zone.titlesets.emplace_back();
    video.info.videoObjects = 1;
    video.info.titles.push_back(testzone::makeTitle({{90000, {{0, 9}}}}));
    return zone;
}

const char expectedTree[] =
    "AUDIO_TS.IFO\n"
    "  ATS_01_0.IFO - Audio\n"
    "    Title 01[0] - 00:00:05 - 2 tracks\n"
    "      Track 01 - 00:00:02 - (00000000-00000009)\n"
    "        01 - 00:00:01 - (00000000-00000004)\n"
    "        02 - 00:00:01 - (00000005-00000009)\n"
    "      Track 02 - 00:00:03 - (00000010-00000019)\n"
    "        03 - 00:00:03 - (00000010-00000019)\n"
    "    Title 02[1] - 00:00:01 - 1 track\n"
    "      Track 01 - 00:00:01 - (00000020-00000029)\n"
    "        01 - 00:00:01 - (00000020-00000029)\n"
    "  ATS_03_0.IFO - Video\n";

// Rebuilds the text tree from the JSON alone: the listed nodes' labels, two blanks a
// level; then, after a line "--", each listed track's selector and its property rows.
const char pythonReader[] = R"(
import json, sys
doc = json.load(sys.stdin)
out = []
tracks = []
def walk(node, depth):
    if not node["listed"]:
        return
    out.append("  " * depth + node["label"])
    if node["kind"] == "track":
        tracks.append(node)
    for key in ("titlesets", "titles", "tracks", "indexes"):
        for child in node.get(key, []):
            walk(child, depth + 1)
walk(doc, 0)
print("\n".join(out))
print("--")
for t in tracks:
    rows = "|".join(r["parameter"] + ": " + r["value"] for r in t["properties"])
    print(t["selector"], t["firstBlock"], t["lastBlock"], t["streamInfo"]["subStreamId"], rows)
)";

} // namespace

class TestCliInfo : public QObject {
    Q_OBJECT

private slots:
    void treeHasTheWindowLabels();
    void anyFileOfTheZoneOpensIt();
    void propertyRowsOfEachKind();
    void jsonReadsInPython();
    void jsonOfOneObject();
    void jsonStartsAreTheMarks();
    void taggedTitlesNeedTheTag();
    void unreadableZonesAreErrors();
    void badSelectorsAreUsageErrors();
    void usageConventions();
    void fullStandardOutputIsAFailure_data();
    void fullStandardOutputIsAFailure();
};

// The tree info prints after the line of the disc ID, which it checks.
QString treeOf(const QByteArray &out)
{
    const QString text = QString::fromUtf8(out);
    const QString first = text.section(QLatin1Char('\n'), 0, 0);
    if (!QRegularExpression(QStringLiteral("^Disc ID: [0-9a-f]{32}$")).match(first).hasMatch())
        return QStringLiteral("(no disc ID line) ") + text;
    return text.section(QLatin1Char('\n'), 1);
}

void TestCliInfo::treeHasTheWindowLabels()
{
    testzone::ZoneFolder folder(treeZone());
    QVERIFY(folder.ok());
    const CliRun run = runCli({QStringLiteral("info"), folder.path()});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(treeOf(run.out), QString::fromLatin1(expectedTree));
    // Titleset 2, named by AUDIO_TS.IFO but without files, is missing from the tree.
    QCOMPARE(run.err, QByteArray("kestrova-cli: ATS_02_0.IFO: cannot open the information "
                                 "file (missing, or not a regular file)\n"));
}

void TestCliInfo::anyFileOfTheZoneOpensIt()
{
    testzone::ZoneFolder folder(treeZone());
    QVERIFY(folder.ok());
    for (const QString &name : {QStringLiteral("AUDIO_TS.IFO"), testzone::titlesetInfoName(1),
                                testzone::aobName(1, 1)}) {
        const CliRun run = runCli({QStringLiteral("info"), folder.filePath(name)});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(treeOf(run.out), QString::fromLatin1(expectedTree));
    }
    // A mounted disc's root: the zone is its AUDIO_TS folder, in whatever case.
    QTemporaryDir root;
    QVERIFY(QFile::link(folder.path(), root.filePath(QStringLiteral("Audio_TS"))));
    const CliRun run = runCli({QStringLiteral("info"), root.path()});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(treeOf(run.out), QString::fromLatin1(expectedTree));
}

void TestCliInfo::propertyRowsOfEachKind()
{
    testzone::ZoneFolder folder(treeZone());
    QVERIFY(folder.ok());
    const auto rows = [&](const QString &selector) {
        const CliRun run = runCli({QStringLiteral("info"), QStringLiteral("--properties"),
                                   selector, folder.path()});
        return run.exitCode == 0 ? linesOf(run.out) : QStringList{QString::fromUtf8(run.err)};
    };

    const auto expect = [&](const QString &selector, const QString &expected) {
        QCOMPARE(rows(selector), expected.split('|'));
    };
    expect("1", "AOBs location: AUDIO_TS folder");
    expect("3", "VOBs location: VIDEO_TS folder");
    expect("1/2", "Title id: 2|Title tag: 1");
    // Blocks without packs: no stream, so only the rows every track and index has.
    expect("1/1/2", "Stream type: Unknown|Track: 2|Time: 00:00:03|Time in PTS: 270000|First block: 10|"
                    "Last block: 19|Size on disc: 20480 bytes");
    // An index by its own number: the second index of track 1.
    expect("01/01/01/02", "Stream type: Unknown|Track: 1|Index: 2|Time: 00:00:01|Time in PTS: 90000|"
                          "First block: 5|Last block: 9|Size on disc: 10240 bytes");
}

void TestCliInfo::jsonReadsInPython()
{
    testzone::ZoneFolder folder(treeZone());
    QVERIFY(folder.ok());
    const CliRun json = runCli({QStringLiteral("info"), QStringLiteral("--json"), folder.path()});
    QCOMPARE(json.exitCode, 0);
    // What could not be read is listed with the tree.
    const QJsonArray problems = QJsonDocument::fromJson(json.out).object()[QStringLiteral("problems")].toArray();
    QCOMPARE(problems.size(), 1);
    QCOMPARE(problems[0].toObject()[QStringLiteral("file")].toString(), QStringLiteral("ATS_02_0.IFO"));
    QCOMPARE(problems[0].toObject()[QStringLiteral("offset")].toInt(), -1);
    const QJsonObject root = QJsonDocument::fromJson(json.out).object();
    QCOMPARE(root[QStringLiteral("schemaVersion")].toInt(), 1);
    const QJsonObject track = root["titlesets"][0]["titles"][0]["tracks"][0].toObject();
    QCOMPARE(track["streamInfo"]["codec"].toString(), QStringLiteral("unknown"));

    QProcess python;
    python.start(QStringLiteral("python3"), {QStringLiteral("-c"), QString::fromLatin1(pythonReader)});
    if (!python.waitForStarted())
        QSKIP("python3 is not available");
    python.write(json.out);
    python.closeWriteChannel();
    QVERIFY(python.waitForFinished(30000));
    QVERIFY2(python.exitCode() == 0, python.readAllStandardError().constData());
    const QStringList lines = linesOf(python.readAllStandardOutput());
    const int split = lines.indexOf(QStringLiteral("--"));
    QVERIFY(split > 0);

    // The listed labels are the text tree, line for line.
    QCOMPARE(lines.mid(0, split).join(QLatin1Char('\n')) + QLatin1Char('\n'),
             QString::fromLatin1(expectedTree));
    // Every track with the fields and the rows that --properties prints.
    const QStringList tracks = lines.mid(split + 1);
    QCOMPARE(tracks.size(), 3);
    QVERIFY2(tracks[0].startsWith(QStringLiteral("1/1/1 0 9 0 Stream type: Unknown|Track: 1|")), qPrintable(tracks[0]));
    QVERIFY2(tracks[1].startsWith(QStringLiteral("1/1/2 10 19 0 ")), qPrintable(tracks[1]));
    QVERIFY2(tracks[2].startsWith(QStringLiteral("1/2/1 20 29 0 ")), qPrintable(tracks[2]));
    const CliRun rows = runCli({QStringLiteral("info"), QStringLiteral("--properties"),
                                QStringLiteral("1/1/2"), folder.path()});
    QCOMPARE(tracks[1].section(QLatin1Char(' '), 4), linesOf(rows.out).join(QLatin1Char('|')));
}

void TestCliInfo::jsonOfOneObject()
{
    testzone::ZoneFolder folder(treeZone());
    QVERIFY(folder.ok());
    const CliRun run = runCli({QStringLiteral("info"), QStringLiteral("--json"),
                               QStringLiteral("--properties"), QStringLiteral("1/1/1/2"),
                               folder.path()});
    QCOMPARE(run.exitCode, 0);
    QJsonParseError error;
    const QJsonObject node = QJsonDocument::fromJson(run.out, &error).object();
    QCOMPARE(error.error, QJsonParseError::NoError);
    QCOMPARE(node.value(QStringLiteral("kind")).toString(), QStringLiteral("index"));
    QCOMPARE(node.value(QStringLiteral("selector")).toString(), QStringLiteral("1/1/1/2"));
    QCOMPARE(node.value(QStringLiteral("first")).toInt(), 5);
    QCOMPARE(node.value(QStringLiteral("last")).toInt(), 9);
    QCOMPARE(node.value(QStringLiteral("indexPos")).toInt(), 1);
    const QJsonArray rows = node.value(QStringLiteral("properties")).toArray();
    QCOMPARE(rows.at(2).toObject().value(QStringLiteral("parameter")).toString(), QStringLiteral("Index"));
    QCOMPARE(rows.at(2).toObject().value(QStringLiteral("value")).toString(), QStringLiteral("2"));

    // Titleset 2 could not be read: in the JSON tree, but not listed and without a label.
    const CliRun whole = runCli({QStringLiteral("info"), QStringLiteral("--json"), folder.path()});
    const QJsonArray titlesets = QJsonDocument::fromJson(whole.out).object()
                                     .value(QStringLiteral("titlesets")).toArray();
    QCOMPARE(titlesets.size(), 3);
    const QJsonObject unknown = titlesets.at(1).toObject();
    QCOMPARE(unknown.value(QStringLiteral("contentKindName")).toString(), QStringLiteral("unknown"));
    QCOMPARE(unknown.value(QStringLiteral("listed")).toBool(), false);
    QVERIFY(!unknown.contains(QStringLiteral("label")));
}

// Each track's and index's start in its title is the sample its mark in the title's file
// gives, so that scripts cut where a player would.
void TestCliInfo::jsonStartsAreTheMarks()
{
    testzone::PcmTrack title(1, testzone::PcmGroup{2, 24, 192000}, testzone::PcmGroup{}, 6000,
                             {1001, 2999, 2000});
    QTemporaryDir out;
    ExtractOptions options;
    options.mode = ModeConvert;
    QCOMPARE(title.convertTitle(out.filePath(QStringLiteral("t")), options), ResultCode::Succeeded);
    const testzone::WaveContents wave = testzone::readWave(out.filePath(QStringLiteral("t-[L-R]-24-192000.wav")));
    QCOMPARE(wave.cues.size(), size_t(3));

    const QJsonObject node = QJsonDocument::fromJson(JsonCliFormatter().propertyRows(title.title())).object();
    const QJsonArray tracks = node.value(QStringLiteral("tracks")).toArray();
    QCOMPARE(tracks.size(), 3);
    for (int k = 0; k < 3; ++k) {
        const QJsonObject track = tracks.at(k).toObject();
        QCOMPARE(track.value(QStringLiteral("startSample")).toInteger(), qint64(wave.cues[size_t(k)].position));
        QCOMPARE(track.value(QStringLiteral("startPts")).toInteger(),
                 qint64(static_cast<DVDATrack *>(title.track(k))->titleStartPts()));
        const QJsonObject index = track.value(QStringLiteral("indexes")).toArray().at(0).toObject();
        QCOMPARE(index.value(QStringLiteral("startSample")), track.value(QStringLiteral("startSample")));
    }
}

void TestCliInfo::taggedTitlesNeedTheTag()
{
    testzone::Zone zone;
    testzone::Titleset &ts = zone.titlesets.emplace_back();
    testzone::Title plain = testzone::makeTitle({{90000, {{0, 4}}}});
    testzone::Title tagged = testzone::makeTitle({{90000, {{5, 9}}}, {90000, {{10, 14}}}});
    plain.titleId = 0x01;
    tagged.titleId = 0x81;
    ts.info.titles = {plain, tagged};
    ts.aobFiles.push_back(testzone::AobFile::ofBytes(testzone::numberedBlocks(0, 15)));
    testzone::ZoneFolder folder(zone);
    QVERIFY(folder.ok());

    const CliRun ambiguous = runCli({QStringLiteral("info"), QStringLiteral("--properties"),
                                     QStringLiteral("1/1"), folder.path()});
    QCOMPARE(ambiguous.exitCode, 2);
    QVERIFY2(ambiguous.err.contains("1/1[0] or 1/1[1]"), ambiguous.err);
    QVERIFY(ambiguous.out.isEmpty());

    const CliRun tagged1 = runCli({QStringLiteral("info"), QStringLiteral("--properties"),
                                   QStringLiteral("1/1[1]/2"), folder.path()});
    QCOMPARE(tagged1.exitCode, 0);
    QVERIFY2(tagged1.out.contains("First block: 10\n"), tagged1.out);

    // The JSON writes the tag into the selectors exactly where it is needed.
    const CliRun json = runCli({QStringLiteral("info"), QStringLiteral("--json"), folder.path()});
    const QJsonArray titles = QJsonDocument::fromJson(json.out).object()
                                  .value(QStringLiteral("titlesets")).toArray().at(0).toObject()
                                  .value(QStringLiteral("titles")).toArray();
    QCOMPARE(titles.at(0).toObject().value(QStringLiteral("selector")).toString(), QStringLiteral("1/1[0]"));
    QCOMPARE(titles.at(1).toObject().value(QStringLiteral("tracks")).toArray().at(1).toObject()
                 .value(QStringLiteral("selector")).toString(),
             QStringLiteral("1/1[1]/2"));
}

void TestCliInfo::unreadableZonesAreErrors()
{
    QTemporaryDir empty;
    QVERIFY(empty.isValid());
    const QString missing = empty.filePath(QStringLiteral("no-such-folder"));
    CliRun run = runCli({QStringLiteral("info"), missing});
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains("no such file or folder") && run.err.contains(missing.toUtf8()), run.err);
    QVERIFY(run.out.isEmpty());

    run = runCli({QStringLiteral("info"), empty.path()});
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains("holds no DVD-Audio zone"), run.err);

    testzone::Zone damaged = treeZone();
    damaged.manager.magic = "DVDAUDIO-AMX";
    testzone::ZoneFolder folder(damaged);
    QVERIFY(folder.ok());
    run = runCli({QStringLiteral("info"), QStringLiteral("--json"), folder.path()});
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains("holds no DVD-Audio zone"), run.err);
    QVERIFY(run.out.isEmpty());
}

void TestCliInfo::badSelectorsAreUsageErrors()
{
    testzone::ZoneFolder folder(treeZone());
    QVERIFY(folder.ok());
    const struct {
        const char *selector;
        const char *message;
    } cases[] = {
        {"x", "'x' is not a selector"},
        {"1/", "'1/' is not a selector"},
        {"1/1/1/1/1", "is not a selector"},
        {"all", "'all' names more than one object"},
        {"2", "the zone has no titleset 2"}, // not readable, so not in the tree
        {"7/1", "the zone has no titleset 7"},
        {"3/1", "titleset 3 has no audio title 1"}, // video: the tree shows no titles
        {"1/3", "titleset 1 has no audio title 3"},
        {"1/2[0]", "titleset 1 has no audio title 2[0]"},
        {"1/1/3", "title 1/1 has no track 3"},
        {"1/1/2/1", "track 1/1/2 has no index 1"}, // index 1 belongs to track 1
    };
    DVDAZone zone{QDir(folder.path())};
    for (const auto &c : cases) {
        QString error;
        QVERIFY2(!selectOneObject(&zone, QLatin1String(c.selector), &error), c.selector);
        QVERIFY2(error.contains(QLatin1String(c.message)), qPrintable(error));
    }
    // The program answers a bad selector as a usage error, before printing anything.
    const CliRun run = runCli({QStringLiteral("info"), folder.path(),
                               QStringLiteral("--properties"), QStringLiteral("1/3")});
    QCOMPARE(run.exitCode, 2);
    QVERIFY2(run.err.contains("titleset 1 has no audio title 3"), run.err.constData());
    QVERIFY(run.out.isEmpty());
}

void TestCliInfo::usageConventions()
{
    CliRun run = runCli({QStringLiteral("--help")});
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.out.startsWith("Usage: kestrova-cli"));
    QVERIFY(run.out.contains("--old-format"));
    QVERIFY(run.err.isEmpty());
    for (const QByteArray &line : run.out.split('\n')) // fits a terminal of 80 columns
        QVERIFY2(line.size() <= 80, line.constData());

    run = runCli({QStringLiteral("--version")});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, QByteArray("kestrova-cli " KESTROVA_VERSION "\n"));

    // A usage error: the reason after the program's name, the hint to --help, exit 2.
    run = runCli({QStringLiteral("list"), QStringLiteral("z")});
    QCOMPARE(run.exitCode, 2);
    QVERIFY2(run.err.startsWith("kestrova-cli: unknown command 'list'"), run.err.constData());
    QVERIFY(run.err.contains("--help"));
    QVERIFY(run.out.isEmpty());

    const struct {
        QStringList arguments;
        const char *message;
    } cases[] = {
        {{}, "no command given"},
        {{QStringLiteral("list"), QStringLiteral("z")}, "unknown command 'list'"},
        {{QStringLiteral("info")}, "info needs a zone"},
        {{QStringLiteral("extract"), QStringLiteral("z")}, "extract needs an output folder: -o DIR"},
        {{QStringLiteral("info"), QStringLiteral("a"), QStringLiteral("b")}, "info takes one zone"},
        {{QStringLiteral("info"), QStringLiteral("--jsn"), QStringLiteral("z")}, "unknown option '--jsn'"},
        {{QStringLiteral("info"), QStringLiteral("-o"), QStringLiteral("d"), QStringLiteral("z")},
         "option '-o' does not belong to the command info"},
        {{QStringLiteral("info"), QStringLiteral("z"), QStringLiteral("--properties")},
         "option '--properties' needs a value"},
        {{QStringLiteral("info"), QStringLiteral("--json=yes"), QStringLiteral("z")},
         "option '--json' takes no value"},
    };
    for (const auto &c : cases) {
        CliArguments parsed;
        QString error;
        QVERIFY2(!parseArguments(c.arguments, &parsed, &error),
                 qPrintable(c.arguments.join(QLatin1Char(' '))));
        QVERIFY2(error.contains(QLatin1String(c.message)), qPrintable(error));
    }
}

void TestCliInfo::fullStandardOutputIsAFailure_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("tree") << QStringList{QStringLiteral("info")};
    QTest::newRow("json") << QStringList{QStringLiteral("info"), QStringLiteral("--json")};
    QTest::newRow("help") << QStringList{QStringLiteral("--help")};
}

void TestCliInfo::fullStandardOutputIsAFailure()
{
    QFETCH(QStringList, arguments);
    testzone::ZoneFolder folder(treeZone());
    QVERIFY(folder.ok());
    if (arguments.first() == QLatin1String("info"))
        arguments << folder.path();
    QProcess process;
    process.setStandardOutputFile(QStringLiteral("/dev/full"));
    startCli(process, arguments);
    const CliRun run = finishCli(process);
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains("cannot write to standard output: No space left on device"), run.err);
}

QTEST_GUILESS_MAIN(TestCliInfo)
#include "tst_cliinfo.moc"
