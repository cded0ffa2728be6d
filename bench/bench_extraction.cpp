// Extraction against the tools a user would compare it with, each case run a few times in
// this run and the medians printed, with the extraction's peak memory (its process's):
//   the least a Store can do (benchfloor: read and write, without Qt) vs `cp` of the AOB,
//   Store of a 60 s stereo 24-bit 96000 Hz PCM track vs that floor,
//   PCM Convert (groups, merged, split) of that track vs the floor,
//   the same PCM cases for a track of the long tracks' length,
//   MLP Convert of a 60 s 5.1 24-bit 96000 Hz track vs `ffmpeg -threads 1` to 24-bit WAV,
//   MLP Verify of the same track vs its Convert,
//   a title of 4 MLP tracks with 2 workers vs 1 worker,
//   and the peak memory of MLP Convert of a 10-minute track.
// The extraction is the real kestrova-cli beside this benchmark's folder, run as a user
// would; it and every reference run through benchspawn, which reports time and peak memory.
//   bench_extraction [seconds of the long tracks, default 600]
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <memory>

#include "benchtools.h"
#include "benchzones.h"
#include "testzone/dumpzone.h"
#include "testzone/mlpencoder.h"
#include "testzone/packs.h"

using namespace benchtools;
using namespace benchzones;

namespace {

// The machine's load averages, as /proc/loadavg begins: "0.52 0.58 0.59".
QByteArray loadAverages()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly))
        return "unknown";
    return file.readAll().split(' ').mid(0, 3).join(' ');
}

struct Bench {
    QString cli;
    QTemporaryDir out;
    bool ok = true; // every case ran

    // The command line of extracting (or verifying) every track of the zone's first title
    // into the output folder; layout "groups" is the default of one file per channel group.
    QStringList command(const testzone::ZoneFolder &zone, const char *mode, const char *layout,
                        int threads, const QString &folder) const
    {
        if (qstrcmp(mode, "verify") == 0)
            return {"verify", zone.path(), "1/1"};
        QStringList args{"extract", zone.path(), "-o", folder, QLatin1String("--") + mode};
        if (qstrcmp(layout, "merged") == 0)
            args << "--merge";
        if (qstrcmp(layout, "split") == 0)
            args << "--split";
        return args << "--threads" << QString::number(threads) << "1/1";
    }
    // One run of extracting the zone's title into a folder emptied before it.
    std::function<RunReport()> extract(const testzone::ZoneFolder &zone, const char *mode,
                                       const char *layout, int threads)
    {
        const QStringList args = command(zone, mode, layout, threads, out.filePath("x"));
        return [this, args] {
            QDir(out.filePath("x")).removeRecursively();
            QDir(out.path()).mkdir("x");
            return runProgram(cli, args);
        };
    }
    // A reference run on the zone's AOB: program with the arguments before and after
    // the AOB's path, writing to `output` in the output folder. The references write a
    // file that does not exist yet, as every extraction does: overwriting would add the
    // cost of freeing the old file's blocks to theirs.
    std::function<RunReport()> onAob(const testzone::ZoneFolder &zone, const QString &program,
                                     const QStringList &before, const QStringList &after,
                                     const char *output)
    {
        const QString aob = zone.filePath(testzone::aobName(1, 1)), file = out.filePath(output);
        const QStringList args = before + QStringList{aob} + after + QStringList{file};
        return [program, args, file] {
            QFile::remove(file);
            return runProgram(program, args);
        };
    }
    std::function<RunReport()> copy(const testzone::ZoneFolder &zone)
    {
        return onAob(zone, "cp", {}, {}, "copy");
    }
    // Store's least work in a program without Qt (benchfloor, beside this benchmark).
    std::function<RunReport()> floor(const testzone::ZoneFolder &zone)
    {
        return onAob(zone, QCoreApplication::applicationDirPath() + QLatin1String("/benchfloor"),
                     {}, {}, "floor");
    }
    std::function<RunReport()> ffmpeg(const testzone::ZoneFolder &zone)
    {
        return onAob(zone, "ffmpeg", {"-nostdin", "-v", "error", "-threads", "1", "-i"},
                     {"-c:a", "pcm_s24le"}, "ffmpeg.wav");
    }
    // A case against its reference, their runs taken in turns.
    void compare(const QByteArray &name, const std::function<RunReport()> &ours,
                 const char *reference, const std::function<RunReport()> &theirs, double target)
    {
        const RunPair runs = mediansInTurn(ours, theirs);
        ok = printCase(name.constData(), runs.ours, reference, runs.theirs, target) && ok;
    }
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int longSeconds = argc > 1 ? qMax(1, atoi(argv[1])) : 600;

