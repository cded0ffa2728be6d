// FLAC output against what users do today and what a power user would type instead,
// each case run a few times in turns with its reference and the medians printed:
//   extract --flac of a PCM 24/96 stereo and an MLP 5.1 24/96 track, 60 s and the long
//     tracks' length, against extract --convert to WAV followed by flac -5 on the WAV,
//   for PCM, against flac -5 alone encoding the WAV of the same track,
//   --flac --replaygain against --flac alone (the loudness measured on the way), and the
//     least that can take on this machine's cores, from --flac's CPU time and the loudness's,
//   a title of 4 MLP tracks with --threads 2 against --threads 1 (and its peak memory),
//   and against ffmpeg -i ATS_01_1.AOB -c:a flac on that title.
//   bench_flac [seconds of the long tracks, default 600]
#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <cstdio>
#include <ctime>
#include <memory>
#include <thread>

#include "benchtools.h"
#include "benchzones.h"
#include "output/loudnessmeter.h"

using namespace benchtools;
using namespace benchzones;

namespace {

struct Bench {
    QString cli;
    QTemporaryDir out;
    bool ok = true;

    // extract the zone's first title into a folder emptied before each run.
    std::function<RunReport()> extract(const testzone::ZoneFolder &zone, const QStringList &flags)
    {
        return extractInto(cli, zone.path(), out.filePath("x"), flags + QStringList{"1/1"});
    }
    // What users do today: the WAV first, then flac -5 on it, one after the other.
    std::function<RunReport()> convertThenFlac(const testzone::ZoneFolder &zone)
    {
        const QString folder = out.filePath("w");
        const QString script = QStringLiteral("rm -rf '%1' && mkdir '%1' && '%2' extract '%3' -o '%1' "
                                              "--convert --merge 1/1 && flac -5 -s -f '%1'/*.wav")
                                   .arg(folder, cli, zone.path());
        return [script] { return runProgram("/bin/sh", {"-c", script}); };
    }
    // flac -5 alone on the WAV of the track, made once.
    std::function<RunReport()> flacAlone(const testzone::ZoneFolder &zone)
    {
        const QString folder = out.filePath("a");
        QDir(folder).removeRecursively();
        QDir(out.path()).mkdir("a");
        const RunReport made = runProgram(cli, {"extract", zone.path(), "-o", folder, "--convert", "1/1"});
        const QStringList wavs = QDir(folder).entryList({"*.wav"});
        if (!made.ok || wavs.size() != 1)
            return [] { return RunReport(); };
        const QString wav = QDir(folder).filePath(wavs.first());
        return [wav, folder] {
            QFile::remove(QDir(folder).filePath("alone.flac"));
            return runProgram("flac", {"-5", "-s", "-f", wav, "-o", QDir(folder).filePath("alone.flac")});
        };
    }
    std::function<RunReport()> ffmpegFlac(const testzone::ZoneFolder &zone)
    {
        const QString aob = zone.filePath(testzone::aobName(1, 1)), file = out.filePath("ffmpeg.flac");
        return [aob, file] {
            QFile::remove(file);
            return runProgram("ffmpeg", {"-nostdin", "-v", "error", "-i", aob, "-c:a", "flac", file});
        };
    }
    RunPair compare(const QByteArray &name, const std::function<RunReport()> &ours,
                    const char *reference, const std::function<RunReport()> &theirs, double target)
    {
        const RunPair runs = mediansInTurn(ours, theirs);
        ok = printCase(name.constData(), runs.ours, reference, runs.theirs, target) && ok;
        return runs;
    }
};

// The CPU time the loudness of a track takes by itself: the meter --replaygain feeds, on one
// thread, given the track's samples as the files take them (24 bits at 96 kHz).
double loudnessSeconds(int channels, int channelMask, int seconds)
{
    const int piece = qMin(seconds, 10);
    const QVector<qint32> signal = signalOf(piece, channels, 96000, 24);
    QByteArray bytes(signal.size() * 3, Qt::Uninitialized);
    for (qsizetype k = 0; k < signal.size(); ++k)
        for (int b = 0; b < 3; ++b)
            bytes[3 * k + b] = char(signal[k] >> (8 * b));
    LoudnessMeter meter(channels, 96000, 24, channelMask);
    timespec start{}, end{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &start);
    for (int done = 0; done < seconds; done += piece)
        meter.add(reinterpret_cast<const quint8 *>(bytes.constData()), bytes.size());
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &end);
    return double(end.tv_sec - start.tv_sec) + double(end.tv_nsec - start.tv_nsec) / 1e9;
}

