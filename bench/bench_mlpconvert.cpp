// Speed and memory of MLP conversion: a 5.1 24-bit 96000 Hz MLP track (60 s by default)
// in a zone written here, converted through the dump driver in a child process, and in
// the same run `ffmpeg -threads 1 -i <the AOB> -c:a pcm_s24le out.wav` on the same bytes.
// Prints both times, their ratio and the conversion's peak memory (its process's), then
// the time of a verification of the same track, which must not be slower than Convert.
//   bench_mlpconvert [seconds]
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>

#include "dump/dumpobject.h"
#include "extract/extractprogress.h"
#include "testzone/dumpzone.h"
#include "testzone/mlpencoder.h"
#include "testzone/packs.h"
#include "zone/dvdazone.h"

namespace {

// This process's peak resident memory (VmHWM). Not getrusage: its ru_maxrss keeps the
// parent's size from before exec, and the parent holds the whole stream.
qint64 peakKilobytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

// The child: converts (or verifies) track 1 of the zone into the folder, prints its
// result, time and peak memory.
int convertTrack(const QString &zonePath, const QString &outDir, int mode)
{
    DVDAZone zone{QDir(zonePath)};
    if (zone.titlesets.empty() || zone.titlesets[0]->titles.empty()
        || zone.titlesets[0]->titles[0]->tracks.empty()) {
        std::fprintf(stderr, "no track in %s\n", qPrintable(zonePath));
        return 1;
    }
    ExtractOptions options;
    options.mode = mode;
    ExtractProgress progress;
    QElapsedTimer timer;
    timer.start();
    const int result = dumpObject(&zone, zone.titlesets[0]->titles[0]->tracks[0],
                                  QDir(outDir).filePath("track"), options, nullptr, progress);
    const double seconds = timer.nsecsElapsed() / 1e9;
    std::printf("%d %.3f %lld\n", result, seconds, peakKilobytes());
    return result == 0 ? 0 : 1;
}

// Wall time of a program run to its end, or a negative time when it failed.
double timeRun(const QString &program, const QStringList &arguments, QByteArray *output)
{
    QProcess process;
    QElapsedTimer timer;
    timer.start();
    process.start(program, arguments);
    if (!process.waitForFinished(-1) || process.exitCode() != 0) {
        std::fprintf(stderr, "%s failed: %s\n", qPrintable(program),
                     process.readAllStandardError().constData());
        return -1;
    }
    const double seconds = timer.nsecsElapsed() / 1e9;
    *output = process.readAllStandardOutput();
    return seconds;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && (args[1] == "--convert" || args[1] == "--verify"))
        return convertTrack(args[2], args[3], args[1] == "--convert" ? ModeConvert : ModeVerify);
    const int seconds = args.size() > 1 ? qMax(1, args[1].toInt()) : 60;

    // Ten seconds encoded once and repeated: each repeat begins with a major sync, so
    // the joined stream is one valid stream.
    const mlpencoder::MlpFormat format{12, 96000, 24};
    const int chunk = qMin(seconds, 10);
    const QByteArray piece =
        mlpencoder::encodeMlp(mlpencoder::testSignal(6, chunk * 96000, 24, 4), format);
    if (piece.isEmpty()) {
        std::fprintf(stderr, "the MLP encoder failed\n");
        return 1;
    }
    QByteArray stream;
    for (int done = 0; done < seconds; done += chunk)
        stream += piece;
    const packs::PackedStream packed = packs::packStream(stream, packs::mlpLayout());
    testzone::ZoneFolder folder(dumpzone::consecutiveTracks(packed.packs, {0}));
    QTemporaryDir out;
    if (!folder.ok() || !out.isValid())
        return 1;

    QByteArray report, ignored;
    const double ours = timeRun(app.applicationFilePath(), {"--convert", folder.path(), out.path()},
                                &report);
    const double theirs = timeRun("ffmpeg", {"-nostdin", "-v", "error", "-y", "-threads", "1", "-i",
                                             folder.filePath(testzone::aobName(1, 1)), "-c:a",
                                             "pcm_s24le", out.filePath("ffmpeg.wav")},
                                  &ignored);
    QByteArray verifyReport;
    const double verifying = timeRun(app.applicationFilePath(),
                                     {"--verify", folder.path(), out.path()}, &verifyReport);
    if (ours < 0 || theirs < 0 || verifying < 0)
        return 1;
    const QList<QByteArray> figures = report.trimmed().split(' ');
    std::printf("mlp convert, %d s 5.1 24 bit 96000 Hz (%lld MB of MLP in %d packs):\n", seconds,
                qint64(stream.size()) / 1000000, packed.count);
    std::printf("  kestrova: %.2f s (process), %.2f s (extraction), peak memory %.1f MB\n", ours,
                figures.value(1).toDouble(), figures.value(2).toDouble() / 1024.0);
    std::printf("  ffmpeg -threads 1: %.2f s (process)\n", theirs);
    std::printf("  ratio kestrova / ffmpeg: %.2f (target <= 1.0), peak memory target < 64 MB\n",
                ours / theirs);
    const QList<QByteArray> verified = verifyReport.trimmed().split(' ');
    std::printf("  kestrova verify: %.2f s (process), %.2f s (extraction), peak memory %.1f MB\n",
                verifying, verified.value(1).toDouble(), verified.value(2).toDouble() / 1024.0);
    std::printf("  ratio verify / convert (extraction): %.2f (target <= 1.0)\n",
                verified.value(1).toDouble() / figures.value(1).toDouble());
    return 0;
}
