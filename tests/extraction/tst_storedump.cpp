// Store mode end to end: zones written by the test, dumped track by track into raw
// files that must hold exactly the audio of each track.
#include <QDir>
#include <QTemporaryDir>
#include <QtTest>
#include "testzone/resultcompare.h"
#include <memory>

#include "extraction/objectdump.h"
#include "testzone/dumpzone.h"
#include "testzone/filesizelimit.h"
#include "extraction/extractprogress.h"
#include "base/result.h"
#include "extraction/commandqueue.h"
#include "testzone/mlpencoder.h"
#include "testzone/packs.h"
#include "zone/dvdazone.h"

namespace {
const packs::PcmFormat stereo24at96 = {0x20, 0x10, 1};

// A written zone, opened.
struct OpenZone {
    explicit OpenZone(const testzone::Zone &description)
        : folder(description), zone(new DVDAZone(QDir(folder.path())))
    {
    }
    DVDATrack *track(int k) const
    {
        if (zone->titlesets.empty() || zone->titlesets[0]->titles.empty())
            return nullptr;
        const auto &tracks = zone->titlesets[0]->titles[0]->tracks;
        return k < int(tracks.size()) ? tracks[size_t(k)] : nullptr;
    }
    testzone::ZoneFolder folder;
    std::unique_ptr<DVDAZone> zone;
};

ExtractOptions storeOptions()
{
    ExtractOptions options;
    options.mode = ModeStore;
    return options;
}

// The one file of the output folder, or an empty name.
QString onlyFile(const QTemporaryDir &out)
{
    const QStringList names = QDir(out.path()).entryList(QDir::Files);
    return names.size() == 1 ? names.first() : QString();
}

// Two seconds of 16-bit stereo at 48 kHz from the encoder.
QByteArray encodedStereo(int seconds = 2)
{
    const mlpencoder::MlpFormat format = {1, 48000, 16};
    QString error;
    const QByteArray stream = mlpencoder::encodeMlp(
        mlpencoder::testSignal(2, 48000 * seconds, 16), format, &error);
    if (stream.isEmpty())
        qWarning("%s", qPrintable(error));
    return stream;
}

// Audio bytes a full pack carries after the stream's first pack, and in the first pack.
int laterPackCapacity()
{
    return packs::packStream(dumpzone::pattern(20000), packs::mlpLayout()).audioPerPack[1];
}
int firstPackCapacity()
{
    return packs::packStream(dumpzone::pattern(20000), packs::mlpLayout()).audioPerPack[0];
}
} // namespace

class TestStoreDump : public QObject {
    Q_OBJECT

private:
    // Dumps every track of the zone into out; the results in track order.
    QList<int> dumpAll(OpenZone &zone, const QTemporaryDir &out, const ExtractOptions &options,
                       std::vector<WrittenFile> *files = nullptr)
    {
        QList<int> results;
        for (int k = 0; zone.track(k); ++k) {
            ExtractProgress progress;
            results << codeOf(dumpObject(zone.track(k), out.filePath(QStringLiteral("t%1").arg(k)),
                                         options, progress, nullptr, files));
            if (int(progress.lastResult.load()) != results.last())
                results.last() = 999;
        }
        return results;
    }

