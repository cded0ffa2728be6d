// The installed tree (cmake --install into a temporary DESTDIR): its file list, the
// desktop entry, metainfo and manual pages as their validators see them, the bash
// completion at work, and the manual pages against the programs' --help.
#include <QDirIterator>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "clitest.h"

namespace {

struct OptionNames {
    QSet<QString> longNames;  // --name
    QSet<QString> shortNames; // -x
};

OptionNames optionNames(const QStringList &lines)
{
    // Not inside words such as "DVD-Audio" or "kestrova-cli".
    static const QRegularExpression longName(QStringLiteral("(?<![\\w-])--[a-z][a-z-]*"));
    static const QRegularExpression shortName(QStringLiteral("(?<![\\w-])-[A-Za-z](?![\\w-])"));
    OptionNames names;
    for (const QString &line : lines) {
        for (const auto &match : longName.globalMatch(line))
            names.longNames.insert(match.captured());
        for (const auto &match : shortName.globalMatch(line))
            names.shortNames.insert(match.captured());
    }
    return names;
}

QStringList sorted(const QSet<QString> &names)
{
    QStringList list(names.begin(), names.end());
    list.sort();
    return list;
}

clitest::CliRun runProgram(const QString &program, const QStringList &arguments,
                           const QProcessEnvironment &environment)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    return clitest::finishCli(process);
}

} // namespace

class TestInstall : public QObject {
    Q_OBJECT

    QTemporaryDir destDir;
    bool installed = false;

private slots:
    // Installs the build folder under /usr in destDir once, as the package does, before
    // the first test that looks at the installed tree.
    void init()
    {
        if (QLatin1String(QTest::currentTestFunction()) == QLatin1String("manPageMatchesHelp"))
            return;
        // Where Debian's packaging tools are missing, so are usually the validators.
        if (QStandardPaths::findExecutable(QStringLiteral("dpkg-deb")).isEmpty())
            QSKIP("dpkg-deb is missing: the installed tree is checked on Debian only");
        if (installed)
            return;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DESTDIR"), destDir.path());
        const clitest::CliRun run = runProgram(
            QStringLiteral(CMAKE_PROGRAM),
            {QStringLiteral("--install"), QStringLiteral(BUILD_DIR), QStringLiteral("--prefix"),
             QStringLiteral("/usr")},
            environment);
        QVERIFY2(run.exitCode == 0 && !run.crashed, run.err.constData());
        installed = true;
    }

