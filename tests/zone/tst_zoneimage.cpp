// Zones read from UDF disc images through the one zone opener: broken images are refused
// with a message saying what is wrong, a cut one reads what is there, and pipes in place
// of zone files do not hang the opening. (Images that read like their folder: cliimage.)
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include "testzone/resultcompare.h"
#include <memory>

#include <sys/stat.h>

#include "base/result.h"
#include "testzone/discimage.h"
#include "testzone/externaltools.h"
#include "testzone/testzone.h"
#include "zone/dvdazone.h"
#include "zone/zoneopener.h"

using namespace testzone;

namespace {

const int BLOCKS = 40;

// One audio titleset of two titles whose 40 numbered blocks are split over three files.
Zone splitZone()
{
    Zone zone;
    Titleset &titleset = zone.titlesets.emplace_back();
    titleset.info.titles = {makeTitle({{90000, {{0, 9}}}, {90000, {{10, 24}}}}),
                            makeTitle({{90000, {{25, 39}}}})};
    titleset.aobFiles = {AobFile::ofBytes(numberedBlocks(0, 12)),
                         AobFile::ofBytes(numberedBlocks(12, 20)),
                         AobFile::ofBytes(numberedBlocks(32, 8))};
    return zone;
}

} // namespace

class ZoneImage : public QObject {
    Q_OBJECT

private slots:
    // A disc's ID is the same however it is read: its folder, a copy with lower-case
    // names, an image of either; another disc has another. It is what the shell gives from
    // the information files, and a disc another tool wrote keeps the value it has always had.
    void discIdIsTheDiscs_data()
    {
        QTest::addColumn<QString>("form");
        QTest::addColumn<bool>("same"); // as the plain folder's
        QTest::newRow("folder") << "folder" << true;
        QTest::newRow("lower-case copy") << "lower" << true;
        QTest::newRow("image") << "image" << true;
        QTest::newRow("image of lower-case names") << "lower image" << true;
        QTest::newRow("another disc") << "other" << false;
    }
    void discIdIsTheDiscs()
    {
        QFETCH(QString, form);
        QFETCH(bool, same);
        const ZoneFolder folder(splitZone());
        QTemporaryDir dir;
        QVERIFY(folder.ok() && dir.isValid());
        QByteArray shell;
        QCOMPARE(runTool("sh", {"-c", "cd \"$0\" && cat AUDIO_TS.IFO ATS_01_0.IFO | sha256sum", folder.path()}, &shell),
                 QString());
        const QString expected = QString::fromLatin1(shell.left(32));

        Zone zone = splitZone();
        if (form == "other")
            zone.titlesets[0].info.titles.push_back(makeTitle({{90000, {{0, 0}}}}));
        QString path = dir.filePath("copy");
        if (form.contains("image")) {
            path = dir.filePath("disc.iso");
            ImageLayout layout;
            layout.lowerCase = form.contains("lower");
            QVERIFY(writeImage(zone, path, layout));
        } else {
            QVERIFY(QDir(dir.path()).mkdir("copy") && writeZone(path, zone));
            if (form.contains("lower"))
                QVERIFY(lowerCaseNames(path));
        }
        QString error;
        const std::unique_ptr<DVDAZone> opened = openZone(path, &error);
        QVERIFY2(opened, qPrintable(error));
        QCOMPARE(opened->discId == expected, same);
        QVERIFY(QRegularExpression("^[0-9a-f]{32}$").match(opened->discId).hasMatch());
    }

    void discIdOfADiscAnotherToolWrote()
    {
        QString error;
        const std::unique_ptr<DVDAZone> opened = openZone(TESTDATA_DIR "/authored/a_stereo16_44k/AUDIO_TS", &error);
        QVERIFY2(opened, qPrintable(error));
        QCOMPARE(opened->discId, QStringLiteral("4f5a324f80e65ce6c1229411be5617c9"));
    }

    void badImagesAreRefused_data();
    void badImagesAreRefused();
    void cutAobFileReadsWhatIsThere();
    void pipesAreNotOpened_data();
    void pipesAreNotOpened();
    void namedPathStandsForItsZone_data();
    void namedPathStandsForItsZone();
};

// What the image is made of, and the message its opening gives.
void ZoneImage::badImagesAreRefused_data()
{
    QTest::addColumn<QByteArray>("bytes"); // written instead of an image when not null
    QTest::addColumn<QString>("folder");
    QTest::addColumn<bool>("manager");
    QTest::addColumn<qint64>("cutAt"); // the image's size after the cut; -1 uncut
    QTest::addColumn<QString>("error");

    QTest::newRow("not an image") << QByteArray(70000, 'k') << "AUDIO_TS" << true << qint64(-1)
                                  << "is not a UDF disc image";
    QTest::newRow("empty file") << QByteArray("") << "AUDIO_TS" << true << qint64(-1)
                                << "is not a UDF disc image";
    QTest::newRow("cut inside its file system") << QByteArray() << "AUDIO_TS" << true
                                                << qint64(40000)
                                                << "file system cannot be read";
    QTest::newRow("without AUDIO_TS") << QByteArray() << "VIDEO_TS" << true << qint64(-1)
                                      << "has no AUDIO_TS folder";
    QTest::newRow("without AUDIO_TS.IFO") << QByteArray() << "AUDIO_TS" << false << qint64(-1)
                                          << "holds no DVD-Audio zone";
}

