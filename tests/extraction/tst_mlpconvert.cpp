// MLP end to end: known samples encoded by libavcodec's MLP encoder, packed into the
// packs of a zone written by the test (access units run across packs), converted
// through the dump driver and read back with the test-zone RIFF reader.
#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include "testzone/resultcompare.h"
#include <memory>

#include "base/result.h"
#include "stream/avcodeclibrary.h"
#include "stream/decoderlog.h"
#include "stream/mlpstreamdumper.h"
#include "output/wavesink.h"
#include "extraction/objectnames.h"
#include "extraction/extractprogress.h"
#include "extraction/objectcheck.h"
#include "extraction/settledfiles.h"
#include "extraction/objectdump.h"
#include "testzone/dumpzone.h"
#include "testzone/mlpencoder.h"
#include "testzone/packs.h"
#include "testzone/wavereader.h"
#include "zone/dvdazone.h"

using namespace mlpencoder;
using testzone::readWave;

namespace {

// An encoded MLP stream of `units` access units (or a given stream) laid into a zone,
// one track per first block in trackStarts.
struct MlpTrack {
    MlpTrack(const MlpFormat &f, int units, const QList<int> &trackStarts = {0},
             const QByteArray &given = {}, int damageAt = -1)
        : format(f), channels(channelCount(f.channelAssignment))
    {
        samples = testSignal(channels, units * frameSize(f.sampleRate), f.bits, 9);
        stream = !given.isEmpty() ? given
               : f.bits == 16     ? encodeMlp(toInt16(samples), f) : encodeMlp(samples, f);
        if (damageAt >= 0)
            stream[damageAt] = char(stream[damageAt] ^ 0x5A);
        packed = packs::packStream(stream, packs::mlpLayout());
        folder = std::make_unique<testzone::ZoneFolder>(
            dumpzone::consecutiveTracks(packed.packs, trackStarts));
        zone = std::make_unique<DVDAZone>(QDir(folder->path()));
    }
    AOBObject *track(int k = 0) const
    {
        const auto &titles = zone->titlesets.at(0)->titles;
        return int(titles.at(0)->tracks.size()) > k ? titles[0]->tracks[size_t(k)] : nullptr;
    }
    ResultCode convert(const QString &base, const ExtractOptions &options, int k = 0) const
    {
        ExtractProgress progress;
        return dumpObject(track(k), base, options, progress).code();
    }
    // Frames [first, end) of the stream channels listed, as a wave file holds them.
    QByteArray expected(const QList<int> &order, int first = 0, int end = -1) const
    {
        QByteArray out;
        for (int f = first; f < (end < 0 ? samples.size() / channels : end); ++f)
            for (int n : order)
                out.append(reinterpret_cast<const char *>(&samples[f * channels + n]),
                           format.bits > 16 ? 3 : 2);
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
    o.mode = layout.contains("store") ? ModeStore : ModeConvert;
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

// The samples of a finished, consistent wave file ("bad" when it is not one).
QByteArray samplesOf(const QString &path)
{
    const testzone::WaveContents w = readWave(path);
    return w.problem.isEmpty() ? w.samples : QByteArray("bad");
}

QList<int> all(int channels)
{
    return QList<int>{0, 1, 2, 3, 4, 5}.mid(0, channels);
}

} // namespace

class TestMlpConvert : public QObject {
    Q_OBJECT

private slots:
    // Each file "suffix|stream channels in file order": it holds exactly those.
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
        row("mono 24/88200 split", 0, 88200, 24, "split", {"-[M]-24-88200.wav|0"});
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
        // Every other assignment merged, in output (mask) order, which for 0 to 17 is
        // stream order.
        const char *names[] = {"M", "L-R", "Lf-Rf-S", "Lf-Rf-Ls-Rs", "Lf-Rf-LFE", "Lf-Rf-LFE-S",
                               "Lf-Rf-LFE-Ls-Rs", "Lf-Rf-C", "Lf-Rf-C-S", "Lf-Rf-C-Ls-Rs",
                               "Lf-Rf-C-LFE", "Lf-Rf-C-LFE-S", "Lf-Rf-C-LFE-Ls-Rs", "Lf-Rf-C-S",
                               "Lf-Rf-C-Ls-Rs", "Lf-Rf-C-LFE", "Lf-Rf-C-LFE-S", "Lf-Rf-C-LFE-Ls-Rs"};
        for (int id = 0; id < 18; ++id) {
            const QString order = QString("0 1 2 3 4 5").left(2 * channelCount(id) - 1);
            const int bits = id % 2 ? 24 : 16;
            row(qPrintable(QString("id %1").arg(id)), id, 48000, bits, "merge",
                {QString("-[%1]-%2-48000.wav|%3").arg(names[id]).arg(bits).arg(order)});
        }
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
        QVERIFY(t.packed.count >= 2);
        QTemporaryDir out;
        QCOMPARE(t.convert(out.filePath("t"), convertOptions(layout)), ResultCode::Succeeded);
        QCOMPARE(filesIn(out.path()).size(), files.size());
        for (const QString &file : files) {
            QList<int> order;
            for (const QString &n : file.section('|', 1).split(' '))
                order << n.toInt();
            QVERIFY2(samplesOf(out.filePath("t" + file.section('|', 0, 0))) == t.expected(order),
                     qPrintable(file));
        }
    }

