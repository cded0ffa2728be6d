// Whole titles against the tracks they are made of, and one real wave file past 4 GiB:
//   a title of 4 PCM 24/96 stereo tracks and one of 4 MLP 5.1 24/96 tracks, extracted
//   with --per-title against track by track, to WAV and to FLAC (target: ratio <= 1.05);
//   a title of two 6-channel 24/96 PCM tracks as one WAV past 4 GiB: RF64, its length as
//   ffprobe reads it back.
//   bench_title [seconds of each short track, default 30] [seconds of the long title,
//               default 2500; 0 leaves it out]
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>

#include "benchtools.h"
#include "benchzones.h"
#include "testzone/packs.h"
#include "testzone/pcmpacking.h"

using namespace benchtools;
using namespace benchzones;

namespace {

enum { STRETCH_SECONDS = 10, AOB_FILE_BLOCKS = 524272 };

// One title of two tracks of 6-channel 24-bit PCM at 96 kHz, `seconds` long in all: the
// AOB files are written a ten-second stretch of packs at a time, each file as many whole
// stretches as it holds.
std::unique_ptr<testzone::ZoneFolder> longZone(int seconds)
{
    const testzone::PcmGroup group{3, 24, 96000};
    const QVector<qint32> signal = signalOf(STRETCH_SECONDS, 3, 96000, 24);
    const testzone::PcmSamples samples(signal.begin(), signal.end());
    const packs::PackedStream stretch = packs::packStream(
        testzone::packPcm(group, samples, group, samples),
        packs::pcmLayout(testzone::pcmFormat(group, group, 17)));
    const int stretches = seconds / STRETCH_SECONDS;
    const int perFile = AOB_FILE_BLOCKS / stretch.count;
    const int files = (stretches + perFile - 1) / perFile;
    if (stretches < 2 || files > 9)
        return nullptr;
    const quint32 blocks = quint32(stretch.count) * quint32(stretches);
    const quint32 half = quint32(stretch.count) * quint32(stretches / 2);
    const quint32 halfPts = quint32(stretches / 2) * STRETCH_SECONDS * 90000;
    const quint32 restPts = quint32(stretches - stretches / 2) * STRETCH_SECONDS * 90000;
    testzone::Zone zone;
    testzone::Titleset &titleset = zone.titlesets.emplace_back();
    titleset.info.titles.push_back(testzone::makeTitle({{halfPts, {{0, half - 1}}}, {restPts, {{half, blocks - 1}}}}));
    titleset.info.lastAobBlock = blocks - 1;
    for (int f = 0; f < files; ++f)
        titleset.aobFiles.push_back(testzone::AobFile::ofBytes(stretch.packs));
    auto folder = std::make_unique<testzone::ZoneFolder>(zone);
    if (!folder->ok())
        return nullptr;
    for (int f = 0; f < files; ++f) {
        QFile aob(folder->filePath(testzone::aobName(1, f + 1)));
        if (!aob.open(QIODevice::Append))
            return nullptr;
        const int inFile = qMin(perFile, stretches - f * perFile);
        for (int k = 1; k < inFile; ++k)
            if (aob.write(stretch.packs) != stretch.packs.size())
                return nullptr;
    }
    return folder;
}

QString ffprobe(const QString &path, const QString &entries)
{
    QProcess p;
    p.start("ffprobe", {"-v", "error", "-show_entries", entries, "-of", "default=nw=1:nk=1", path});
    return p.waitForFinished(120000) && p.exitCode() == 0 ? QString::fromLatin1(p.readAllStandardOutput()).trimmed()
                                                          : QStringLiteral("(ffprobe failed)");
}

// The long title extracted as one merged WAV: its size, its header and its length read back.
bool pastFourGiB(const QString &cli, int seconds)
{
    const auto zone = longZone(seconds);
    if (!zone) {
        std::printf("  long title: the zone could not be written\n");
        return false;
    }
    QTemporaryDir out;
    const RunReport run = extractInto(cli, zone->path(), out.filePath("x"),
                                      {"--convert", "--merge", "--per-title", "1/1"})();
    const QString wav = out.filePath("x/title-01-01[0]-[Lf-Rf-C-LFE-Ls-Rs]-24-96000.wav");
    QFile file(wav);
    const bool opened = file.open(QIODevice::ReadOnly);
    const QByteArray head = opened ? file.read(4) : QByteArray();
    const QString duration = ffprobe(wav, "stream=duration");
    const bool ok = run.ok && head == "RF64" && qAbs(duration.toDouble() - seconds) < 0.001;
    std::printf("  long title, %d s of 6-channel 24/96 PCM, --per-title --merge: %.1f s, a %.2f GB %s "
                "file; ffprobe reads %s s%s\n",
                seconds, run.seconds, file.size() / 1e9, head.constData(), qPrintable(duration),
                ok ? "" : " FAILED");
    return ok;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int trackSeconds = argc > 1 ? qMax(10, atoi(argv[1])) : 30;
    const int longSeconds = argc > 2 ? atoi(argv[2]) : 2500;
    const QString cli = QDir::cleanPath(app.applicationDirPath() + QLatin1String("/../kestrova-cli"));
    std::printf("Whole titles by %s, median of %d to %d runs in turns with the tracks one by one:\n",
                qPrintable(cli), int(RUNS), int(MAX_RUNS));
    QTemporaryDir out;
    bool ok = true;
    const QByteArray pcm = pcmOf(trackSeconds), mlp = mlpOf(trackSeconds);
    const QByteArray length = QByteArray::number(trackSeconds) + " s";
    for (const bool isMlp : {false, true}) {
        const QByteArray &track = isMlp ? mlp : pcm;
        const auto zone = zoneOf({track, track, track, track}, isMlp, trackSeconds);
        if (!zone)
            return 1;
        for (const QStringList &format : {QStringList{"--convert"}, QStringList{"--flac"}}) {
            const QByteArray name = QByteArray(isMlp ? "mlp 5.1 24/96" : "pcm 24/96 stereo") + ", 4 tracks of "
                                    + length + ", " + format.first().toLatin1() + " --per-title";
            const RunPair runs = mediansInTurn(
                extractInto(cli, zone->path(), out.filePath("t"), format + QStringList{"--per-title", "1/1"}),
                extractInto(cli, zone->path(), out.filePath("p"), format + QStringList{"1/1"}));
            ok = printCase(name.constData(), runs.ours, "track by track", runs.theirs, 1.05) && ok;
        }
    }
    if (longSeconds > 0)
        ok = pastFourGiB(cli, longSeconds) && ok;
    return ok ? 0 : 1;
}
