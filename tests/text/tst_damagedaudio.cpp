// Damage that used to pass in silence: objects the zone's damage cuts, hides or empties
// fail with what is wrong and where, and leave no file; audio damaged inside its stream
// is counted and named.
#include <QDir>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>
#include <memory>

#include "zone/dvdazone.h"
#include "extraction/extractprogress.h"
#include "extraction/objectcheck.h"
#include "extraction/objectdump.h"
#include "text/checkreport.h"
#include "text/resulttext.h"
#include "zone/zoneproblem.h"
#include "testzone/dumpzone.h"
#include "testzone/pcmtrack.h"
#include "testzone/mlpencoder.h"
#include "testzone/packs.h"
#include "testzone/pcmpacking.h"
#include "testzone/resultcompare.h"
#include "testzone/wavereader.h"

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

    // One PCM pack whose own fields contradict it (its packet length, its sub-stream id
    // or header length, the PES header's data length): the pack is counted (verify says damaged, convert names the file),
    // and every sample is still where it belongs. A length that takes in the next
    // packet's 6-byte prefix, as one authoring tool writes in a title's last pack, has a
    // certain end: it is corrected, not damage.
    void pcmPacketsWithDamagedLengths_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("damaged");
        for (const auto &[name, mode] : {std::pair<const char *, int>{"convert", ModeConvert}, {"verify", ModeVerify}}) {
            QTest::addRow("packet length 1 short, %s", name) << "length-1" << mode << 1;
            QTest::addRow("packet length 2000 short, %s", name) << "length-2000" << mode << 1;
            QTest::addRow("packet length 1 long, %s", name) << "length+1" << mode << 1;
            QTest::addRow("sub-stream header length 0, %s", name) << "header=0" << mode << 1;
            QTest::addRow("sub-stream header length 7, %s", name) << "header=7" << mode << 1;
            // The packet is not taken for another stream's, nor written whole as audio.
            QTest::addRow("sub-stream id 0xA0 read as 0x20, %s", name) << "id" << mode << 1;
            QTest::addRow("PES header data length one more, %s", name) << "pes+1" << mode << 1;
            QTest::addRow("PES header data length one less, %s", name) << "pes-1" << mode << 1;
            QTest::addRow("packet length takes in the next prefix, %s", name) << "length+6" << mode << 0;
        }
    }
    void pcmPacketsWithDamagedLengths()
    {
        QFETCH(QString, damage);
        QFETCH(int, mode);
        QFETCH(int, damaged);
        const PcmGroup group{2, 24, 96000};
        const PcmSamples samples = makePcmSamples(group, 2000, 9);
        QByteArray packs = packs::packStream(packPcm(group, samples),
                                             packs::pcmLayout(pcmFormat(group, PcmGroup{}, 1))).packs;
        QVERIFY(packs.size() >= 5 * BLOCK_BYTES);
        // The private packet of pack 2, or of the last pack (which ends in a padding packet):
        // its length field, and its sub-stream header's.
        const int pack = damage == "length+6" ? int(packs.size() / BLOCK_BYTES) - 1 : 2;
        const int at = pack * BLOCK_BYTES + 14 + (quint8(packs[pack * BLOCK_BYTES + 13]) & 7);
        QCOMPARE(packs.mid(at, 4), QByteArray("\x00\x00\x01\xBD", 4));
        const int length = quint8(packs[at + 4]) << 8 | quint8(packs[at + 5]);
        if (damage == "length+6")
            QCOMPARE(packs.mid(at + 6 + length, 4), QByteArray("\x00\x00\x01\xBE", 4));
        const int changed = damage == "length-1" ? length - 1 : damage == "length-2000" ? length - 2000
                          : damage == "length+1" ? length + 1 : damage == "length+6" ? length + 6 : -1;
        if (changed >= 0) {
            packs[at + 4] = char(changed >> 8);
            packs[at + 5] = char(changed);
        }
        if (damage.startsWith("header="))
            packs[at + 9 + quint8(packs[at + 8]) + 3] = char(damage.mid(7).toInt());
        if (damage == "id")
            packs[at + 9 + quint8(packs[at + 8])] = char(0x20);
        if (damage == "pes-1" && packs[at + 8] == 0)
            QSKIP("this layout's packets have no PES header data to be one less");
        if (damage.startsWith("pes"))
            packs[at + 8] = char(quint8(packs[at + 8]) + (damage == "pes+1" ? 1 : -1));
        ZoneFolder folder(dumpzone::consecutiveTracks(packs, {0}, 2000 * 90000 / 96000));
        DVDAZone zone{QDir(folder.path())};
        QTemporaryDir out;
        ExtractProgress progress;
        ObjectCheck check;
        QCOMPARE(dumpObject(zone.titlesets.at(0)->titles.at(0)->tracks.at(0), out.filePath("t"),
                            optionsFor(mode), progress, &check).code(),
                 ResultCode::Succeeded);
        QCOMPARE(check.damagedPackets, qint64(damaged));
        QCOMPARE(check.correctedPackets, qint64(1 - damaged));
        QCOMPARE(checkLine("1/1/1", check).contains("DAMAGED  1 error (1 damaged packet header)"), damaged == 1);
        if (mode == ModeVerify)
            return;
        QCOMPARE(check.files.size(), 1);
        QCOMPARE(damagedFileLines({check}).size(), damaged);
        const WaveContents wave = readWave(check.files.first());
        QCOMPARE(wave.problem, QString());
        QVERIFY(wave.samples == waveSamples(group, samples));
    }

    // A track's decoded length against the length its record gives: short and long are
    // both damage (beyond what the stream's cut allows), named with the frames.
    void decodedLengthAgainstTheDisc_data()
    {
        QTest::addColumn<int>("ticks"); // added to the track's true length
        QTest::addColumn<QString>("named");
        QTest::newRow("as long as its samples") << 0 << "";
        QTest::newRow("its record 10 ms longer") << 900 << "960 frames short of the length on the disc";
        QTest::newRow("its record 10 ms shorter") << -900 << "960 frames past the length on the disc";
    }
    void decodedLengthAgainstTheDisc()
    {
        QFETCH(int, ticks);
        QFETCH(QString, named);
        const PcmGroup group{2, 24, 96000};
        const QByteArray packs = packs::packStream(packPcm(group, makePcmSamples(group, 2000, 4)),
                                                   packs::pcmLayout(pcmFormat(group, PcmGroup{}, 1))).packs;
        ZoneFolder folder(dumpzone::consecutiveTracks(packs, {0}, quint32(2000 * 90000 / 96000 + ticks)));
        DVDAZone zone{QDir(folder.path())};
        ExtractProgress progress;
        ObjectCheck check;
        QCOMPARE(dumpObject(zone.titlesets.at(0)->titles.at(0)->tracks.at(0), QString(), optionsFor(ModeVerify),
                            progress, &check).code(),
                 ResultCode::Succeeded);
        QCOMPARE(problemsText(check).contains(named), true);
        QCOMPARE(check.damaged(), !named.isEmpty());
    }

    // One bit of an index entry's block number: a track that lost a block or took blocks of
    // the next one is damage verify counts (its decoded length against the disc's), or its
    // audio is still its own and the index table is named as damaged. Whole titles too.
    void indexBlockNumbers_data()
    {
        QTest::addColumn<int>("entry");   // the index entry damaged
        QTest::addColumn<int>("field");   // 0 its first block, 1 its last
        QTest::addColumn<int>("change");
        QTest::addColumn<bool>("title");
        QTest::newRow("track 1 takes 4 blocks of track 2") << 0 << 1 << 4 << false;
        QTest::newRow("track 1 loses its last block") << 0 << 1 << -1 << false;
        QTest::newRow("track 2 loses its first 2 blocks") << 1 << 0 << 2 << false;
        QTest::newRow("track 2 begins 4 blocks early") << 1 << 0 << -4 << false;
        QTest::newRow("a title whose track 2 loses 2 blocks") << 1 << 0 << 2 << true;
    }
    void indexBlockNumbers()
    {
        QFETCH(int, entry);
        QFETCH(int, field);
        QFETCH(int, change);
        QFETCH(bool, title);
        const PcmGroup group{2, 24, 96000};
        PcmTrack track(1, group, PcmGroup{}, 24000, {12000, 12000});
        // Index entry `entry` of the title's record, and the zone opened again.
        QFile info(track.folder->filePath(titlesetInfoName(1)));
        QVERIFY(info.open(QIODevice::ReadWrite));
        QByteArray bytes = info.readAll();
        const quint32 record = qFromBigEndian<quint32>(bytes.constData() + TITLE_TABLE_AT + 12);
        const int indexTable = TITLE_TABLE_AT + int(record) + 16 + 2 * 20;
        const int at = indexTable + 12 * entry + 4 + 4 * field;
        qToBigEndian<quint32>(qFromBigEndian<quint32>(bytes.constData() + at) + quint32(change), bytes.data() + at);
        QVERIFY(info.seek(0) && info.write(bytes) == bytes.size());
        info.close();
        track.zone = std::make_unique<DVDAZone>(QDir(track.folder->path()));
        QStringList named;
        for (const ZoneProblem &problem : zoneProblems(track.zone.get()))
            named << problemText(problem);
        ExtractProgress progress;
        ObjectCheck check;
        QTemporaryDir out;
        const ExtractOptions options = optionsFor(ModeVerify);
        const Result verified = title ? dumpTitle(track.title(), out.filePath("t"), options, progress, &check)
                                      : dumpObject(track.track(entry), out.filePath("t"), options, progress, &check);
        QVERIFY2(check.damaged() || verified.failed() || !named.filter("index").isEmpty(),
                 qPrintable(checkLine("1/1/1", check) + " / " + named.join("; ")));
    }

    // Of two private packets in a pack, the first one's stream id damaged (0xBD read as
    // 0xB5): the packet is passed over as another stream's, and the headers' continuity
    // counter shows it lost, so verify counts it and Convert names the file.
    void lostPacketBesideAGoodOne_data()
    {
        QTest::addColumn<int>("mode");
        QTest::newRow("convert") << int(ModeConvert);
        QTest::newRow("verify") << int(ModeVerify);
    }
    void lostPacketBesideAGoodOne()
    {
        QFETCH(int, mode);
        const PcmGroup group{2, 16, 48000};
        packs::StreamLayout layout = packs::pcmLayout(pcmFormat(group, PcmGroup{}, 1));
        layout.packetsPerPack = 2;
        QByteArray packs = packs::packStream(packPcm(group, makePcmSamples(group, 6000, 3)), layout).packs;
        const quint32 length = 6000 * 90000 / 48000;
        const int at = 3 * BLOCK_BYTES + 14 + (quint8(packs[3 * BLOCK_BYTES + 13]) & 7);
        QCOMPARE(packs.mid(at, 4), QByteArray("\x00\x00\x01\xBD", 4));
        packs[at + 3] = char(0xB5);
        ZoneFolder folder(dumpzone::consecutiveTracks(packs, {0}, length));
        DVDAZone zone{QDir(folder.path())};
        QTemporaryDir out;
        ExtractProgress progress;
        ObjectCheck check;
        QCOMPARE(dumpObject(zone.titlesets.at(0)->titles.at(0)->tracks.at(0), out.filePath("t"), optionsFor(mode),
                            progress, &check).code(),
                 ResultCode::Succeeded);
        QCOMPARE(check.lostPackets, qint64(1));
        QVERIFY2(checkLine("1/1/1", check).contains("DAMAGED  1 error (1 lost packet)"),
                 qPrintable(checkLine("1/1/1", check)));
        QCOMPARE(damagedFileLines({check}).size(), mode == ModeVerify ? 0 : 1);
    }

    // An MLP track whose first major sync or first block is damaged: the stream is still
    // described by a sound major sync (no file says 0 Hz), and the audio the decoder could
    // not start with is damage that verify counts and Convert names.
    void mlpTrackWithADamagedStart_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<int>("mode");
        for (const auto &[name, mode] : {std::pair<const char *, int>{"convert", ModeConvert}, {"verify", ModeVerify}}) {
            QTest::addRow("first major sync's rate code flipped, %s", name) << "rate" << mode;
            QTest::addRow("garbage in the first block, %s", name) << "block" << mode;
        }
    }
    void mlpTrackWithADamagedStart()
    {
        QFETCH(QString, damage);
        QFETCH(int, mode);
        const mlpencoder::MlpFormat format{1, 96000, 24};
        const int units = 400, frames = units * mlpencoder::frameSize(format.sampleRate);
        QByteArray stream = mlpencoder::encodeMlp(mlpencoder::testSignal(2, frames, 24, 6), format);
        QCOMPARE(mlpencoder::majorSyncOffsets(stream).value(0), 0);
        packs::PackedStream packed = packs::packStream(stream, packs::mlpLayout());
        if (damage == "rate")
            packed.packs[packed.packs.indexOf(QByteArray("\xF8\x72\x6F\xBB", 4)) + 5] = char(0xFF);
        else // the audio of the first pack, header and all
            for (int at = packed.packs.indexOf(QByteArray("\xF8\x72\x6F\xBB", 4)) - 4; at < BLOCK_BYTES - 40; ++at)
                packed.packs[at] = char(0x5A ^ at);
        ZoneFolder folder(dumpzone::consecutiveTracks(packed.packs, {0}, quint32(qint64(frames) * 90000 / 96000)));
        DVDAZone zone{QDir(folder.path())};
        const AOBObject *track = zone.titlesets.at(0)->titles.at(0)->tracks.at(0);
        QCOMPARE(track->streamInfo.group1SampleRate, 96000);
        QTemporaryDir out;
        ExtractOptions options = optionsFor(mode);
        options.streamErrors = true;
        ExtractProgress progress;
        ObjectCheck check;
        QCOMPARE(dumpObject(track, out.filePath("t"), options, progress, &check).code(), ResultCode::Succeeded);
        QVERIFY2(checkLine("1/1/1", check).contains("DAMAGED"), qPrintable(checkLine("1/1/1", check)));
        if (damage == "block")
            QVERIFY(check.missingFrames >= 16 * mlpencoder::frameSize(96000));
        if (mode == ModeVerify)
            return;
        QCOMPARE(check.files, QStringList{out.filePath("t-[L-R]-24-96000.wav")});
        QCOMPARE(damagedFileLines({check}).size(), 1);
        const WaveContents wave = readWave(check.files.first());
        QCOMPARE(wave.problem, QString());
        QCOMPARE(wave.sampleRate, 96000);
    }
};

QTEST_GUILESS_MAIN(TestDamagedAudio)
#include "tst_damagedaudio.moc"