    void formats_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("bits");
        QTest::newRow("stereo 16/44100") << 1 << 44100 << 16;
        QTest::newRow("5.1 24/96000") << 12 << 96000 << 24;
    }

    // Two tracks of one stream, one after the other: joined, exactly the source.
    void trackBoundary_data() { formats_data(); }
    void trackBoundary()
    {
        QFETCH(int, id);
        QFETCH(int, rate);
        QFETCH(int, bits);
        const int middle = MlpTrack({id, rate, bits}, 400).packed.count / 2;
        const MlpTrack t({id, rate, bits}, 400, {0, middle});
        QByteArray joined;
        for (int k = 0; k < 2; ++k) {
            QTemporaryDir out;
            QCOMPARE(t.convert(out.filePath("t"), convertOptions("merge"), k), ResultCode::Succeeded);
            QCOMPARE(filesIn(out.path()).size(), 1);
            joined += samplesOf(out.filePath(filesIn(out.path())[0]));
        }
        QVERIFY(joined == t.expected(all(t.channels)));
    }

    // A stored stream read by the ffmpeg program gives what Convert gives.
    void storedDecodesAlike_data() { formats_data(); }
    void storedDecodesAlike()
    {
        QFETCH(int, id);
        QFETCH(int, rate);
        QFETCH(int, bits);
        if (QStandardPaths::findExecutable("ffmpeg").isEmpty())
            QSKIP("no ffmpeg program");
        const MlpTrack t({id, rate, bits}, 100);
        QTemporaryDir out;
        QCOMPARE(t.convert(out.filePath("t"), convertOptions("store")), ResultCode::Succeeded);
        QCOMPARE(t.convert(out.filePath("t"), convertOptions("merge")), ResultCode::Succeeded);
        const QString format = bits == 16 ? "s16le" : "s24le";
        QProcess p;
        p.start("ffmpeg", {"-nostdin", "-v", "error", "-i",
                           out.filePath(filesIn(out.path(), "*.mlp").value(0)), "-c:a",
                           "pcm_" + format, "-f", format, "-"});
        QVERIFY(p.waitForFinished(60000) && p.exitCode() == 0);
        const QByteArray converted = samplesOf(out.filePath(filesIn(out.path()).value(0)));
        QVERIFY(converted.size() > 0);
        QVERIFY(p.readAllStandardOutput() == converted);
    }

