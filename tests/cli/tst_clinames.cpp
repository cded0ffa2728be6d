// kestrova-cli extract's file names: names two objects share, files that exist already, and
// name templates with what they refuse.
#include <QRegularExpression>

#include <unistd.h>

#include "clitest.h"

using namespace clitest;

class TestCliNames : public QObject {
    Q_OBJECT
private slots:
    void sameNamesAreWrittenApart();
    void existingFilesAreReplacedOnlyWhenAsked();
    void nameTemplates_data();
    void nameTemplates();
};

void TestCliNames::sameNamesAreWrittenApart()
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
void TestCliNames::existingFilesAreReplacedOnlyWhenAsked()
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
void TestCliNames::nameTemplates_data()
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
    QTest::newRow("an unknown placeholder") << QStringList{"--name=%albun|x% %track%"} << QStringList{}
        << "kestrova-cli: the name template holds '%albun%', which is no placeholder (those are %kind% "
           "%titleset% %title% %tag% %track% %index% %volume% %channels% %bits% %rate% %album% "
           "%albumartist% %artist% %tracktitle% %date% %discnumber%)";
}

void TestCliNames::nameTemplates()
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

QTEST_GUILESS_MAIN(TestCliNames)
#include "tst_clinames.moc"