// What --replaygain can take at the least on this machine's cores: --flac's CPU time and the
// loudness's own, spread perfectly over every core, against --flac's time.
void printLoudnessBound(const QByteArray &name, const RunReport &flac, double loudness)
{
    const int cores = qMax(1, int(std::thread::hardware_concurrency()));
    const double least = (flac.cpuSeconds + loudness) / cores;
    std::printf("  %-32s the least on %d cores %5.2f (--flac %.2f s of CPU in %.2f s, the loudness "
                "alone %.2f s of CPU)\n",
                name.constData(), cores, flac.seconds > 0 ? qMax(1.0, least / flac.seconds) : 0.0,
                flac.cpuSeconds, flac.seconds, loudness);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int longSeconds = argc > 1 ? qMax(10, atoi(argv[1])) : 600;
    Bench bench;
    bench.cli = QDir::cleanPath(app.applicationDirPath() + QLatin1String("/../kestrova-cli"));
    std::printf("FLAC output by %s, median of %d to %d runs in turns with the reference:\n",
                qPrintable(bench.cli), int(RUNS), int(MAX_RUNS));

    for (const int seconds : {60, longSeconds}) {
        const QByteArray length = QByteArray::number(seconds) + " s";
        const auto pcm = zoneOf({pcmOf(seconds)}, false);
        const auto mlp = zoneOf({mlpOf(seconds)}, true);
        if (!pcm || !mlp)
            return 1;
        bench.compare("pcm 24/96 stereo, " + length + ", --flac", bench.extract(*pcm, {"--flac"}),
                      "--convert, then flac -5", bench.convertThenFlac(*pcm), 0.43);
        bench.compare("pcm 24/96 stereo, " + length + ", --flac", bench.extract(*pcm, {"--flac"}),
                      "flac -5 on its WAV", bench.flacAlone(*pcm), 0.55);
        bench.compare("mlp 5.1 24/96, " + length + ", --flac", bench.extract(*mlp, {"--flac"}),
                      "--convert, then flac -5", bench.convertThenFlac(*mlp), 0.60);
        // The loudness is measured as the files are written: at most a tenth more. Where the
        // cores are busy encoding, the loudness's own CPU time bounds that from below.
        const struct {
            QByteArray name;
            const testzone::ZoneFolder *zone;
            int channels, mask;
        } measured[] = {{"pcm 24/96 stereo", pcm.get(), 2, 0x3}, {"mlp 5.1 24/96", mlp.get(), 6, 0x3F}};
        for (const auto &m : measured) {
            const QByteArray name = m.name + ", " + length + ", --flac --replaygain";
            const RunPair runs = bench.compare(name, bench.extract(*m.zone, {"--flac", "--replaygain"}), "--flac",
                                               bench.extract(*m.zone, {"--flac"}), 1.10);
            printLoudnessBound(name, runs.theirs, loudnessSeconds(m.channels, m.mask, seconds));
        }
    }

    const QByteArray twenty = mlpOf(20);
    const auto four = zoneOf({twenty, twenty, twenty, twenty}, true);
    if (!four)
        return 1;
    bench.compare("4 mlp tracks --flac, --threads 2", bench.extract(*four, {"--flac", "--threads", "2"}),
                  "--threads 1", bench.extract(*four, {"--flac", "--threads", "1"}), 0.55);
    const RunReport peak = medianOf(bench.extract(*four, {"--flac", "--threads", "2"}));
    std::printf("  4 mlp tracks --flac --threads 2: peak %.1f MB (target < 64 MB)%s\n",
                peak.peakKilobytes / 1024.0, peak.ok && peak.peakKilobytes < 64 * 1024 ? "" : " MISSED");
    bench.compare("4 mlp tracks --flac --threads 2", bench.extract(*four, {"--flac", "--threads", "2"}),
                  "ffmpeg -c:a flac", bench.ffmpegFlac(*four), 0.43);
    return bench.ok ? 0 : 1;
}
