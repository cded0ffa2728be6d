// MLP end to end: known samples encoded by libavcodec's MLP encoder, packed into the
// packs of a zone written by the test (access units run across packs), converted
// through the dump driver and read back with the test-zone RIFF reader.
#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>
#include <memory>

#include "dump/decoderlog.h"
#include "dump/dumpobject.h"
#include "dump/mlpstreamdumper.h"
#include "extract/extractprogress.h"
#include "extract/extractresult.h"
#include "testzone/dumpzone.h"
#include "testzone/mlpencoder.h"
#include "testzone/packs.h"
#include "testzone/wavereader.h"
#include "zone/dvdazone.h"

using namespace mlpencoder;
using testzone::readWave;

namespace {

// An MLP stream of `units` access units laid into a zone, one track per entry of
// trackStarts (first blocks); `damage` may change the stream before it is packed.
struct MlpTrack {
    MlpTrack(const MlpFormat &f, int units, const QList<int> &trackStarts = {0},
             const std::function<void(QByteArray &)> &damage = {})
        : format(f), channels(channelCount(f.channelAssignment))
    {
        samples = testSignal(channels, units * frameSize(f.sampleRate), f.bits, 9);
        stream = f.bits == 16 ? encodeMlp(toInt16(samples), f) : encodeMlp(samples, f);
        if (damage)
            damage(stream);
        packed = packs::packStream(stream, packs::mlpLayout());
        folder = std::make_unique<testzone::ZoneFolder>(
            dumpzone::consecutiveTracks(packed.packs, trackStarts));
        zone = std::make_unique<DVDAZone>(QDir(folder->path()));
    }
    AOBObject *track(int k = 0) const
    {
        const auto &titles = zone->titlesets.empty() ? std::vector<DVDATitle *>()
                                                     : zone->titlesets[0]->titles;
        return titles.empty() || int(titles[0]->tracks.size()) <= k ? nullptr
                                                                    : titles[0]->tracks[size_t(k)];
    }
    int convert(const QString &base, const ExtractOptions &options, int k = 0) const
    {
        ExtractProgress progress;
        return dumpObject(track(k), base, options, nullptr, progress);
    }
    // Frames [first, end) of the stream channels listed, as a wave file holds them.
    QByteArray expected(const QList<int> &order, int first = 0, int end = -1) const
    {
        const int frames = samples.size() / channels;
        const int size = format.bits > 16 ? 3 : 2;
        QByteArray out;
        for (int f = first; f < (end < 0 ? frames : end); ++f)
            for (int n : order)
                out.append(reinterpret_cast<const char *>(&samples[f * channels + n]), size);
        return out;
    }

    MlpFormat format;
    int channels;
    QVector<qint32> samples;
    QByteArray stream;
    packs::PackedStream packed;
    std::unique_ptr<testzone::ZoneFolder> folder;
    std::unique_ptr<DVDAZone> zone;
};

ExtractOptions convertOptions(const QString &layout)
{
    ExtractOptions o;
    o.mode = ModeConvert;
    o.split = layout.contains("split");
    o.merge = layout.contains("merge");
    o.downmix = layout.contains("downmix");
    o.streamErrors = layout.contains("recover");
    o.logMessages = layout.contains("log");
    return o;
}

QStringList filesIn(const QString &dir, const QString &filter = "*.wav")
{
    return QDir(dir).entryList({filter}, QDir::Files, QDir::Name);
}

// Each entry "suffix|stream channels in file order": the file holds exactly those.
void compareFiles(const MlpTrack &t, const QString &base, const QStringList &files)
{
    QCOMPARE(filesIn(QFileInfo(base).path()).size(), files.size());
    for (const QString &file : files) {
        QList<int> order;
        for (const QString &n : file.section('|', 1).split(' '))
            order << n.toInt();
        const testzone::WaveContents w = readWave(base + file.section('|', 0, 0));
        QCOMPARE(w.problem, QString());
        QCOMPARE(w.channels, int(order.size()));
        QVERIFY2(w.samples == t.expected(order), qPrintable(file));
    }
}

} // namespace