    // Every option --help names is in the OPTIONS section of the page, and every long
    // option there is one --help names (-h and -V of kestrova-cli are documented without
    // being in its --help).
    void manPageMatchesHelp_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("page");
        QTest::newRow("kestrova") << QStringLiteral(KESTROVA_GUI) << QStringLiteral("kestrova.1");
        QTest::newRow("kestrova-cli") << QStringLiteral(KESTROVA_CLI)
                                      << QStringLiteral("kestrova-cli.1");
    }
    void manPageMatchesHelp()
    {
        QFETCH(QString, program);
        QFETCH(QString, page);
        const clitest::CliRun help =
            runProgram(program, {QStringLiteral("--help")}, QProcessEnvironment::systemEnvironment());
        QCOMPARE(help.exitCode, 0);
        const OptionNames inHelp = optionNames(QString::fromUtf8(help.out).split(QLatin1Char('\n')));
        const QByteArray roff = clitest::fileBytes(QStringLiteral(PACKAGING_DIR "/") + page);
        QVERIFY2(!roff.isEmpty(), qPrintable(page + QLatin1String(" cannot be read")));
        const OptionNames inPage = optionNames(clitest::optionTags(QString::fromUtf8(roff)));

        const QStringList notInPage = sorted((inHelp.longNames - inPage.longNames)
                                             + (inHelp.shortNames - inPage.shortNames));
        const QStringList notInHelp = sorted(inPage.longNames - inHelp.longNames);
        const QString name = QFileInfo(program).fileName();
        QVERIFY2(notInPage.isEmpty() && notInHelp.isEmpty(),
                 qPrintable(QStringLiteral("in %1 --help but not in %2: %3; in %2 but not in "
                                           "%1 --help: %4")
                                .arg(name, page, notInPage.join(QLatin1String(", ")),
                                     notInHelp.join(QLatin1String(", ")))));
    }

    void installsTheseFiles()
    {
        QStringList expected{
            QStringLiteral("usr/bin/kestrova"),
            QStringLiteral("usr/bin/kestrova-cli"),
            QStringLiteral("usr/share/applications/kestrova.desktop"),
            QStringLiteral("usr/share/metainfo/io.github.tolvane.Kestrova.metainfo.xml"),
            QStringLiteral("usr/share/man/man1/kestrova.1.gz"),
            QStringLiteral("usr/share/man/man1/kestrova-cli.1.gz"),
            QStringLiteral("usr/share/bash-completion/completions/kestrova-cli"),
            QStringLiteral("usr/share/zsh/vendor-completions/_kestrova-cli"),
            QStringLiteral("usr/share/fish/vendor_completions.d/kestrova-cli.fish"),
        };
        for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
            expected += QStringLiteral("usr/share/icons/hicolor/%1x%1/apps/kestrova.png").arg(size);
        QStringList found;
        QDirIterator files(destDir.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (files.hasNext())
            found += QDir(destDir.path()).relativeFilePath(files.next());
        const QSet<QString> expectedSet(expected.begin(), expected.end());
        const QSet<QString> foundSet(found.begin(), found.end());
        const QStringList missing = sorted(expectedSet - foundSet);
        const QStringList unexpected = sorted(foundSet - expectedSet);
        QVERIFY2(missing.isEmpty() && unexpected.isEmpty(),
                 qPrintable(QStringLiteral("missing: %1; not expected: %2")
                                .arg(missing.join(QLatin1String(", ")),
                                     unexpected.join(QLatin1String(", ")))));
    }

    // Each installed file as the tool that checks it sees it: exit status 0, nothing on
    // standard error (where man prints its warnings), and for the quiet ones nothing on
    // standard output either (where desktop-file-validate prints its hints).
    void installedFileChecks_data()
    {
        QTest::addColumn<QString>("tool"); // empty: run the installed file itself
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("quiet");
        const QString man1 = QStringLiteral("usr/share/man/man1/");
        const QStringList manArgs{QStringLiteral("--warnings"), QStringLiteral("-l")};
        QTest::newRow("desktop entry")
            << "desktop-file-validate" << QStringList() << "usr/share/applications/kestrova.desktop"
            << true;
        QTest::newRow("metainfo")
            << "appstreamcli" << QStringList{"validate", "--no-net"}
            << "usr/share/metainfo/io.github.tolvane.Kestrova.metainfo.xml" << false;
        QTest::newRow("kestrova.1") << "man" << manArgs << man1 + "kestrova.1.gz" << false;
        QTest::newRow("kestrova-cli.1") << "man" << manArgs << man1 + "kestrova-cli.1.gz" << false;
        QTest::newRow("bash completion")
            << "bash" << QStringList{"-n"} << "usr/share/bash-completion/completions/kestrova-cli"
            << true;
        QTest::newRow("zsh completion")
            << "zsh" << QStringList{"-n"} << "usr/share/zsh/vendor-completions/_kestrova-cli" << true;
        QTest::newRow("fish completion")
            << "fish" << QStringList{"--no-execute"} << "usr/share/fish/vendor_completions.d/kestrova-cli.fish"
            << true;
        QTest::newRow("kestrova --version")
            << QString() << QStringList{"--version"} << "usr/bin/kestrova" << false;
        QTest::newRow("kestrova-cli --version")
            << QString() << QStringList{"--version"} << "usr/bin/kestrova-cli" << false;
    }
    void installedFileChecks()
    {
        QFETCH(QString, tool);
        QFETCH(QStringList, arguments);
        QFETCH(QString, file);
        QFETCH(bool, quiet);
        if (!tool.isEmpty() && QStandardPaths::findExecutable(tool).isEmpty())
            QSKIP(qPrintable(tool + QLatin1String(" is missing")));
        const QString path = QDir(destDir.path()).filePath(file);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("MANWIDTH"), QStringLiteral("80"));
        const clitest::CliRun run = tool.isEmpty()
                                        ? runProgram(path, arguments, environment)
                                        : runProgram(tool, arguments << path, environment);
        const QByteArray said = run.err + (quiet ? run.out : QByteArray());
        QVERIFY2(run.exitCode == 0 && !run.crashed && said.isEmpty(),
                 qPrintable(QStringLiteral("%1 (exit %2): %3")
                                .arg(file)
                                .arg(run.exitCode)
                                .arg(QString::fromUtf8(said))));
    }

    // What the installed completion offers after the words typed so far (the last one is
    // being completed), on a zone of two tracks; ZONE and DIR stand for its folders.
    void bashCompletion_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("offered");
        QTest::newRow("command") << "" << "--help --version check-rip extract info metadata verify";
        QTest::newRow("extract options") << "extract --d" << "--delete --downmix --dry-run";
        QTest::newRow("info options") << "info --" << "--help --json --properties --version";
        QTest::newRow("selectors of the zone, indexes too") << "extract ZONE -o DIR "
                                                            << "1 1/1 1/1/1 1/1/1/1 1/1/2 1/1/2/2 all";
        QTest::newRow("option values are not the zone")
            << "extract --run flac -o DIR ZONE 1/1/" << "1/1/1 1/1/1/1 1/1/2 1/1/2/2";
        QTest::newRow("info takes no selector") << "info ZONE " << "";
        // A folder, an information file, a disc image; not other files.
        QTest::newRow("zones, images and drives") << "info DIR/" << "DIR/copy.IMG DIR/disc.iso DIR/sub DIR/x.ifo";
    }
    void bashCompletion()
    {
        QFETCH(QString, typed);
        QFETCH(QString, offered);
        const clitest::PcmZone pcm = clitest::pcmZone(2, 4800);
        testzone::ZoneFolder zone(pcm.zone);
        QTemporaryDir out;
        QVERIFY(zone.ok() && out.isValid());
        for (const char *name : {"disc.iso", "copy.IMG", "notes.txt", "x.ifo"})
            QVERIFY(QFile(out.filePath(QLatin1String(name))).open(QIODevice::WriteOnly));
        QVERIFY(QDir(out.path()).mkdir(QStringLiteral("sub")));
        typed.replace(QLatin1String("ZONE"), zone.path()).replace(QLatin1String("DIR"), out.path());
        offered.replace(QLatin1String("DIR"), out.path());
        const QString script = QStringLiteral(
            "source \"$1\"; shift; COMP_WORDS=(\"$@\"); COMP_CWORD=$(($# - 1)); "
            "_kestrova_cli \"$0\"; printf '%s\\n' \"${COMPREPLY[@]}\"");
        const QString root = destDir.path();
        const clitest::CliRun run = runProgram(
            QStringLiteral("bash"),
            QStringList{QStringLiteral("-c"), script, root + QLatin1String("/usr/bin/kestrova-cli"),
                        root + QLatin1String("/usr/share/bash-completion/completions/kestrova-cli"),
                        QStringLiteral("kestrova-cli")}
                + typed.split(QLatin1Char(' ')),
            QProcessEnvironment::systemEnvironment());
        QVERIFY2(run.exitCode == 0, run.err.constData());
        QStringList got = clitest::linesOf(run.out);
        got.removeAll(QString());
        got.sort();
        QCOMPARE(got.join(QLatin1Char(' ')), offered);
    }
};

QTEST_GUILESS_MAIN(TestInstall)
#include "tst_install.moc"