void ZoneImage::badImagesAreRefused()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, folder);
    QFETCH(bool, manager);
    QFETCH(qint64, cutAt);
    QFETCH(QString, error);

    QTemporaryDir work;
    const QString path = work.filePath(QStringLiteral("bad.iso"));
    if (!bytes.isNull()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(bytes), qint64(bytes.size()));
    } else {
        Zone zone = splitZone();
        zone.manager.present = manager;
        ImageLayout layout;
        layout.folder = folder;
        QVERIFY(writeImage(zone, path, layout));
        if (cutAt >= 0)
            QVERIFY(QFile::resize(path, cutAt));
    }
    QString message;
    QVERIFY(!openZone(path, &message));
    QVERIFY2(message.contains(error), qPrintable(message));
    QVERIFY2(message.contains(path), qPrintable(message));
}

void ZoneImage::cutAobFileReadsWhatIsThere()
{
    QTemporaryDir work;
    const QString path = work.filePath(QStringLiteral("cut.iso"));
    QVERIFY(writeImage(splitZone(), path));
    // The AOB files come last: cut the image five blocks into the last one.
    QFile image(path);
    QVERIFY(image.open(QIODevice::ReadOnly));
    const qint64 at = image.readAll().indexOf(numberedBlocks(32, 1));
    image.close();
    QVERIFY(at > 0);
    QVERIFY(QFile::resize(path, at + 5 * BLOCK_BYTES + 100));

    QString error;
    const std::unique_ptr<DVDAZone> zone = openZone(path, &error);
    QVERIFY2(zone, qPrintable(error));
    std::vector<quint8> run(size_t(BLOCKS) * BLOCK_BYTES);
    int read = 0;
    QCOMPARE(zone->titlesets.at(0)->readRun(0, BLOCKS, run.data(), &read), ResultCode::ReadAobFile);
    QCOMPARE(read, 37);
    QVERIFY(isNumberedBlock(run.data() + size_t(36) * BLOCK_BYTES, 36));
}

// A pipe without a writer where a zone file should be: opening must not wait for it.
void ZoneImage::pipesAreNotOpened_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("opens"); // whether the zone still opens, without that file
    QTest::newRow("manager file") << "AUDIO_TS.IFO" << false;
    QTest::newRow("titleset file") << "ATS_01_0.IFO" << true;
}

void ZoneImage::pipesAreNotOpened()
{
    QFETCH(QString, name);
    QFETCH(bool, opens);
    ZoneFolder folder(splitZone());
    QVERIFY(folder.ok());
    const QByteArray path = QFile::encodeName(folder.filePath(name));
    QVERIFY(QFile::remove(folder.filePath(name)));
    QCOMPARE(::mkfifo(path.constData(), 0600), 0);
    // Nor is its backup a way around: it is a pipe too.
    const QString backup = QString(name).replace(".IFO", ".BUP");
    QVERIFY(QFile::remove(folder.filePath(backup)));
    QCOMPARE(::mkfifo(QFile::encodeName(folder.filePath(backup)).constData(), 0600), 0);
    QString error;
    const std::unique_ptr<DVDAZone> zone = openZone(folder.path(), &error);
    QCOMPARE(bool(zone), opens);
    if (zone)
        QCOMPARE(zone->titlesets.at(0)->contentKind, TitlesetUnknown);
}

// What a path given on the window's command line, dropped or picked stands for.
void ZoneImage::namedPathStandsForItsZone_data()
{
    QTest::addColumn<QString>("name");  // in a folder holding a zone and its image
    QTest::addColumn<QString>("stands"); // the path opened, relative to that folder
    QTest::newRow("folder") << "." << ".";
    QTest::newRow("manager file") << "AUDIO_TS.IFO" << ".";
    QTest::newRow("disc image") << "disc.iso" << "disc.iso";
}

void ZoneImage::namedPathStandsForItsZone()
{
    QFETCH(QString, name);
    QFETCH(QString, stands);
    ZoneFolder folder(splitZone());
    QVERIFY(folder.ok());
    QVERIFY(writeImage(splitZone(), folder.filePath(QStringLiteral("disc.iso"))));
    const QDir base(folder.path());
    QCOMPARE(zoneLocation(base.filePath(name)).absolutePath(),
             QDir::cleanPath(base.absoluteFilePath(stands)));
}

QTEST_GUILESS_MAIN(ZoneImage)
#include "tst_zoneimage.moc"
