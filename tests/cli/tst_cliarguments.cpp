// kestrova-cli extract's command line: every flag reaches the options record, selectors pick
// the right objects in the right order, and bad input is refused before anything is written.
#include <QRegularExpression>

#include "clitest.h"
#include "cli/cliarguments.h"
#include "text/optionstext.h"
#include "cli/selectors.h"
#include "extraction/objectnames.h"
#include "zone/dvdazone.h"

using namespace clitest;

namespace {

// The options record as --dry-run prints it when no flag is given.
QStringList defaultOptionLines(const QString &outputDir)
{
    return QStringList{"output: " + outputDir}
           + QString("mode: store|merge: false|split: false|downmix: false|recover: false|old-format: false|"
                     "run: false|command: |cache: 1000|delete: false|log: false|keep-going: false|"
                     "keep-partial: false|threads: auto|format: wav|compression: 5|tag: |per-title: false|"
                     "replaygain: false|album: title|name: ")
                 .split('|');
}

// A row of two lists, each given as its items with "|" between them.
void listsRow(const char *name, const char *first, const char *second)
{
    QTest::newRow(name) << QString(first).split('|', Qt::SkipEmptyParts) << QString(second).split('|', Qt::SkipEmptyParts);
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

} // namespace

class TestCliArguments : public QObject {
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
};

void TestCliArguments::everyFlagReachesTheOptions_data()
{
    QTest::addColumn<QStringList>("flags");
    QTest::addColumn<QStringList>("changes");
    listsRow("defaults", "", "");
    listsRow("store", "--store", "");
    listsRow("convert", "--convert", "mode: convert");
    listsRow("merge", "--merge", "merge: true");
    listsRow("split", "--split", "split: true");
    listsRow("downmix", "--downmix", "downmix: true");
    listsRow("recover", "--recover", "recover: true");
    listsRow("old-format", "--old-format", "old-format: true");
    listsRow("run", "--run|flac -s \"%filepath%\"", "run: true|command: flac -s \"%filepath%\"");
    listsRow("run=", "--run=lame %filepath%", "run: true|command: lame %filepath%");
    listsRow("empty run", "--run=", ""); // as in the dialog: no command, nothing to run
    listsRow("delete", "--delete", "delete: true");
    listsRow("cache 0", "--cache|0", "cache: 0");
    listsRow("cache=9999", "--cache=9999", "cache: 9999");
    listsRow("threads 2", "--threads|2", "threads: 2");
    listsRow("threads=64", "--threads=64", "threads: 64");
    listsRow("log", "--log", "log: true");
    listsRow("keep-going", "--keep-going", "keep-going: true");
    listsRow("keep-partial", "--keep-partial", "keep-partial: true");
    listsRow("per-title", "--per-title", "per-title: true");
    listsRow("replaygain, album by selection", "--replaygain|--album=selection",
             "mode: convert|replaygain: true|album: selection");
    listsRow("name", "--name=%track% %channels%", "name: %track% %channels%");
    // --flac decodes, alone or with --convert; its level and tags go with it.
    listsRow("flac", "--flac", "mode: convert|format: flac");
    listsRow("flac, level and tags", "--convert|--flac|--compression=8|--tag|ARTIST=A = B|--tag=album=",
             "mode: convert|format: flac|compression: 8|tag: ARTIST=A = B; album=");
    listsRow("all at once", "--convert|--split|--recover|--old-format|--run|x %bits%|--delete|--cache=7|--log",
             "mode: convert|split: true|recover: true|old-format: true|run: true|command: x %bits%|"
             "delete: true|cache: 7|log: true");
}

void TestCliArguments::everyFlagReachesTheOptions()
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

void TestCliArguments::relativeOutputFolderBecomesAbsolute()
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
             QStringLiteral("output: ") + QDir(work.path()).filePath(QStringLiteral("out")));
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