    // Checks that track k's .mlp is stream[from, to).
    void checkMlp(const QTemporaryDir &out, int k, const QString &suffix, const QByteArray &audio,
                  int from, int to)
    {
        const QByteArray written = dumpzone::fileBytes(out.filePath(QStringLiteral("t%1").arg(k) + suffix));
        QCOMPARE(written.size(), to - from);
        QVERIFY(written == audio.mid(from, to - from));
    }

private slots:
    void pcmTracksHoldTheirPayload()
    {
        const QByteArray a = dumpzone::pattern(6 * 1990 + 17, 1), b = dumpzone::pattern(3000, 2);
        packs::StreamLayout layout = packs::pcmLayout(stereo24at96);
        layout.packetsPerPack = 2; // two packets in every pack
        const packs::PackedStream first = packs::packStream(a, layout);
        const packs::PackedStream second = packs::packStream(b, packs::pcmLayout(stereo24at96));
        OpenZone zone(dumpzone::consecutiveTracks(first.packs + second.packs, {0, first.count}));
        QVERIFY(zone.track(1));
        QCOMPARE(zone.track(0)->streamInfo.subStreamId, quint8(SUBSTREAM_PCM));

        QTemporaryDir out;
        // A longer file of an earlier extraction under the same name is overwritten.
        QFile old(out.filePath("t0-[L-R]-24-96000.pcm"));
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(a.size() + 100, 'o'));
        old.close();
        std::vector<WrittenFile> files;
        QCOMPARE(dumpAll(zone, out, storeOptions(), &files), QList<int>({0, 0}));
        QCOMPARE(dumpzone::fileBytes(out.filePath("t0-[L-R]-24-96000.pcm")), a);
        QCOMPARE(dumpzone::fileBytes(out.filePath("t1-[L-R]-24-96000.pcm")), b);
        QCOMPARE(QDir(out.path()).entryList(QDir::Files).size(), 2);

