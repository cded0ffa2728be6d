// Damage that used to pass in silence: objects the zone's damage cuts, hides or empties
// fail with what is wrong and where, and leave no file; audio damaged inside its stream
// is counted and named.
#include <QDir>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "3-zone/dvdazone.h"
#include "5-extraction/extractprogress.h"
#include "5-extraction/objectcheck.h"
#include "5-extraction/objectdump.h"
#include "6-text/checkreport.h"
#include "6-text/resulttext.h"
#include "testzone/dumpzone.h"
#include "testzone/packs.h"
#include "testzone/pcmpacking.h"
#include "testzone/resultcompare.h"

using namespace testzone;

namespace {

ExtractOptions optionsFor(int mode)
{
    ExtractOptions o;
    o.mode = mode;
    return o;
}

// Four packs of 24-bit stereo PCM at 96 kHz.
QByteArray pcmPacks()
{
    const PcmGroup group{2, 24, 96000};
    return packs::packStream(packPcm(group, makePcmSamples(group, 1200, 5)),
                             packs::pcmLayout(pcmFormat(group, PcmGroup{}, 1))).packs;
}

} // namespace

class TestDamagedAudio : public QObject {
    Q_OBJECT

private slots:
    // An object the zone's damage leaves without audio fails, naming its blocks; no file.
    void objectsWithoutTheirAudio_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("result");
        const QString noAudio = QString("%1 blocks 0-3 of ATS_01_1.AOB").arg(int(ResultCode::NoAudio));
        const QString pastHeader = QString("%1 blocks 0-3, past block 1 where the titleset's header ends its audio")
                                       .arg(int(ResultCode::BlockNotFound));
        for (const auto &[name, mode] : {std::pair<const char *, int>{"store", ModeStore},
                                         {"convert", ModeConvert}, {"verify", ModeVerify}}) {
            QTest::addRow("zero-filled blocks, %s", name) << "zeros" << mode << noAudio;
            QTest::addRow("header ends inside the track, %s", name) << "header" << mode << pastHeader;
        }
    }
    void objectsWithoutTheirAudio()
    {
        QFETCH(QString, damage);
        QFETCH(int, mode);
        QFETCH(QString, result);
        Zone description;
        Titleset &titleset = description.titlesets.emplace_back();
        titleset.info.titles.push_back(makeTitle({{90000, {{0, 3}}}}));
        titleset.aobFiles.push_back(AobFile::ofBytes(damage == "zeros" ? QByteArray(4 * BLOCK_BYTES, '\0')
                                                                       : pcmPacks().left(4 * BLOCK_BYTES)));
        if (damage == "header")
            titleset.info.lastAobBlock = 1;
        ZoneFolder folder(description);
        DVDAZone zone{QDir(folder.path())};
        const AOBObject *track = zone.titlesets.at(0)->titles.at(0)->tracks.at(0);
        QTemporaryDir out;
        ExtractProgress progress;
        ObjectCheck check;
        const Result dumped = dumpObject(track, out.filePath("t"), optionsFor(mode), progress, &check);
        QCOMPARE(QString("%1 %2").arg(codeOf(dumped)).arg(dumped.where()), result);
        QCOMPARE(check.where, dumped.where());
        // Verify's line names what is wrong and where, and no stream it did not find.
        QCOMPARE(checkLine("1/1/1", check), QString("1/1/1  %1  FAILED  %2 (%3)")
                                                .arg(damage == "zeros" ? "none" : "PCM", resultMessage(dumped.code()),
                                                     dumped.where()));
        QCOMPARE(QDir(out.path()).entryList(QDir::Files), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestDamagedAudio)
#include "tst_damagedaudio.moc"