void TestCliArguments::conflictingOrBadFlags_data()
{
    QTest::addColumn<QStringList>("flags");
    QTest::addColumn<QString>("message");
    const auto row = [](const char *name, const char *flags, const char *message) {
        QTest::newRow(name) << QString(flags).split('|') << QString(message);
    };
    row("store and convert", "--store|--convert", "--store and --convert exclude each other");
    row("merge and split", "--merge|--split", "--merge, --split and --downmix exclude each other");
    row("split and downmix", "--downmix|--split", "exclude each other");
    row("cache too big", "--cache=10000", "not '10000'");
    row("cache negative", "--cache|-1", "not '-1'");
    row("cache not a number", "--cache=lots", "not 'lots'");
    row("replaygain of stored streams", "--store|--replaygain", "--replaygain and --album go with decoded files, not --store");
    row("album without replaygain", "--album=title", "--album goes with --replaygain");
    row("album of no kind", "--replaygain|--album=disc", "--album wants 'title' or 'selection', not 'disc'");
    row("no threads", "--threads=0", "not '0'");
    row("threads too many", "--threads=65", "not '65'");
    row("info option", "--json", "'--json' does not belong to the command extract");
    row("run without command", "--run", "option '--run' needs a value");
    row("output without folder", "--output=", "option '--output' needs a folder");
    row("flac and store", "--store|--flac", "--flac goes with --convert, not --store");
    row("level too high", "--flac|--compression=9", "not '9'");
    row("level without flac", "--compression=1", "--compression and --tag go with --flac");
    row("tag without flac", "--convert|--tag=A=b", "--compression and --tag go with --flac");
    row("tag without a value", "--flac|--tag=ARTIST", "not 'ARTIST'");
    row("tag without a name", "--flac|--tag==x", "not '=x'");
    row("tag name not ASCII", "--flac|--tag=TITRÉ=x", "not 'TITRÉ=x'");
    row("tag name with a tilde", "--flac|--tag=A~B=x", "not 'A~B=x'");
}

void TestCliArguments::conflictingOrBadFlags()
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

void TestCliArguments::selectorsPickObjects_data()
{
    QTest::addColumn<QStringList>("selectors");
    QTest::addColumn<QStringList>("objects");
    // Objects by short names: t111 is track 1/1/1, i1112 index 2 of it.
    const auto row = [](const char *name, const char *selectors, const char *objects) {
        const QHash<QString, QString> lines{
            {"t111", "1/1/1 track-01-01[0]-01"}, {"t112", "1/1/2 track-01-01[0]-02"},
            {"t113", "1/1/3 track-01-01[0]-03"}, {"t121", "1/2/1 track-01-02[0]-01"},
            {"t211", "2/1/1 track-02-01[0]-01"}, {"i1112", "1/1/1/2 index-01-01[0]-02"},
            {"i1121", "1/1/2/3 index-01-01[0]-03"}};
        QStringList expected;
        for (const QString &object : QString(objects).split(' '))
            expected << "object: " + lines.value(object);
        QTest::newRow(name) << QString(selectors).split(' ', Qt::SkipEmptyParts) << expected;
    };
    row("default is all", "", "t111 t112 t113 t121 t211");
    row("all", "all", "t111 t112 t113 t121 t211");
    row("titleset", "1", "t111 t112 t113 t121");
    row("title", "1/1", "t111 t112 t113");
    row("track", "2/1/1", "t211");
    row("zero-padded", "01/02/01", "t121");
    row("order as given", "1/1/3 2/1/1 1/1/1", "t113 t211 t111");
    row("indexes by their own number", "1/1/1/2 1/1/2/3", "i1112 i1121");
    row("track and its index both", "1/1/1 1/1/1/2", "t111 i1112");
    row("each object once", "1/1/2 1/1 all", "t112 t111 t113 t121 t211");
}

void TestCliArguments::selectorsPickObjects()
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

void TestCliArguments::badInputWritesNothing()
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

QTEST_GUILESS_MAIN(TestCliArguments)
#include "tst_cliarguments.moc"