        // The files finished, as the command would be told of them.
        QCOMPARE(int(files.size()), 2);
        const WrittenFile &file = files.front();
        QCOMPARE(file.path, out.filePath("t0-[L-R]-24-96000.pcm"));
        QCOMPARE(QFileInfo(file.path).size(), qint64(a.size()));
        QCOMPARE(file.channels, 2);
        QCOMPARE(file.sampleRate, 96000);
        QCOMPARE(file.bits, 24);
    }

    void otherSubStreamsAreStoredWhole()
    {
        packs::StreamLayout layout;
        layout.firstHeader = QByteArray("\x85\x01\x02\x03", 4);
        const QByteArray audio = dumpzone::pattern(5000, 3);
        const packs::PackedStream stream = packs::packStream(audio, layout);
        OpenZone zone(dumpzone::consecutiveTracks(stream.packs, {0}));
        QVERIFY(zone.track(0));

        QByteArray expected;
        int at = 0;
        for (int n : stream.audioPerPack) {
            expected += layout.firstHeader + audio.mid(at, n);
            at += n;
        }
        QTemporaryDir out;
        QCOMPARE(dumpAll(zone, out, storeOptions()), QList<int>({0}));
        QCOMPARE(onlyFile(out), QString("t0.raw"));
        QCOMPARE(dumpzone::fileBytes(out.filePath("t0.raw")), expected);
    }

    void refusedModesCreateNoFile_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("downmix");
        QTest::addColumn<bool>("pcm");
        QTest::addColumn<bool>("aobPresent");
        QTest::addColumn<int>("result");
        QTest::newRow("no mode") << int(ModeNone) << false << true << true << int(ResultCode::BadMode);
        QTest::newRow("downmix of PCM") << int(ModeConvert) << true << true << true << int(ResultCode::Downmix);
        QTest::newRow("convert unknown stream") << int(ModeConvert) << false << false << true
                                                << int(ResultCode::NotPcmOrMlp);
        // The missing file is what is reported, whatever the mode.
        QTest::newRow("store, AOB file missing") << int(ModeStore) << false << true << false
                                                 << int(ResultCode::OpenAobFile);
        QTest::newRow("convert, AOB file missing") << int(ModeConvert) << false << true << false
                                                   << int(ResultCode::OpenAobFile);
    }

    void refusedModesCreateNoFile()
    {
        QFETCH(int, mode);
        QFETCH(bool, downmix);
        QFETCH(bool, pcm);
        QFETCH(bool, aobPresent);
        QFETCH(int, result);
        packs::StreamLayout layout = packs::pcmLayout(stereo24at96);
        if (!pcm)
            layout.firstHeader = QByteArray("\x85\x01\x02\x03", 4);
        testzone::Zone description = dumpzone::consecutiveTracks(
            packs::packStream(dumpzone::pattern(3000), layout).packs, {0});
        if (!aobPresent)
            description.titlesets[0].aobFiles[0] = testzone::AobFile::absent();
        OpenZone zone(description);
        QVERIFY(zone.track(0));
        QTemporaryDir out;
        // A file of an earlier extraction under the same name is left alone.
        QFile old(out.filePath("t0-[L-R]-24-96000.pcm"));
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("earlier");
        old.close();

        ExtractOptions options;
        options.mode = mode;
        options.downmix = downmix;
        QCOMPARE(dumpAll(zone, out, options), QList<int>({result}));
        QCOMPARE(QDir(out.path()).entryList(QDir::Files).size(), 1);
        QCOMPARE(dumpzone::fileBytes(old.fileName()), QByteArray("earlier"));
    }

    // A file that got no byte is removed: no empty file stands for the object.
    void stopBeforeTheFirstBlockLeavesNoFile()
    {
        OpenZone zone(dumpzone::consecutiveTracks(
            packs::packStream(dumpzone::pattern(9000), packs::pcmLayout(stereo24at96)).packs, {0}));
        QVERIFY(zone.track(0));
        QTemporaryDir out;
        ExtractProgress progress;
        progress.stopRequested = true;
        QCOMPARE(dumpObject(zone.track(0), out.filePath("t0"), storeOptions(), progress),
                 ResultCode::Cancelled);
        QCOMPARE(progress.lastResult.load(), ResultCode::Cancelled);
        QCOMPARE(progress.firstBlock.load(), 0);
        QCOMPARE(progress.lastBlock.load(), 4);
        QCOMPARE(QDir(out.path()).entryList(QDir::Files), QStringList());
    }

    // Two zones open at once: what is read from the first comes from the first, although
    // the second was built last.
    void twoZonesEachReadTheirOwnBlocks()
    {
        const QByteArray a = dumpzone::pattern(9000, 1), b = dumpzone::pattern(5000, 2);
        const auto packed = [](const QByteArray &audio) {
            return packs::packStream(audio, packs::pcmLayout(stereo24at96)).packs;
        };
        OpenZone first(dumpzone::consecutiveTracks(packed(a), {0}, 90000 * 3));
        OpenZone second(dumpzone::consecutiveTracks(packed(b), {0}, 90000));
        QVERIFY(first.track(0) && second.track(0));

        QTemporaryDir out;
        QCOMPARE(dumpAll(first, out, storeOptions()), QList<int>({0}));
        QCOMPARE(dumpzone::fileBytes(out.filePath("t0-[L-R]-24-96000.pcm")), a);
        // The first zone's only index holds all of its track's three seconds.
        QCOMPARE(first.track(0)->indexes[0]->timeText(), QString("00:00:03"));
    }

    // An object that fails part-way (its AOB file cut short, the disc full in a write or
    // in one found when finishing) leaves nothing under its file's name: a file of an
    // earlier rip there is untouched, and no staging file is left. With keepPartial, what
    // was written is kept as NAME.partial.pcm, listed as partial.
    void failuresLeaveTheEarlierFile_data()
    {
        QTest::addColumn<QString>("failure");
        QTest::addColumn<bool>("keepPartial");
        QTest::addColumn<int>("result");
        for (bool keep : {false, true}) {
            const char *kept = keep ? ", kept partial" : "";
            QTest::addRow("AOB file cut short%s", kept) << "cut" << keep << int(ResultCode::ReadAobFile);
            QTest::addRow("disc full in a write%s", kept) << "full 300000 100001" << keep
                                                          << int(ResultCode::WriteOutput);
            QTest::addRow("disc full, found when finishing%s", kept) << "full 2100000 1500001" << keep
                                                                    << int(ResultCode::WriteOutput);
        }
    }
    void failuresLeaveTheEarlierFile()
    {
        QFETCH(QString, failure);
        QFETCH(bool, keepPartial);
        QFETCH(int, result);
        const bool full = failure.startsWith("full");
        const int audioBytes = full ? failure.section(' ', 1, 1).toInt() : 9000;
        const QByteArray audio = dumpzone::pattern(audioBytes, 5);
        const packs::PackedStream stream = packs::packStream(audio, packs::pcmLayout(stereo24at96));
        // Cut: the track claims three blocks more than the file holds.
        OpenZone zone(dumpzone::consecutiveTracks(stream.packs, {0}, 90000, full ? -1 : stream.count + 2));
        QVERIFY(zone.track(0));
        QTemporaryDir out;
        const QString name = out.filePath("t0-[L-R]-24-96000.pcm");
        QFile earlier(name);
        QVERIFY(earlier.open(QIODevice::WriteOnly) && earlier.write("earlier") == 7);
        earlier.close();
        ExtractOptions options = storeOptions();
        options.keepPartial = keepPartial;
        std::vector<WrittenFile> files;
        {
            std::unique_ptr<testzone::FileSizeLimit> limit;
            if (full) {
                limit = std::make_unique<testzone::FileSizeLimit>(rlim_t(failure.section(' ', 2, 2).toInt()));
                if (!limit->active)
                    QSKIP("cannot limit file sizes");
            }
            QCOMPARE(dumpAll(zone, out, options, &files), QList<int>({result}));
        }
        QCOMPARE(dumpzone::fileBytes(name), QByteArray("earlier"));
        const QString partial = out.filePath("t0-[L-R]-24-96000.partial.pcm");
        QStringList left{QFileInfo(name).fileName()};
        if (keepPartial)
            left << QFileInfo(partial).fileName();
        left.sort();
        QCOMPARE(QDir(out.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name), left);
        QCOMPARE(files.size(), size_t(keepPartial ? 1 : 0));
        if (!keepPartial)
            return;
        QCOMPARE(files[0].path, partial);
        QVERIFY(files[0].partial);
        const QByteArray written = dumpzone::fileBytes(partial);
        QVERIFY(!written.isEmpty());
        QVERIFY(written == audio.left(written.size()));
        if (full)
            QCOMPARE(written.size(), failure.section(' ', 2, 2).toInt());
    }

    // An output folder that does not exist, and no object at all.
    void nothingToWriteTo()
    {
        OpenZone zone(dumpzone::consecutiveTracks(
            packs::packStream(dumpzone::pattern(9000, 4), packs::pcmLayout(stereo24at96)).packs, {0}));
        QTemporaryDir out;
        ExtractProgress progress;
        QCOMPARE(dumpObject(zone.track(0), out.filePath("missing/t0"), storeOptions(), progress),
                 ResultCode::CreateOutput);
        QCOMPARE(dumpObject(nullptr, out.filePath("z"), storeOptions(), progress), ResultCode::ObjectKind);
        QCOMPARE(QDir(out.path()).entryList(QDir::Files | QDir::Hidden).size(), 0);
    }

    void objectsWithoutBlocksAreRefused()
    {
        const QByteArray audio = dumpzone::pattern(9000, 7);
        const packs::PackedStream stream = packs::packStream(audio, packs::pcmLayout(stereo24at96));
        {
            // Both tracks name index 1 as their first: the first track gets no index, so it
            // has no blocks of its own and must not be given the titleset's first block.
            testzone::Zone description = dumpzone::consecutiveTracks(stream.packs, {0, 2});
            description.titlesets[0].info.titles[0].tracks[1].firstIndexNumber = 1;
            OpenZone zone(description);
            QVERIFY(zone.track(1));
            QVERIFY(zone.track(0)->indexes.empty());
            QCOMPARE(zone.track(1)->indexes.size(), size_t(2));

            QTemporaryDir out;
            QCOMPARE(dumpAll(zone, out, storeOptions()), QList<int>({int(ResultCode::BlockNotFound), 0}));
            QCOMPARE(onlyFile(out), QString("t1-[L-R]-24-96000.pcm"));
            QCOMPARE(dumpzone::fileBytes(out.filePath(onlyFile(out))), audio);
        }
        {
            // An index whose last block lies before its first: no file, not a success.
            testzone::Zone description = dumpzone::consecutiveTracks(stream.packs, {0, 2});
            description.titlesets[0].info.titles[0].indexes[0] = {1, 0};
            OpenZone zone(description);
            QVERIFY(zone.track(1));
            QTemporaryDir out;
            ExtractProgress progress;
            QCOMPARE(dumpObject(zone.track(0)->indexes[0], out.filePath("i0"), storeOptions(),
                                progress),
                     ResultCode::BlockNotFound);
            QCOMPARE(dumpAll(zone, out, storeOptions()), QList<int>({int(ResultCode::BlockNotFound), 0}));
            QCOMPARE(onlyFile(out), QString("t1-[L-R]-24-96000.pcm"));
        }
    }

    void mlpTracksEndAtTheNextMajorSync()
    {
        const QByteArray mlp = encodedStereo();
        QVERIFY(!mlp.isEmpty());
        const QList<int> syncs = mlpencoder::majorSyncOffsets(mlp);
        QVERIFY(syncs.size() > 12);
        QCOMPARE(syncs.first(), 0);

        // The tail of an earlier object comes first; three tracks begin at major syncs.
        const int lead = 777;
        const QByteArray audio = packs::leadIn(lead) + mlp;
        const QList<int> starts = {lead, lead + syncs[syncs.size() / 3],
                                   lead + syncs[2 * syncs.size() / 3]};
        const packs::PackedStream stream = packs::packStream(audio, packs::mlpLayout());
        QList<int> firstBlocks;
        for (int start : starts)
            firstBlocks << dumpzone::packOfAudioOffset(stream.audioPerPack, start);
        QCOMPARE(firstBlocks.first(), 0);
        QVERIFY(firstBlocks[1] > 0 && firstBlocks[2] > firstBlocks[1] + 1);
        OpenZone zone(dumpzone::consecutiveTracks(stream.packs, firstBlocks));
        QVERIFY(zone.track(2));
        const QList<int> packStarts = dumpzone::packAudioStarts(stream.audioPerPack);
        for (int k = 0; k < 3; ++k)
            QCOMPARE(zone.track(k)->streamInfo.majorSyncOffset, starts[k] - packStarts[firstBlocks[k]]);

        QTemporaryDir out;
        QCOMPARE(dumpAll(zone, out, storeOptions()), QList<int>({0, 0, 0}));
        const QString suffix = "-[L-R]-16-48000.mlp";
        checkMlp(out, 0, suffix, audio, starts[0], starts[1]);
        checkMlp(out, 1, suffix, audio, starts[1], starts[2]);
        checkMlp(out, 2, suffix, audio, starts[2], audio.size());

        QByteArray joined;
        for (int k = 0; k < 3; ++k)
            joined += dumpzone::fileBytes(out.filePath(QStringLiteral("t%1").arg(k) + suffix));
        QVERIFY(joined == mlp);
    }

    void syncsOnPackEdges()
    {
        // The second track's major sync is the first byte of a pack, and its track begins
        // one block earlier: its skip is that whole first packet, and the first track's
        // look-ahead limit is the whole first packet after it.
        const QByteArray mlp = encodedStereo(1);
        QVERIFY(!mlp.isEmpty());
        const QList<int> syncs = mlpencoder::majorSyncOffsets(mlp);
        QVERIFY(syncs.size() > 4);
        const int first = firstPackCapacity(), later = laterPackCapacity();
        const int sync = syncs[syncs.size() / 2];
        // Pack b begins at first + (b - 1) * later; put the sync on the first such edge.
        int edge = first;
        while (edge < sync)
            edge += later;
        const int lead = edge - sync;
        const QByteArray audio = packs::leadIn(lead) + mlp;
        const packs::PackedStream stream = packs::packStream(audio, packs::mlpLayout());
        const int syncPack = dumpzone::packOfAudioOffset(stream.audioPerPack, edge);
        QCOMPARE(dumpzone::packAudioStarts(stream.audioPerPack)[syncPack], edge);

        OpenZone zone(dumpzone::consecutiveTracks(stream.packs, {0, syncPack - 1}));
        QVERIFY(zone.track(1));
        QCOMPARE(zone.track(1)->streamInfo.majorSyncOffset, stream.audioPerPack[syncPack - 1]);

        QTemporaryDir out;
        QCOMPARE(dumpAll(zone, out, storeOptions()), QList<int>({0, 0}));
        const QString suffix = "-[L-R]-16-48000.mlp";
        checkMlp(out, 0, suffix, audio, lead, edge);
        checkMlp(out, 1, suffix, audio, edge, audio.size());
    }

    void noLookAheadPastTheTitleset()
    {
        // More MLP follows in the file, but past the titleset's last AOB block.
        const QByteArray mlp = encodedStereo(1);
        QVERIFY(!mlp.isEmpty());
        const QList<int> syncs = mlpencoder::majorSyncOffsets(mlp);
        const int cut = syncs[syncs.size() / 2];
        const int edge = firstPackCapacity() + 3 * laterPackCapacity();
        // The object's part ends exactly at a pack edge; the rest starts a new pack.
        const QByteArray own = packs::leadIn(edge - cut) + mlp.left(cut);
        const packs::PackedStream head = packs::packStream(own, packs::mlpLayout());
        const packs::PackedStream rest = packs::packStream(mlp.mid(cut), packs::mlpLayout());
        OpenZone zone(dumpzone::consecutiveTracks(head.packs + rest.packs, {0}, 90000, head.count - 1));
        QVERIFY(zone.track(0));
        QCOMPARE(int(zone.track(0)->lastBlock()), head.count - 1);
        QCOMPARE(zone.zone->titlesets[0]->lastAobBlock, quint32(head.count - 1));
        QTemporaryDir out;
        QCOMPARE(dumpAll(zone, out, storeOptions()), QList<int>({0}));
        QVERIFY(dumpzone::fileBytes(out.filePath("t0-[L-R]-16-48000.mlp")) == mlp.left(cut));
    }

    void pcmAndMlpDoNotMix()
    {
        // PCM followed by MLP: the PCM file holds its own blocks only, and the MLP track
        // followed by PCM ends with its own last block.
        const QByteArray mlp = encodedStereo(1);
        QVERIFY(!mlp.isEmpty());
        const QByteArray pcmA = dumpzone::pattern(5000, 5), pcmB = dumpzone::pattern(3000, 6);
        const packs::PackedStream a = packs::packStream(pcmA, packs::pcmLayout(stereo24at96));
        // The MLP track starts 100 bytes into its first pack, as if continuing a stream.
        const packs::PackedStream m = packs::packStream(packs::leadIn(100) + mlp, packs::mlpLayout());
        const packs::PackedStream b = packs::packStream(pcmB, packs::pcmLayout(stereo24at96));
        OpenZone zone(dumpzone::consecutiveTracks(a.packs + m.packs + b.packs,
                                                  {0, a.count, a.count + m.count}));
        QVERIFY(zone.track(2));
        QTemporaryDir out;
        QCOMPARE(dumpAll(zone, out, storeOptions()), QList<int>({0, 0, 0}));
        QCOMPARE(dumpzone::fileBytes(out.filePath("t0-[L-R]-24-96000.pcm")), pcmA);
        QVERIFY(dumpzone::fileBytes(out.filePath("t1-[L-R]-16-48000.mlp")) == mlp);
        QCOMPARE(dumpzone::fileBytes(out.filePath("t2-[L-R]-24-96000.pcm")), pcmB);
    }

    void mlpWithoutMajorSyncIsStoredFromItsFirstByte()
    {
        const QByteArray audio = packs::leadIn(9000);
        OpenZone zone(dumpzone::consecutiveTracks(packs::packStream(audio, packs::mlpLayout()).packs, {0}));
        QVERIFY(zone.track(0));
        QCOMPARE(zone.track(0)->streamInfo.majorSyncOffset, -1);
        QTemporaryDir out;
        QCOMPARE(dumpAll(zone, out, storeOptions()), QList<int>({0}));
        QCOMPARE(onlyFile(out), QString("t0-[None]-0-0.mlp"));
        QCOMPARE(dumpzone::fileBytes(out.filePath(onlyFile(out))), audio);
    }

    void cutSubStreamHeaderCarriesNoAudio()
    {
        // Each track's first pack holds only a packet whose sub-stream header says it runs
        // 200 bytes past the packet's 30. That packet has no audio, so the major syncs
        // must be counted from the packets after it, for the skip and the look-ahead alike.
        const QByteArray mlp = encodedStereo(1);
        QVERIFY(!mlp.isEmpty());
        const QList<int> syncs = mlpencoder::majorSyncOffsets(mlp);
        QVERIFY(syncs.size() > 4);
        const int cut = syncs[syncs.size() / 2];
        QByteArray header = packs::mlpSubStreamHeader();
        header[3] = char(200);
        const QByteArray damaged =
            packs::pack({packs::privatePacket(header + packs::leadIn(20), 5)});
        const int lead = 500, lead2 = 300;
        const packs::PackedStream a =
            packs::packStream(packs::leadIn(lead) + mlp.left(cut), packs::mlpLayout());
        const packs::PackedStream b =
            packs::packStream(packs::leadIn(lead2) + mlp.mid(cut), packs::mlpLayout());
        OpenZone zone(dumpzone::consecutiveTracks(damaged + a.packs + damaged + b.packs,
                                                  {0, 1 + a.count}));
        QVERIFY(zone.track(1));
        QCOMPARE(zone.track(0)->streamInfo.majorSyncOffset, lead);
        QCOMPARE(zone.track(1)->streamInfo.majorSyncOffset, lead2);

        QTemporaryDir out;
        QCOMPARE(dumpAll(zone, out, storeOptions()), QList<int>({0, 0}));
        const QString suffix = "-[L-R]-16-48000.mlp";
        QVERIFY(dumpzone::fileBytes(out.filePath("t0" + suffix)) == mlp.left(cut) + packs::leadIn(lead2));
        QVERIFY(dumpzone::fileBytes(out.filePath("t1" + suffix)) == mlp.mid(cut));
    }

    void namesFollowTheChannelGroups()
    {
        const mlpencoder::MlpFormat format = {20, 96000, 24};
        QString error;
        const QByteArray mlp = mlpencoder::encodeMlp(mlpencoder::testSignal(6, 2000, 24), format,
                                                     &error);
        QVERIFY2(!mlp.isEmpty(), qPrintable(error));
        OpenZone zone(dumpzone::consecutiveTracks(packs::packStream(mlp, packs::mlpLayout()).packs, {0}));
        QVERIFY(zone.track(0));
        QTemporaryDir out;
        QCOMPARE(dumpAll(zone, out, storeOptions()), QList<int>({0}));
        QCOMPARE(onlyFile(out), QString("t0-[Lf-Rf-Ls-Rs-C-LFE]-24-96000.mlp"));
        QVERIFY(dumpzone::fileBytes(out.filePath(onlyFile(out))) == mlp);
    }
};

QTEST_GUILESS_MAIN(TestStoreDump)
#include "tst_storedump.moc"
