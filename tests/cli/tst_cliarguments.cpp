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
    return {QStringLiteral("output: ") + outputDir, QStringLiteral("mode: store"),
            QStringLiteral("merge: false"),          QStringLiteral("split: false"),
            QStringLiteral("downmix: false"),        QStringLiteral("recover: false"),
            QStringLiteral("old-format: false"),      QStringLiteral("run: false"),
            QStringLiteral("command: "),             QStringLiteral("cache: 1000"),
            QStringLiteral("delete: false"),    QStringLiteral("log: false"),
            QStringLiteral("keep-going: false"),      QStringLiteral("keep-partial: false"),
            QStringLiteral("threads: auto"),
            QStringLiteral("format: wav"),           QStringLiteral("compression: 5"),
            QStringLiteral("tag: "),               QStringLiteral("per-title: false"),
            QStringLiteral("replaygain: false"),   QStringLiteral("album: title"),
            QStringLiteral("name: ")};
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
                             << QStringList{QStringLiteral("recover: true")};
    QTest::newRow("old-format") << QStringList{QStringLiteral("--old-format")}
                                << QStringList{QStringLiteral("old-format: true")};
    QTest::newRow("run") << QStringList{QStringLiteral("--run"), QStringLiteral("flac -s \"%filepath%\"")}
                         << QStringList{QStringLiteral("run: true"),
                                        QStringLiteral("command: flac -s \"%filepath%\"")};
    QTest::newRow("run=") << QStringList{QStringLiteral("--run=lame %filepath%")}
                          << QStringList{QStringLiteral("run: true"),
                                         QStringLiteral("command: lame %filepath%")};
    // As in the dialog: no command, nothing to run.
    QTest::newRow("empty run") << QStringList{QStringLiteral("--run=")} << QStringList{};
    QTest::newRow("delete") << QStringList{QStringLiteral("--delete")}
                            << QStringList{QStringLiteral("delete: true")};
    QTest::newRow("cache 0") << QStringList{QStringLiteral("--cache"), QStringLiteral("0")}
                             << QStringList{QStringLiteral("cache: 0")};
    QTest::newRow("cache=9999") << QStringList{QStringLiteral("--cache=9999")}
                                << QStringList{QStringLiteral("cache: 9999")};
    QTest::newRow("threads 2") << QStringList{QStringLiteral("--threads"), QStringLiteral("2")}
                               << QStringList{QStringLiteral("threads: 2")};
    QTest::newRow("threads=64") << QStringList{QStringLiteral("--threads=64")}
                                << QStringList{QStringLiteral("threads: 64")};
    QTest::newRow("log") << QStringList{QStringLiteral("--log")}
                         << QStringList{QStringLiteral("log: true")};
    QTest::newRow("keep-going") << QStringList{QStringLiteral("--keep-going")}
                                << QStringList{QStringLiteral("keep-going: true")};
    QTest::newRow("keep-partial") << QStringList{QStringLiteral("--keep-partial")}
                                  << QStringList{QStringLiteral("keep-partial: true")};
    QTest::newRow("per-title") << QStringList{QStringLiteral("--per-title")}
                               << QStringList{QStringLiteral("per-title: true")};
    QTest::newRow("replaygain, album by selection")
        << QStringList{QStringLiteral("--replaygain"), QStringLiteral("--album=selection")}
        << QStringList{QStringLiteral("mode: convert"), QStringLiteral("replaygain: true"), QStringLiteral("album: selection")};
    QTest::newRow("name") << QStringList{QStringLiteral("--name=%track% %channels%")}
                          << QStringList{QStringLiteral("name: %track% %channels%")};
    // --flac decodes, alone or with --convert; its level and tags go with it.
    QTest::newRow("flac") << QStringList{QStringLiteral("--flac")}
                          << QStringList{QStringLiteral("mode: convert"), QStringLiteral("format: flac")};
    QTest::newRow("flac, level and tags")
        << QStringList{QStringLiteral("--convert"), QStringLiteral("--flac"),
                       QStringLiteral("--compression=8"), QStringLiteral("--tag"),
                       QStringLiteral("ARTIST=A = B"), QStringLiteral("--tag=album=")}
        << QStringList{QStringLiteral("mode: convert"), QStringLiteral("format: flac"),
                       QStringLiteral("compression: 8"), QStringLiteral("tag: ARTIST=A = B; album=")};
    QTest::newRow("all at once")
        << QStringList{QStringLiteral("--convert"), QStringLiteral("--split"),
                       QStringLiteral("--recover"), QStringLiteral("--old-format"),
                       QStringLiteral("--run"), QStringLiteral("x %bits%"),
                       QStringLiteral("--delete"), QStringLiteral("--cache=7"),
                       QStringLiteral("--log")}
        << QStringList{QStringLiteral("mode: convert"), QStringLiteral("split: true"),
                       QStringLiteral("recover: true"), QStringLiteral("old-format: true"),
                       QStringLiteral("run: true"), QStringLiteral("command: x %bits%"),
                       QStringLiteral("delete: true"), QStringLiteral("cache: 7"),
                       QStringLiteral("log: true")};
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
    QTest::newRow("replaygain of stored streams") << QStringList{QStringLiteral("--store"), QStringLiteral("--replaygain")}
                                                  << QStringLiteral("--replaygain and --album go with decoded files, not --store");
    QTest::newRow("album without replaygain") << QStringList{QStringLiteral("--album=title")}
                                              << QStringLiteral("--album goes with --replaygain");
    QTest::newRow("album of no kind") << QStringList{QStringLiteral("--replaygain"), QStringLiteral("--album=disc")}
                                      << QStringLiteral("--album wants 'title' or 'selection', not 'disc'");
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