    Bench bench;
    // build/bench/bench_extraction runs build/kestrova-cli.
    bench.cli = QDir::cleanPath(app.applicationDirPath() + QLatin1String("/../kestrova-cli"));
    std::printf("extraction by %s, median of %d to %d runs (short cases more) in turns with the "
                "reference, warm cache, load %s:\n",
                qPrintable(bench.cli), int(RUNS), int(MAX_RUNS), loadAverages().constData());
    const RunReport start = medianOf([&] { return runProgram(bench.cli, {"--version"}); });
    std::printf("  start-up, kestrova-cli --version: %.3f s, peak %.1f MB%s\n", start.seconds,
                start.peakKilobytes / 1024.0, start.ok ? "" : " FAILED");

    // Stereo 24-bit 96000 Hz PCM, 34.6 MB a minute: 60 s, where the start-up of a program
    // weighs, and the long track's length, where it does not.
    for (const int seconds : {60, longSeconds}) {
        const auto pcm = zoneOf({dumpzone::pattern(seconds * 96000 * 2 * 3, 1)}, false);
        if (!pcm)
            return 1;
        const QByteArray length = QByteArray::number(seconds) + " s";
        // What any read-and-write Store costs against cp's copy inside the kernel, for
        // reference; every case of ours is held against that floor, with the rip log and
        // its checksums on as users run it.
        bench.compare("floor, " + length + ": read+write, no Qt", bench.floor(*pcm), "cp",
                      bench.copy(*pcm), 1.3);
        bench.compare("store, " + length + " PCM", bench.extract(*pcm, "store", "groups", 1), "floor",
                      bench.floor(*pcm), 1.0);
        for (const char *layout : {"groups", "merged", "split"})
            bench.compare("pcm convert, " + length + ", " + layout, bench.extract(*pcm, "convert", layout, 1),
                          "floor", bench.floor(*pcm), seconds > 60 ? 1.2 : 1.5);
    }

    const mlpencoder::MlpFormat surround{12, 96000, 24};
    const auto mlp = zoneOf({mlpOf(60, surround)}, true);
    if (!mlp)
        return 1;
    bench.compare("mlp convert, 60 s 5.1 96k", bench.extract(*mlp, "convert", "groups", 1),
                  "ffmpeg -threads 1", bench.ffmpeg(*mlp), 1.0);
    bench.compare("mlp verify, 60 s 5.1 96k", bench.extract(*mlp, "verify", "groups", 1),
                  "mlp convert", bench.extract(*mlp, "convert", "groups", 1), 1.0);

    const QByteArray twenty = mlpOf(20, surround);
    const auto four = zoneOf({twenty, twenty, twenty, twenty}, true);
    if (!four)
        return 1;
    bench.compare("4 mlp tracks, --threads 2", bench.extract(*four, "convert", "groups", 2),
                  "--threads 1", bench.extract(*four, "convert", "groups", 1), 0.55);

    const auto longTrack = zoneOf({mlpOf(longSeconds, mlpencoder::MlpFormat{1, 48000, 16})},
                                  true);
    if (!longTrack)
        return 1;
    const RunReport run = medianOf(bench.extract(*longTrack, "convert", "groups", 1));
    std::printf("  mlp convert, %d s stereo 48k: %.2f s, peak %.1f MB (target < 64 MB)%s\n",
                longSeconds, run.seconds, run.peakKilobytes / 1024.0, run.ok ? "" : " FAILED");
    return bench.ok && start.ok && run.ok ? 0 : 1;
}
