// FLAC output against what users do today and what a power user would type instead,
// each case run a few times in turns with its reference and the medians printed:
//   extract --flac of a PCM 24/96 stereo and an MLP 5.1 24/96 track, 60 s and the long
//     tracks' length, against extract --convert to WAV followed by flac -5 on the WAV,
//   for PCM, against flac -5 alone encoding the WAV of the same track,
//   --flac --replaygain against --flac alone (the loudness measured on the way),
//   a title of 4 MLP tracks with --threads 2 against --threads 1 (and its peak memory),
//   and against ffmpeg -i ATS_01_1.AOB -c:a flac on that title.
//   bench_flac [seconds of the long tracks, default 600]
#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>

#include "benchtools.h"
#include "benchzones.h"

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
        // The loudness is measured as the files are written: at most a tenth more.
        for (const auto &[name, zone] : {std::pair<QByteArray, const testzone::ZoneFolder *>{"pcm 24/96 stereo", pcm.get()},
                                         std::pair<QByteArray, const testzone::ZoneFolder *>{"mlp 5.1 24/96", mlp.get()}})
            bench.compare(name + ", " + length + ", --flac --replaygain", bench.extract(*zone, {"--flac", "--replaygain"}),
                          "--flac", bench.extract(*zone, {"--flac"}), 1.10);
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
