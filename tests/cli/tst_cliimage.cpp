// kestrova-cli on disc images and lower-case copies: info --json, Store and Convert give
// exactly what they give from the zone folder the image was made from.
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include "clitest.h"
#include "testzone/discimage.h"

using namespace clitest;

namespace {

// Two PCM tracks of 2 s whose blocks are split over three AOB files, so that runs of
// blocks cross from one file to the next and end at each track's last block.
PcmZone splitPcmZone()
{
    PcmZone pcm = pcmZone(2, 96000);
    testzone::Zone &zone = pcm.zone;
    const QByteArray aob = zone.titlesets[0].aobFiles[0].bytes;
    const int cut1 = 150 * testzone::BLOCK_BYTES, cut2 = 301 * testzone::BLOCK_BYTES;
    zone.titlesets[0].aobFiles = {testzone::AobFile::ofBytes(aob.left(cut1)),
                                  testzone::AobFile::ofBytes(aob.mid(cut1, cut2 - cut1)),
                                  testzone::AobFile::ofBytes(aob.mid(cut2))};
    return pcm;
}

// The JSON tree without what tells the sources apart: where the zone came from and the
// zone item's label, which names the image.
QJsonObject withoutOrigin(const QByteArray &json)
{
    QJsonObject tree = QJsonDocument::fromJson(json).object();
    for (const char *key : {"folder", "image", "volume", "label"})
        tree.remove(QLatin1String(key));
    return tree;
}

// Every file of the folder with its bytes.
QMap<QString, QByteArray> filesWithBytes(const QString &dir)
{
    QMap<QString, QByteArray> files;
    for (const QString &name : filesIn(dir))
        files.insert(name, fileBytes(QDir(dir).filePath(name)));
    return files;
}

} // namespace

class CliImage : public QObject {
    Q_OBJECT

private slots:
    void sameAsFromTheFolder_data();
    void sameAsFromTheFolder();
};

void CliImage::sameAsFromTheFolder_data()
{
    QTest::addColumn<bool>("image");
    QTest::addColumn<bool>("lowerCase"); // the zone's names in lower case
    QTest::addColumn<QStringList>("arguments"); // the command, before the zone

    const QStringList json{QStringLiteral("info"), QStringLiteral("--json")};
    const QStringList store{QStringLiteral("extract"), QStringLiteral("--store")};
    const QStringList convert{QStringLiteral("extract"), QStringLiteral("--convert")};
    QTest::newRow("info --json, image") << true << false << json;
    QTest::newRow("store, image") << true << false << store;
    QTest::newRow("convert, image") << true << false << convert;
    QTest::newRow("info --json, lower-case copy") << false << true << json;
    QTest::newRow("store, lower-case copy") << false << true << store;
    QTest::newRow("convert, lower-case copy") << false << true << convert;
    QTest::newRow("info --json, lower-case image") << true << true << json;
    QTest::newRow("store, lower-case image") << true << true << store;
}

void CliImage::sameAsFromTheFolder()
{
    QFETCH(bool, image);
    QFETCH(bool, lowerCase);
    QFETCH(QStringList, arguments);

    const PcmZone pcm = splitPcmZone();
    testzone::ZoneFolder folder(pcm.zone);
    QVERIFY(folder.ok());
    QTemporaryDir work;
    QString source;
    if (image) {
        source = work.filePath(QStringLiteral("disc.iso"));
        testzone::ImageLayout layout;
        layout.lowerCase = lowerCase;
        layout.folder = lowerCase ? QStringLiteral("audio_ts") : QStringLiteral("AUDIO_TS");
        QVERIFY(testzone::writeImage(pcm.zone, source, layout));
    } else {
        source = work.filePath(QStringLiteral("copy"));
        QVERIFY(QDir().mkpath(source));
        QVERIFY(testzone::writeZone(source, pcm.zone));
        QVERIFY(testzone::lowerCaseNames(source));
    }

    const bool extract = arguments.first() == QLatin1String("extract");
    QList<CliRun> runs;
    QStringList outputs;
    for (const QString &zone : {folder.path(), source}) {
        const QString out = work.filePath(QStringLiteral("out%1").arg(outputs.size()));
        QVERIFY(QDir().mkpath(out));
        QStringList command = arguments;
        command << zone;
        if (extract)
            command << QStringLiteral("-o") << out;
        runs << runCli(command);
        QVERIFY2(runs.last().exitCode == 0, runs.last().err.constData());
        outputs << out;
    }
    if (!extract) {
        QCOMPARE(withoutOrigin(runs[1].out), withoutOrigin(runs[0].out));
        const QJsonObject tree = QJsonDocument::fromJson(runs[1].out).object();
        QCOMPARE(tree.value(image ? QLatin1String("image") : QLatin1String("folder")).toString(),
                 QFileInfo(source).absoluteFilePath());
        if (image) {
            QCOMPARE(tree.value(QLatin1String("volume")).toString(), QStringLiteral("KESTROVA_TEST"));
            QCOMPARE(tree.value(QLatin1String("label")).toString(),
                     QStringLiteral("disc.iso - KESTROVA_TEST"));
        }
        return;
    }
    const QMap<QString, QByteArray> expected = filesWithBytes(outputs[0]);
    QCOMPARE(expected.size(), 2);
    QVERIFY(filesWithBytes(outputs[1]) == expected);
    // Each track's runs of blocks cross files and end at its last block: the folder's
    // files hold exactly the track's audio.
    const bool store = arguments.contains(QStringLiteral("--store"));
    for (int k = 0; k < 2; ++k) {
        const QByteArray written = expected.values().at(k);
        if (store)
            QVERIFY(written == pcm.storedAudio[k]);
        else
            QVERIFY(waveData(written) == pcm.waveSamples[k]);
    }
}

QTEST_GUILESS_MAIN(CliImage)
#include "tst_cliimage.moc"
