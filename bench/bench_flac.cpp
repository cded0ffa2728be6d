// FLAC output against what users do today and what a power user would type instead,
// each case run a few times in turns with its reference and the medians printed:
//   extract --flac of a PCM 24/96 stereo and an MLP 5.1 24/96 track, 60 s and the long
//     tracks' length, against extract --convert to WAV followed by flac -5 on the WAV,
//   for PCM, against flac -5 alone encoding the WAV of the same track,
//   a title of 4 MLP tracks with --threads 2 against --threads 1 (and its peak memory),
//   and against ffmpeg -i ATS_01_1.AOB -c:a flac on that title.
//   bench_flac [seconds of the long tracks, default 600]
#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>

#include "benchtools.h"
#include "testzone/dumpzone.h"
#include "testzone/mlpencoder.h"
#include "testzone/packs.h"
#include "testzone/pcmpacking.h"

using namespace benchtools;

namespace {

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

// Ten seconds of a signal repeated: a tone per channel with a little noise, as music
// compresses rather than as random bytes do.
QVector<qint32> signalOf(int seconds, int channels, int rate, int bits)
{
    const int piece = qMin(seconds, 10);
    const QVector<qint32> ten = mlpencoder::testSignal(channels, piece * rate, bits, 4);
    QVector<qint32> all;
    all.reserve(qsizetype(seconds) * rate * channels);
    for (int done = 0; done < seconds; done += piece)
        all += ten;
    return all;
}

QByteArray pcmOf(int seconds)
{
    const QVector<qint32> signal = signalOf(seconds, 2, 96000, 24);
    const testzone::PcmGroup group{2, 24, 96000};
    return testzone::packPcm(group, testzone::PcmSamples(signal.begin(), signal.end()));
}

// As bench_extraction makes it: each ten-second repeat begins with a major sync and ends
// in a silent second, so that the joined stream decodes cleanly.
QByteArray mlpOf(int seconds)
{
    const mlpencoder::MlpFormat format{12, 96000, 24};
    const int piece = qMin(seconds, 10);
    QVector<qint32> signal = mlpencoder::testSignal(6, piece * 96000, 24, 4);
    std::fill(signal.end() - 6 * 96000, signal.end(), 0);
    const QByteArray ten = mlpencoder::encodeMlp(signal, format);
    QByteArray stream;
    for (int done = 0; done < seconds && !ten.isEmpty(); done += piece)
        stream += ten;
    return stream;
}

struct Bench {
    QString cli;
    QTemporaryDir out;
    bool ok = true;

    // extract the zone's first title into a folder emptied before each run.
    std::function<RunReport()> extract(const testzone::ZoneFolder &zone, const QStringList &flags)
    {
        const QString folder = out.filePath("x");
        const QStringList args = QStringList{"extract", zone.path(), "-o", folder} + flags
                                 + QStringList{"1/1"};
        return [this, args, folder] {
            QDir(folder).removeRecursively();
            QDir(out.path()).mkdir("x");
            return runProgram(cli, args);
        };
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
                      "--convert, then flac -5", bench.convertThenFlac(*pcm), 0.7);
        bench.compare("pcm 24/96 stereo, " + length + ", --flac", bench.extract(*pcm, {"--flac"}),
                      "flac -5 on its WAV", bench.flacAlone(*pcm), 1.1);
        bench.compare("mlp 5.1 24/96, " + length + ", --flac", bench.extract(*mlp, {"--flac"}),
                      "--convert, then flac -5", bench.convertThenFlac(*mlp), 0.7);
    }

    const QByteArray twenty = mlpOf(20);
    const auto four = zoneOf({twenty, twenty, twenty, twenty}, true);
    if (!four)
        return 1;
    bench.compare("4 mlp tracks --flac, --threads 2", bench.extract(*four, {"--flac", "--threads", "2"}),
                  "--threads 1", bench.extract(*four, {"--flac", "--threads", "1"}), 0.6);
    const RunReport peak = medianOf(bench.extract(*four, {"--flac", "--threads", "2"}));
    std::printf("  4 mlp tracks --flac --threads 2: peak %.1f MB (target < 64 MB)%s\n",
                peak.peakKilobytes / 1024.0, peak.ok && peak.peakKilobytes < 64 * 1024 ? "" : " MISSED");
    bench.compare("4 mlp tracks --flac --threads 2", bench.extract(*four, {"--flac", "--threads", "2"}),
                  "ffmpeg -c:a flac", bench.ffmpegFlac(*four), 0.5);
    return bench.ok ? 0 : 1;
}
