// Extraction against the tools a user would compare it with, each case run a few times in
// this run and the medians printed, with the extraction's peak memory (its process's):
//   Store of a 60 s stereo 24-bit 96000 Hz PCM track vs `cp` of its AOB,
//   PCM Convert (groups, merged, split) of that track vs `cp`,
//   MLP Convert of a 60 s 5.1 24-bit 96000 Hz track vs `ffmpeg -threads 1` to 24-bit WAV,
//   MLP Verify of the same track vs its Convert,
//   a title of 4 MLP tracks with 2 workers vs 1 worker,
//   and the peak memory of MLP Convert of a 10-minute track.
// Every program runs through benchspawn, which reports its time and peak memory; an
// extraction is a child process: bench_extraction --child ZONE OUT MODE LAYOUT N
//   bench_extraction [seconds of the long track, default 600]
#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>

#include "benchtools.h"
#include "extract/extractthread.h"
#include "extract/jobqueue.h"
#include "testzone/dumpzone.h"
#include "testzone/mlpencoder.h"
#include "testzone/packs.h"
#include "zone/dvdazone.h"

using namespace benchtools;

namespace {

// The child: every track of the first title into OUT.
int extractTitle(const QStringList &args)
{
    DVDAZone zone{QDir(args[2])};
    if (zone.titlesets.empty() || zone.titlesets[0]->titles.empty())
        return 1;
    ExtractOptions options;
    options.outputDir = QDir(args[3]);
    options.mode = args[4] == QLatin1String("store")    ? ModeStore
                   : args[4] == QLatin1String("verify") ? ModeVerify
                                                        : ModeConvert;
    options.merge = args[5] == QLatin1String("merged");
    options.split = args[5] == QLatin1String("split");
    options.threads = args[6].toInt();
    QList<DVDAObject *> tracks;
    for (DVDAObject *track : zone.titlesets[0]->titles[0]->tracks)
        tracks << track;
    JobQueue jobs;
    ExtractThread thread(&zone, tracks, options, &jobs);
    thread.start();
    thread.wait();
    if (thread.result() != 0) {
        std::fprintf(stderr, "extraction failed: %d\n", thread.result());
        return 1;
    }
    return 0;
}

// A zone of one title whose tracks are the given streams, each packed on its own.
std::unique_ptr<testzone::ZoneFolder> zoneOf(const QList<QByteArray> &streams, bool mlp)
{
    const packs::StreamLayout layout =
        mlp ? packs::mlpLayout() : packs::pcmLayout(packs::PcmFormat{0x20, 0x10, 1});
    QByteArray all;
    QList<int> firsts;
    for (const QByteArray &stream : streams) {
        firsts << int(all.size() / packs::PACK_SIZE);
        all += packs::packStream(stream, layout).packs;
    }
    auto folder = std::make_unique<testzone::ZoneFolder>(dumpzone::consecutiveTracks(all, firsts));
    return folder->ok() ? std::move(folder) : nullptr;
}

// An MLP stream of the given length: ten seconds encoded once and repeated. Each repeat
// begins with a major sync, so the joined stream is one valid stream.
QByteArray mlpOf(int seconds, const mlpencoder::MlpFormat &format, int channels)
{
    const int chunk = qMin(seconds, 10);
    const QByteArray piece = mlpencoder::encodeMlp(
        mlpencoder::testSignal(channels, chunk * format.sampleRate, format.bits, 4), format);
    QByteArray stream;
    for (int done = 0; done < seconds && !piece.isEmpty(); done += chunk)
        stream += piece;
    return stream;
}

struct Bench {
    QString self;
    QTemporaryDir out;
    bool ok = true; // every case ran

    // Extracting the zone's title into an emptied folder.
    RunReport extract(const testzone::ZoneFolder &zone, const char *mode, const char *layout,
                      int threads)
    {
        return medianOf([&] {
            QDir(out.filePath("x")).removeRecursively();
            QDir(out.path()).mkdir("x");
            return runProgram(self, {"--child", zone.path(), out.filePath("x"), mode, layout,
                                     QString::number(threads)});
        });
    }
    RunReport copy(const testzone::ZoneFolder &zone)
    {
        return medianOf([&] {
            return runProgram("cp", {zone.filePath(testzone::aobName(1, 1)), out.filePath("copy")});
        });
    }
    RunReport ffmpeg(const testzone::ZoneFolder &zone)
    {
        return medianOf([&] {
            return runProgram("ffmpeg", {"-nostdin", "-v", "error", "-y", "-threads", "1", "-i",
                                         zone.filePath(testzone::aobName(1, 1)), "-c:a",
                                         "pcm_s24le", out.filePath("ffmpeg.wav")});
        });
    }
    void print(const char *name, const RunReport &ours, const char *reference,
               const RunReport &theirs, double target)
    {
        ok = printCase(name, ours, reference, theirs, target) && ok;
    }
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 7 && args[1] == QLatin1String("--child"))
        return extractTitle(args);
    const int longSeconds = args.size() > 1 ? qMax(1, args[1].toInt()) : 600;

    Bench bench;
    bench.self = app.applicationFilePath();
    std::printf("extraction, median of %d runs, warm cache:\n", int(RUNS));

    // 60 s of stereo 24-bit 96000 Hz PCM: 34.6 MB.
    const auto pcm = zoneOf({dumpzone::pattern(60 * 96000 * 2 * 3, 1)}, false);
    if (!pcm)
        return 1;
    const RunReport cp = bench.copy(*pcm);
    bench.print("store, 60 s PCM", bench.extract(*pcm, "store", "groups", 1), "cp", cp, 1.2);
    for (const char *layout : {"groups", "merged", "split"}) {
        const QByteArray name = QByteArray("pcm convert, ") + layout;
        bench.print(name.constData(), bench.extract(*pcm, "convert", layout, 1), "cp", cp, 1.5);
    }

    const mlpencoder::MlpFormat surround{12, 96000, 24};
    const auto mlp = zoneOf({mlpOf(60, surround, 6)}, true);
    if (!mlp)
        return 1;
    const RunReport mlpOurs = bench.extract(*mlp, "convert", "groups", 1);
    bench.print("mlp convert, 60 s 5.1 96k", mlpOurs, "ffmpeg -threads 1", bench.ffmpeg(*mlp),
                1.0);
    bench.print("mlp verify, 60 s 5.1 96k", bench.extract(*mlp, "verify", "groups", 1),
                "mlp convert", mlpOurs, 1.0);

    const QByteArray twenty = mlpOf(20, surround, 6);
    const auto four = zoneOf({twenty, twenty, twenty, twenty}, true);
    if (!four)
        return 1;
    const RunReport one = bench.extract(*four, "convert", "groups", 1);
    bench.print("4 mlp tracks, --threads 2", bench.extract(*four, "convert", "groups", 2),
                "--threads 1", one, 0.6);

    const auto longTrack = zoneOf({mlpOf(longSeconds, mlpencoder::MlpFormat{1, 48000, 16}, 2)},
                                  true);
    if (!longTrack)
        return 1;
    const RunReport run = runProgram(bench.self, {"--child", longTrack->path(), bench.out.path(),
                                                  "convert", "groups", "1"});
    std::printf("  mlp convert, %d s stereo 48k: %.2f s, peak %.1f MB (target < 64 MB)%s\n",
                longSeconds, run.seconds, run.peakKilobytes / 1024.0, run.ok ? "" : " FAILED");
    return bench.ok && run.ok ? 0 : 1;
}