    // Major syncs whose checksum is broken (from the third on): without recovery the dump
    // stops at the first; with it, audio resumes at the next sound major sync, and what was
    // lost between is silence of its exact length, so the file keeps the stream's length
    // (also past the 65536 samples where the units' timing wraps). The files are finished
    // and the log begins with the stream line either way.
    void lostAudio_data()
    {
        QTest::addColumn<bool>("recover");
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("broken"); // major syncs broken
        QTest::newRow("stop") << false << 96000 << 1;
        QTest::newRow("recover") << true << 96000 << 1;
        QTest::newRow("recover across three") << true << 48000 << 3;
        QTest::newRow("recover past the timing's wrap") << true << 192000 << 28;
    }

    void lostAudio()
    {
        QFETCH(bool, recover);
        QFETCH(int, rate);
        QFETCH(int, broken);
        const MlpFormat format{12, rate, 24};
        const int units = 16 * (broken + 6);
        QByteArray stream = MlpTrack(format, units).stream;
        const QList<int> syncs = majorSyncOffsets(stream);
        QVERIFY(syncs.size() > broken + 3);
        for (int k = 2; k < 2 + broken; ++k)
            stream[syncs[k] + 4 + 26] = char(stream[syncs[k] + 4 + 26] ^ 0x5A); // its checksum
        const MlpTrack t(format, units, {0}, stream);
        // Access units are equally long in frames: count them up to an offset.
        auto frameAt = [&](int offset) {
            int n = 0;
            for (int at = 0; at < offset; ++n)
                at += 2 * ((quint8(t.stream[at]) << 8 | quint8(t.stream[at + 1])) & 0xFFF);
            return n * frameSize(format.sampleRate);
        };
        const int lostFrom = frameAt(syncs[2]), lostTo = frameAt(syncs[2 + broken]);
        QTemporaryDir out;
        const QString previous = QDir::currentPath();
        QDir::setCurrent(out.path()); // where the decoder log goes
        ExtractProgress progress;
        ObjectCheck check;
        ExtractOptions options = convertOptions(recover ? "merge recover log" : "merge log");
        options.keepPartial = true; // a dump that stops keeps what it wrote, as partial
        const ResultCode result = dumpObject(t.track(), out.filePath("t"), options, progress, &check).code();
        closeDecoderLog();
        QDir::setCurrent(previous);

        const QString name = QString("t-[Lf-Rf-C-LFE-Ls-Rs]-24-%1%2.wav").arg(rate).arg(recover ? "" : ".partial");
        const QByteArray written = samplesOf(out.filePath(name));
        const QByteArray before = t.expected(all(6), 0, lostFrom);
        QFile log(out.filePath("Kestrova.log"));
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = log.readAll().split('\n');
        QCOMPARE(lines.value(0), QString("[32] ### MLP Stream (channels: 6, sample_rate: %1, bits_per_sample: 24) ###")
                                     .arg(rate).toLatin1());
        QCOMPARE(result, recover ? ResultCode::Succeeded : ResultCode::MlpDecoder);
        if (!recover) {
            QVERIFY(written == before);
            return;
        }
        QVERIFY(lostTo - lostFrom > (broken > 26 ? 65536 : 0));
        QCOMPARE(written.size(), t.expected(all(6)).size());
        QVERIFY(written == before + QByteArray((lostTo - lostFrom) * 6 * 3, '\0') + t.expected(all(6), lostTo));
        QCOMPARE(check.silenced.size(), size_t(1));
        QCOMPARE(check.silenced[0].frame, qint64(lostFrom));
        QCOMPARE(check.silenced[0].frames, qint64(lostTo - lostFrom));
        // The search is logged, then how much it dropped: the unit up to the next sync.
        int looking = 0;
        while (looking < lines.size() && !lines[looking].startsWith("[32] ### Looking for major"))
            ++looking;
        if (broken == 1)
            QVERIFY(lines.indexOf("[16] ### Recovering from stream error (bytes skipped: "
                                  + QByteArray::number(syncs[3] - syncs[2]) + ") ###")
                    > looking);
    }