class TestMlpConvert : public QObject {
    Q_OBJECT

private slots:
    void roundTrip_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("bits");
        QTest::addColumn<QString>("layout");
        QTest::addColumn<QStringList>("files");
        auto row = [](const char *name, int id, int rate, int bits, const char *layout,
                      const QStringList &files) {
            QTest::newRow(name) << id << rate << bits << QString(layout) << files;
        };
        row("mono 16/44100", 0, 44100, 16, "", {"-[M]-16-44100.wav|0"});
        row("stereo 24/48000", 1, 48000, 24, "", {"-[L-R]-24-48000.wav|0 1"});
        row("stereo 24/176400", 1, 176400, 24, "", {"-[L-R]-24-176400.wav|0 1"});
        row("stereo 16/192000 split", 1, 192000, 16, "split",
            {"-[L]-16-192000.wav|0", "-[R]-16-192000.wav|1"});
        row("5.1 24/96000", 12, 96000, 24, "",
            {"-[Lf-Rf]-24-96000.wav|0 1", "-[C-LFE-Ls-Rs]-24-96000.wav|2 3 4 5"});
        row("5.1 16/88200 merged", 12, 88200, 16, "merge",
            {"-[Lf-Rf-C-LFE-Ls-Rs]-16-88200.wav|0 1 2 3 4 5"});
        row("5.1 24/192000 merged", 12, 192000, 24, "merge",
            {"-[Lf-Rf-C-LFE-Ls-Rs]-24-192000.wav|0 1 2 3 4 5"});
        row("5.1 24/44100 split", 12, 44100, 24, "split",
            {"-[Lf]-24-44100.wav|0", "-[Rf]-24-44100.wav|1", "-[C]-24-44100.wav|2",
             "-[LFE]-24-44100.wav|3", "-[Ls]-24-44100.wav|4", "-[Rs]-24-44100.wav|5"});
        // Every other assignment, merged: output (mask) order.
        row("id 2", 2, 48000, 16, "merge", {"-[Lf-Rf-S]-16-48000.wav|0 1 2"});
        row("id 3", 3, 48000, 24, "merge", {"-[Lf-Rf-Ls-Rs]-24-48000.wav|0 1 2 3"});
        row("id 4", 4, 48000, 16, "merge", {"-[Lf-Rf-LFE]-16-48000.wav|0 1 2"});
        row("id 5", 5, 48000, 24, "merge", {"-[Lf-Rf-LFE-S]-24-48000.wav|0 1 2 3"});
        row("id 6", 6, 48000, 16, "merge", {"-[Lf-Rf-LFE-Ls-Rs]-16-48000.wav|0 1 2 3 4"});
        row("id 7", 7, 48000, 24, "merge", {"-[Lf-Rf-C]-24-48000.wav|0 1 2"});
        row("id 8", 8, 48000, 16, "merge", {"-[Lf-Rf-C-S]-16-48000.wav|0 1 2 3"});
        row("id 9", 9, 48000, 24, "merge", {"-[Lf-Rf-C-Ls-Rs]-24-48000.wav|0 1 2 3 4"});
        row("id 10", 10, 48000, 16, "merge", {"-[Lf-Rf-C-LFE]-16-48000.wav|0 1 2 3"});
        row("id 11", 11, 48000, 24, "merge", {"-[Lf-Rf-C-LFE-S]-24-48000.wav|0 1 2 3 4"});
        row("id 13", 13, 48000, 16, "merge", {"-[Lf-Rf-C-S]-16-48000.wav|0 1 2 3"});
        row("id 14", 14, 48000, 24, "merge", {"-[Lf-Rf-C-Ls-Rs]-24-48000.wav|0 1 2 3 4"});
        row("id 15", 15, 48000, 16, "merge", {"-[Lf-Rf-C-LFE]-16-48000.wav|0 1 2 3"});
        row("id 16", 16, 48000, 24, "merge", {"-[Lf-Rf-C-LFE-S]-24-48000.wav|0 1 2 3 4"});
        row("id 17", 17, 48000, 16, "merge", {"-[Lf-Rf-C-LFE-Ls-Rs]-16-48000.wav|0 1 2 3 4 5"});
        // 18 to 20: the decoder's order is neither stream nor output order.
        row("id 18 merged", 18, 48000, 24, "merge", {"-[Lf-Rf-LFE-Ls-Rs]-24-48000.wav|0 1 4 2 3"});
        row("id 18", 18, 96000, 16, "",
            {"-[Lf-Rf-Ls-Rs]-16-96000.wav|0 1 2 3", "-[LFE]-16-96000.wav|4"});
        row("id 19 merged", 19, 48000, 16, "merge", {"-[Lf-Rf-C-Ls-Rs]-16-48000.wav|0 1 4 2 3"});
        row("id 19", 19, 44100, 24, "",
            {"-[Lf-Rf-Ls-Rs]-24-44100.wav|0 1 2 3", "-[C]-24-44100.wav|4"});
        row("id 20 merged", 20, 96000, 24, "merge",
            {"-[Lf-Rf-C-LFE-Ls-Rs]-24-96000.wav|0 1 4 5 2 3"});
        row("id 20", 20, 48000, 16, "",
            {"-[Lf-Rf-Ls-Rs]-16-48000.wav|0 1 2 3", "-[C-LFE]-16-48000.wav|4 5"});
        row("id 20 split", 20, 48000, 24, "split",
            {"-[Lf]-24-48000.wav|0", "-[Rf]-24-48000.wav|1", "-[Ls]-24-48000.wav|2",
             "-[Rs]-24-48000.wav|3", "-[C]-24-48000.wav|4", "-[LFE]-24-48000.wav|5"});
    }

    void roundTrip()
    {
        QFETCH(int, id);
        QFETCH(int, rate);
        QFETCH(int, bits);
        QFETCH(QString, layout);
        QFETCH(QStringList, files);
        const MlpTrack t({id, rate, bits}, 60);
        QVERIFY(t.track());
        QVERIFY(t.packed.count >= 2);
        QTemporaryDir out;
        QCOMPARE(resultMessage(t.convert(out.filePath("t"), convertOptions(layout))),
                 resultMessage(0));
        compareFiles(t, out.filePath("t"), files);
    }

    // Two tracks of one stream, one after the other: joined, exactly the source.
    void trackBoundary_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("bits");
        QTest::newRow("stereo 16/44100") << 1 << 44100 << 16;
        QTest::newRow("5.1 24/96000") << 12 << 96000 << 24;
    }

    void trackBoundary()
    {
        QFETCH(int, id);
        QFETCH(int, rate);
        QFETCH(int, bits);
        const MlpTrack probe({id, rate, bits}, 400);
        const int middle = probe.packed.count / 2;
        const MlpTrack t({id, rate, bits}, 400, {0, middle});
        QVERIFY(t.track(1));
        QByteArray joined;
        for (int k = 0; k < 2; ++k) {
            QTemporaryDir out;
            ExtractOptions options = convertOptions("merge");
            QCOMPARE(t.convert(out.filePath("t"), options, k), 0);
            const QStringList files = filesIn(out.path());
            QCOMPARE(files.size(), 1);
            const testzone::WaveContents w = readWave(out.filePath(files[0]));
            QCOMPARE(w.problem, QString());
            QVERIFY(w.samples.size() > 0);
            joined += w.samples;
        }
        QList<int> all;
        for (int n = 0; n < t.channels; ++n)
            all << n;
        QVERIFY(joined == t.expected(all));
    }

    // A stored stream read by the ffmpeg program gives what Convert gives.
    void storedDecodesAlike_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("bits");
        QTest::newRow("stereo 16/44100") << 1 << 44100 << 16;
        QTest::newRow("5.1 24/96000") << 12 << 96000 << 24;
    }

    void storedDecodesAlike()
    {
        QFETCH(int, id);
        QFETCH(int, rate);
        QFETCH(int, bits);
        const QString ffmpeg = QStandardPaths::findExecutable("ffmpeg");
        if (ffmpeg.isEmpty())
            QSKIP("no ffmpeg program");
        const MlpTrack t({id, rate, bits}, 100);
        QTemporaryDir out;
        ExtractOptions store;
        store.mode = ModeStore;
        QCOMPARE(t.convert(out.filePath("t"), store), 0);
        QCOMPARE(t.convert(out.filePath("t"), convertOptions("merge")), 0);
        const QString mlp = out.filePath(filesIn(out.path(), "*.mlp").value(0));
        const QString format = bits == 16 ? "s16le" : "s24le";
        QProcess p;
        p.start(ffmpeg, {"-nostdin", "-v", "error", "-i", mlp, "-c:a", "pcm_" + format, "-f",
                         format, "-"});
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitCode(), 0);
        const testzone::WaveContents w = readWave(out.filePath(filesIn(out.path()).value(0)));
        QCOMPARE(w.problem, QString());
        QVERIFY(w.samples.size() > 0);
        QVERIFY(p.readAllStandardOutput() == w.samples);
    }

    // A major sync in the middle of the stream with a broken checksum.
    void corruptUnit_data()
    {
        QTest::addColumn<bool>("recover");
        QTest::newRow("stop") << false;
        QTest::newRow("recover") << true;
    }

    void corruptUnit()
    {
        QFETCH(bool, recover);
        const MlpFormat format{12, 96000, 24};
        QList<int> syncs;
        const MlpTrack t(format, 300, {0}, [&](QByteArray &stream) {
            syncs = majorSyncOffsets(stream);
            if (syncs.size() > 4)
                stream[syncs[2] + 4 + 26] = char(stream[syncs[2] + 4 + 26] ^ 0x5A);
        });
        QVERIFY(syncs.size() > 4);
        // Access unit numbers of the damaged major sync and of the next one.
        auto unitAt = [&](int offset) {
            int n = 0;
            for (int at = 0; at < offset; ++n)
                at += 2 * ((quint8(t.stream[at]) << 8 | quint8(t.stream[at + 1])) & 0xFFF);
            return n;
        };
        const int fs = frameSize(format.sampleRate);
        const int damaged = unitAt(syncs[2]) * fs, resumed = unitAt(syncs[3]) * fs;

        QTemporaryDir out;
        const QString previous = QDir::currentPath();
        QDir::setCurrent(out.path()); // where the decoder log goes
        const int result = t.convert(out.filePath("t"), convertOptions(recover ? "merge recover log"
                                                                             : "merge log"));
        closeDecoderLog();
        QDir::setCurrent(previous);

        const QList<int> all{0, 1, 2, 3, 4, 5};
        const testzone::WaveContents w = readWave(out.filePath("t-[Lf-Rf-C-LFE-Ls-Rs]-24-96000.wav"));
        QCOMPARE(w.problem, QString());
        QFile log(out.filePath("Kestrova.log"));
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = log.readAll().split('\n');
        QCOMPARE(lines.value(0),
                 "[32] ### MLP Stream (channels: 6, sample_rate: 96000, bits_per_sample: 24) ###");
        if (!recover) {
            QCOMPARE(resultMessage(result), QString("MLP decoder failed during extraction."));
            QVERIFY(w.samples == t.expected(all, 0, damaged));
            return;
        }
        QCOMPARE(result, 0);
        QVERIFY(w.samples == t.expected(all, 0, damaged) + t.expected(all, resumed));
        // The search is logged, then how much it dropped: the damaged unit up to the next sync.
        const QByteArray skipped = "[16] ### Recovering from stream error (bytes skipped: "
            + QByteArray::number(syncs[3] - syncs[2]) + ") ###";
        int looking = -1;
        for (int i = 0; i < lines.size(); ++i)
            if (lines[i].startsWith("[32] ### Looking for major sync (length: "))
                looking = looking < 0 ? i : looking;
        QVERIFY(looking > 0);
        QVERIFY(lines.indexOf(skipped) > looking);
    }

    // The stereo downmix is substream 0 of a stream that has two; a stream with one has
    // none. A decoder that gives other channels than the files need stops the dump.
    void downmix_data()
    {
        QTest::addColumn<QString>("stream"); // a fixture, or "" for an encoded 5.1 stream
        QTest::addColumn<QString>("layout");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QStringList>("files");
        QTest::newRow("two substreams") << "two-substreams.mlp" << "downmix" << QString()
            << QStringList{"t-[Downmix]-16-48000.wav"};
        QTest::newRow("two substreams, split as well") << "two-substreams.mlp" << "downmix split"
            << "MLP decoder failed during extraction."
            << QStringList{"t-[C]-16-48000.wav", "t-[LFE]-16-48000.wav", "t-[Lf]-16-48000.wav",
                           "t-[Ls]-16-48000.wav", "t-[Rf]-16-48000.wav", "t-[Rs]-16-48000.wav"};
        QTest::newRow("one substream") << "" << "downmix" << "Cannot downmix to stereo."
            << QStringList();
    }

    void downmix()
    {
        QFETCH(QString, stream);
        QFETCH(QString, layout);
        QFETCH(QString, message);
        QFETCH(QStringList, files);
        const MlpTrack encoded({12, 48000, 16}, 40);
        QByteArray packed = encoded.packed.packs;
        if (!stream.isEmpty()) {
            QFile fixture(QStringLiteral(TESTDATA_DIR "/mlp/") + stream);
            QVERIFY(fixture.open(QIODevice::ReadOnly));
            packed = packs::packStream(fixture.readAll(), packs::mlpLayout()).packs;
        }
        testzone::ZoneFolder folder(dumpzone::consecutiveTracks(packed, {0}));
        DVDAZone zone{QDir(folder.path())};
        QVERIFY(!zone.titlesets.empty() && !zone.titlesets[0]->titles.empty());
        QTemporaryDir out;
        ExtractProgress progress;
        const int result = dumpObject(zone.titlesets[0]->titles[0]->tracks[0], out.filePath("t"),
                                      convertOptions(layout), nullptr, progress);
        QCOMPARE(result == 0 ? QString() : resultMessage(result), message);
        QCOMPARE(filesIn(out.path()), files);
        for (const QString &file : files)
            QCOMPARE(readWave(out.filePath(file)).problem, QString());
        if (message.isEmpty()) {
            QFile substream0(QStringLiteral(TESTDATA_DIR "/mlp/two-substreams.substream0.s16le"));
            QVERIFY(substream0.open(QIODevice::ReadOnly));
            QVERIFY(readWave(out.filePath(files[0])).samples == substream0.readAll());
        }
    }

    // Two dumpers side by side keep their own state: the damage one decoder reports
    // is counted for its dumper only, and both write their own stream exactly.
    void dumpersKeepApart()
    {
        const MlpTrack clean({1, 48000, 16}, 200);
        int damagedAt = 0;
        const MlpTrack damaged({1, 48000, 16}, 200, {0}, [&](QByteArray &stream) {
            damagedAt = majorSyncOffsets(stream).value(1) + 300; // inside a later unit
            stream[damagedAt] = char(stream[damagedAt] ^ 0x10);
        });
        QTemporaryDir out;
        ExtractOptions options = convertOptions("");
        DVDAMLPStreamDumper a(clean.track()->streamInfo, out.filePath("a"), options, nullptr);
        DVDAMLPStreamDumper b(damaged.track()->streamInfo, out.filePath("b"), options, nullptr);
        QCOMPARE(a.result, 0);
        QCOMPARE(b.result, 0);
        for (int at = 0; at < clean.stream.size(); at += 1000) {
            const auto *bytes = reinterpret_cast<const quint8 *>(clean.stream.constData());
            const auto *other = reinterpret_cast<const quint8 *>(damaged.stream.constData());
            QCOMPARE(a.write(bytes + at, qMin(1000, int(clean.stream.size()) - at)), 0);
            QCOMPARE(b.write(other + at, qMin(1000, int(damaged.stream.size()) - at)), 0);
        }
        QCOMPARE(a.finish(), 0);
        QCOMPARE(b.finish(), 0);
        int reported = 0;
        for (int k = 0; k < DecoderMessages::KINDS; ++k) {
            QCOMPARE(a.decoderMessages().count(DecoderMessages::Kind(k)), 0);
            reported += b.decoderMessages().count(DecoderMessages::Kind(k));
        }
        QVERIFY(reported > 0);
        QVERIFY(readWave(out.filePath("a-[L-R]-16-48000.wav")).samples == clean.expected({0, 1}));
    }
};

QTEST_GUILESS_MAIN(TestMlpConvert)
#include "tst_mlpconvert.moc"
