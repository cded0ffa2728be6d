// The option table against everything that names the options: --help, the manual page
// and the bash, zsh and fish completions offer each command exactly its options.
#include <QRegularExpression>
#include <QSet>
#include <QtTest>

#include "cli/clioptions.h"
#include "cli/completions.h"
#include "clitest.h"

namespace {

QSet<QString> setOf(const QStringList &names)
{
    return QSet<QString>(names.begin(), names.end());
}

// The option names in a piece of text (not inside words such as "DVD-Audio").
QSet<QString> namesIn(const QString &text)
{
    static const QRegularExpression name(QStringLiteral("(?<![\\w-])--?[A-Za-z][a-z-]*(?![\\w-])"));
    QSet<QString> names;
    for (const auto &match : name.globalMatch(text))
        names.insert(match.captured());
    return names;
}

// The lines of text from the first that contains start up to the first empty one after it.
QString paragraph(const QString &text, const QString &start)
{
    const int at = text.indexOf(start);
    if (at < 0)
        return QString();
    const int end = text.indexOf(QLatin1String("\n\n"), at);
    return text.mid(at, end < 0 ? -1 : end - at);
}

// What the script's lines that hold marker offer: the words of the first capture of words.
QString offeredBy(const QString &script, const QString &marker, const QRegularExpression &words)
{
    QStringList found;
    for (const QString &line : script.split(QLatin1Char('\n')))
        if (line.contains(marker))
            for (const auto &match : words.globalMatch(line))
                found << match.captured(1);
    return found.join(QLatin1Char(' '));
}

} // namespace

class TestCliOptions : public QObject {
    Q_OBJECT
private slots:
    // What each place offers a command: the options of its table rows, no more, no fewer.
    void eachPlaceOffersACommandItsOptions_data()
    {
        QTest::addColumn<QString>("offered"); // the text that names the command's options
        QTest::addColumn<QStringList>("expected");
        const QString help = helpText();
        const QString bash = bashCompletion(), zsh = zshCompletion(), fish = fishCompletion();
        const QStringList common = optionNamesOf(ScopeAny);
        QStringList commonLong = common; // bash and zsh offer the long names of these
        commonLong.removeIf([](const QString &name) { return !name.startsWith(QLatin1String("--")); });
        const struct {
            const char *command;
            const char *helpSection;
        } commands[] = {{"info", "info prints"}, {"extract", "extract writes"}, {"verify", "verify reads"}};
        for (const auto &c : commands) {
            const QString command = QLatin1String(c.command);
            QStringList own;
            for (const CliCommandName &name : cliCommandNames())
                if (command == QLatin1String(name.name))
                    own = optionNamesOf(name.scope);
            for (const QString &name : common)
                own.removeAll(name);
            // --help lists a command's own options under its paragraph.
            QTest::addRow("--help, %s", c.command) << paragraph(help, QLatin1String(c.helpSection)) << own;
            const QString branch = QStringLiteral("            %1) ").arg(command);
            QTest::addRow("bash, %s", c.command)
                << offeredBy(bash, branch, QRegularExpression(QStringLiteral("-W \"([^\"]*)\""))) << (commonLong + own);
            QTest::addRow("zsh, %s", c.command)
                << offeredBy(zsh, branch, QRegularExpression(QStringLiteral("compadd -- (.*) ;;"))) << (commonLong + own);
            // fish: every line of an option that every command or this one takes.
            QString fishLines;
            for (const QString &line : fish.split(QLatin1Char('\n')))
                if (!line.contains(QLatin1String("__fish_seen_subcommand_from")) || line.contains(QLatin1Char(' ') + command))
                    fishLines += offeredBy(line, QStringLiteral(" -l "),
                                           QRegularExpression(QStringLiteral(" (-s \\w|-l [\\w-]+)")))
                                     .replace(QLatin1String("-l "), QLatin1String("--"))
                                     .replace(QLatin1String("-s "), QLatin1String("-"))
                                 + QLatin1Char(' ');
            QTest::addRow("fish, %s", c.command) << fishLines << (common + own);
        }
        // The manual page documents every option of the table, --help and --version too.
        const QString page = QString::fromUtf8(clitest::fileBytes(QStringLiteral(PACKAGING_DIR "/kestrova-cli.1")));
        QStringList all;
        for (const CliCommandName &name : cliCommandNames())
            all += optionNamesOf(name.scope);
        QTest::newRow("manual page") << clitest::optionTags(page).join(QLatin1Char('\n')) << all;
    }
    void eachPlaceOffersACommandItsOptions()
    {
        QFETCH(QString, offered);
        QFETCH(QStringList, expected);
        QVERIFY2(!offered.isEmpty(), "the place names no option at all");
        const QSet<QString> found = namesIn(offered);
        const QSet<QString> wanted = setOf(expected);
        QStringList missing = (wanted - found).values(), extra = (found - wanted).values();
        missing.sort();
        extra.sort();
        QVERIFY2(missing.isEmpty() && extra.isEmpty(),
                 qPrintable(QStringLiteral("missing: %1; not in the table: %2")
                                .arg(missing.join(QLatin1Char(' ')), extra.join(QLatin1Char(' ')))));
    }

    // What a value option completes to, as its row says.
    void valuesComplete_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("expected");
        QTest::newRow("bash, a folder after -o") << bashCompletion() << "-o | --output)\n            compopt -o filenames";
        QTest::newRow("bash, levels after --compression") << bashCompletion() << "--compression)\n            mapfile -t COMPREPLY < <(compgen -W \"0 1 2 3 4 5 6 7 8\"";
        QTest::newRow("bash, programs after --run") << bashCompletion() << "--run)\n            mapfile -t COMPREPLY < <(compgen -c";
        QTest::newRow("bash, the value is no zone") << bashCompletion() << "--properties | -o | --output | --compression | --tag | --album | --run | --cache | --threads | --name | --metadata | --cover) value=1";
        QTest::newRow("zsh, a folder after -o") << zshCompletion() << "-o|--output)\n            _files -/";
        QTest::newRow("fish, a folder after -o") << fishCompletion() << "-s o -l output -x -a '(__fish_complete_directories)'";
        QTest::newRow("fish, levels") << fishCompletion() << "-l compression -x -a '0 1 2 3 4 5 6 7 8'";
    }
    void valuesComplete()
    {
        QFETCH(QString, script);
        QFETCH(QString, expected);
        QVERIFY2(script.contains(expected), qPrintable(expected));
    }
};

QTEST_MAIN(TestCliOptions)
#include "tst_clioptions.moc"