    // Group 2 at half group 1's rate, as the format allows (libavcodec cannot decode it):
    // the stream is described with both rates, stored as it is, and refused by Convert and
    // Verify with what it is, before a file is made.
    void groupsAtTwoRates_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("files");
        QTest::newRow("store") << int(ModeStore) << 0 << 1;
        QTest::newRow("convert") << int(ModeConvert) << int(ResultCode::MlpGroupRates) << 0;
        QTest::newRow("verify") << int(ModeVerify) << int(ResultCode::MlpGroupRates) << 0;
    }
    void groupsAtTwoRates()
    {
        QFETCH(int, mode);
        QFETCH(int, result);
        QFETCH(int, files);
        QByteArray stream = MlpTrack({12, 96000, 24}, 64).stream;
        const QList<int> syncs = majorSyncOffsets(stream);
        for (int at : syncs) // group 1 at 96 kHz (code 1), group 2 at 48 kHz (code 0)
            stream[at + 4 + 5] = char(0x10);
        QCOMPARE(fixMajorSyncChecksums(stream), int(syncs.size()));
        const MlpTrack t({12, 96000, 24}, 64, {0}, stream);
        const StreamInfo &info = t.track()->streamInfo;
        QCOMPARE(info.group1SampleRate, 96000);
        QCOMPARE(info.group2SampleRate, 48000);
        QTemporaryDir out;
        ExtractOptions options;
        options.mode = mode;
        ExtractProgress progress;
        const Result dumped = dumpObject(t.track(), out.filePath("t"), options, progress);
        QCOMPARE(dumped.code(), ResultCode(result));
        if (result != 0)
            QCOMPARE(dumped.where(), QString("group 1 at 96000 Hz, group 2 at 48000 Hz"));
        QCOMPARE(int(QDir(out.path()).entryList(QDir::Files).size()), files);
    }

    // The stereo downmix is substream 0 of a stream that has two; a stream with one has
    // none. A decoder that gives other channels than the files need stops the dump, and
    // a stream without a major sync cannot be decoded at all.
    void refusals_data()
    {
        QTest::addColumn<QByteArray>("stream"); // empty: an encoded 5.1 stream
        QTest::addColumn<QString>("layout");
        QTest::addColumn<int>("result");
        QTest::addColumn<QStringList>("files");
        QFile fixture(TESTDATA_DIR "/mlp/two-substreams.mlp");
        const QByteArray twoSubstreams = fixture.open(QIODevice::ReadOnly) ? fixture.readAll() : "";
        QTest::newRow("downmix, two substreams") << twoSubstreams << "downmix" << 0
            << QStringList{"t-[Downmix]-16-48000.wav"};
        // The decoder stops at the first unit: the files made for it got no sample and are gone.
        QTest::newRow("downmix and split") << twoSubstreams << "downmix split" << int(ResultCode::MlpDecoder)
                                           << QStringList();
        QTest::newRow("downmix, one substream") << QByteArray() << "downmix" << int(ResultCode::Downmix)
            << QStringList();
        QTest::newRow("no major sync") << dumpzone::pattern(30000) << "" << int(ResultCode::InitMlpDecoder)
            << QStringList();
    }

    void refusals()
    {
        QFETCH(QByteArray, stream);
        QFETCH(QString, layout);
        QFETCH(int, result);
        QFETCH(QStringList, files);
        const MlpTrack t({12, 48000, 16}, 40, {0}, stream);
        QTemporaryDir out;
        QCOMPARE(t.convert(out.filePath("t"), convertOptions(layout)), ResultCode(result));
        QCOMPARE(filesIn(out.path()), files);
        for (const QString &file : files)
            QVERIFY(samplesOf(out.filePath(file)) != "bad");
        QFile substream0(TESTDATA_DIR "/mlp/two-substreams.substream0.s16le");
        if (result == 0 && substream0.open(QIODevice::ReadOnly))
            QVERIFY(samplesOf(out.filePath(files[0])) == substream0.readAll());
    }

    // The decoder libraries are loaded by name when the first MLP stream comes; a missing
    // library or function is a failure with its reason, never a table with holes.
    void loadsDecoderLibraries_data()
    {
        QTest::addColumn<QString>("codec");
        QTest::addColumn<QString>("util");
        QTest::addColumn<QString>("error"); // empty: loads
        const QString codec = QStringLiteral("libavcodec.so.%1").arg(LIBAVCODEC_VERSION_MAJOR);
        const QString util = QStringLiteral("libavutil.so.%1").arg(LIBAVUTIL_VERSION_MAJOR);
        QTest::newRow("installed") << codec << util << "";
        QTest::newRow("no such codec library") << "libavcodec.so.1" << util << "libavcodec.so.1";
        QTest::newRow("no such util library") << codec << "libavutil.so.1" << "libavutil.so.1";
        QTest::newRow("functions missing") << util << util << "no function avcodec_alloc_context3";
    }

    void loadsDecoderLibraries()
    {
        QFETCH(QString, codec);
        QFETCH(QString, util);
        QFETCH(QString, error);
        AVCodecLibrary functions;
        QString why;
        QCOMPARE(loadAVCodecLibrary(codec, util, &functions, &why), error.isEmpty());
        QVERIFY2(why.contains(error), qPrintable(why));
        if (error.isEmpty())
            QVERIFY(functions.av_parser_parse2 && functions.av_log_set_callback);
    }

    // Two dumpers side by side keep apart: the damage one decoder reports is counted
    // for its dumper only, and the other writes its stream exactly.
    void dumpersKeepApart()
    {
        const MlpTrack clean({1, 48000, 16}, 200);
        const MlpTrack damaged({1, 48000, 16}, 200, {0}, {}, majorSyncOffsets(clean.stream)[1] + 300);
        QTemporaryDir out;
        const StreamInfo infoA = streamInfoWithPayload(clean.zone->titlesets.at(0), clean.track());
        const StreamInfo infoB = streamInfoWithPayload(damaged.zone->titlesets.at(0), damaged.track());
        const auto namedAfter = [&out](const char *base) {
            return [path = out.filePath(base)](const LayoutFile &file) {
                return layoutFileName(path, file, "wav", false, false);
            };
        };
        WaveSink sinkA(DVDAMLPStreamDumper::outputFormat(infoA), OutputLayout::Groups, namedAfter("a"), false);
        WaveSink sinkB(DVDAMLPStreamDumper::outputFormat(infoB), OutputLayout::Groups, namedAfter("b"), false);
        QCOMPARE(sinkA.open(), ResultCode::Succeeded);
        QCOMPARE(sinkB.open(), ResultCode::Succeeded);
        DVDAMLPStreamDumper a(infoA, {}, sinkA);
        DVDAMLPStreamDumper b(infoB, {}, sinkB);
        QCOMPARE(a.start(), ResultCode::Succeeded);
        QCOMPARE(b.start(), ResultCode::Succeeded);
        const auto *bytesA = reinterpret_cast<const quint8 *>(clean.stream.constData());
        const auto *bytesB = reinterpret_cast<const quint8 *>(damaged.stream.constData());
        for (int at = 0; at < clean.stream.size(); at += 1000) {
            const int n = qMin(1000, int(clean.stream.size()) - at);
            QCOMPARE(a.write(bytesA + at, n), ResultCode::Succeeded);
            QCOMPARE(b.write(bytesB + at, n), ResultCode::Succeeded);
        }
        std::vector<WrittenFile> files;
        QCOMPARE(sinkA.finish(&files), ResultCode::Succeeded);
        QCOMPARE(sinkB.finish(&files), ResultCode::Succeeded);
        QCOMPARE(settleFiles(files, Result(), false), ResultCode::Succeeded);
        int reported = 0;
        for (int k = 0; k < DecoderMessages::KINDS; ++k) {
            QCOMPARE(a.decoderMessages().count(DecoderMessages::Kind(k)), 0);
            reported += b.decoderMessages().count(DecoderMessages::Kind(k));
        }
        QVERIFY(reported > 0);
        QVERIFY(samplesOf(out.filePath("a-[L-R]-16-48000.wav")) == clean.expected({0, 1}));
    }
};

QTEST_GUILESS_MAIN(TestMlpConvert)
#include "tst_mlpconvert.moc"
