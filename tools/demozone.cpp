// kestrova-demozone DIR: writes a small DVD-Audio zone into DIR, so the program can be
// shown working on a machine without a disc (and without a display).
//   Title 1: two stereo PCM tracks, 16 bit 48000 Hz, 3 s each.
//   Title 2: one 5.1 MLP track, 16 bit 48000 Hz, 2 s, encoded by libavcodec.
// kestrova-demozone DIR TRACKS SECONDS: one title of TRACKS stereo PCM tracks of SECONDS
// each instead, long enough to watch an extraction run; track k holds the samples of
// makePcmSamples with seed k.
#include <QCoreApplication>
#include <QDir>
#include <cstdio>

#include "testzone/mlpencoder.h"
#include "testzone/pcmpacking.h"
#include "testzone/testzone.h"

namespace {

enum : quint32 { SECOND = 90000 };

QByteArray pcmTrack(int seconds, quint32 seed)
{
    const testzone::PcmGroup stereo{2, 16, 48000};
    const testzone::PcmSamples samples = testzone::makePcmSamples(stereo, 48000 * seconds, seed);
    const QByteArray audio = testzone::packPcm(stereo, samples);
    return packs::packStream(audio, packs::pcmLayout(testzone::pcmFormat(stereo, {}, 1))).packs;
}

QByteArray mlpTrack(int seconds, QString *error)
{
    mlpencoder::MlpFormat format;
    format.channelAssignment = 12; // Lf Rf | C LFE Ls Rs
    const QVector<qint32> signal = mlpencoder::testSignal(6, 48000 * seconds, 16);
    const QByteArray stream = mlpencoder::encodeMlp(mlpencoder::toInt16(signal), format, error);
    return stream.isEmpty() ? QByteArray() : packs::packStream(stream, packs::mlpLayout()).packs;
}

quint32 blocksOf(const QByteArray &packs)
{
    return quint32(packs.size() / testzone::BLOCK_BYTES);
}

testzone::Titleset pcmTitleset(int tracks, int seconds)
{
    testzone::Titleset titleset;
    std::vector<testzone::TrackSpan> spans;
    QByteArray aob;
    for (int k = 1; k <= tracks; ++k) {
        const QByteArray packs = pcmTrack(seconds, quint32(k));
        const quint32 first = blocksOf(aob);
        aob += packs;
        spans.push_back({quint32(seconds) * SECOND, {{first, blocksOf(aob) - 1}}});
    }
    titleset.info.titles.push_back(testzone::makeTitle(spans));
    titleset.aobFiles.push_back(testzone::AobFile::ofBytes(aob));
    return titleset;
}

bool writeDemo(const char *path, const testzone::Zone &zone)
{
    const QString dir = QString::fromLocal8Bit(path);
    if (!QDir().mkpath(dir) || !testzone::writeZone(dir, zone)) {
        std::fprintf(stderr, "kestrova-demozone: cannot write the zone into %s\n", path);
        return false;
    }
    std::printf("Demonstration zone written to %s\n", path);
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2 && argc != 4) {
        std::fprintf(stderr, "usage: kestrova-demozone DIR [TRACKS SECONDS]\n");
        return 2;
    }
    if (argc == 4) {
        const int tracks = QByteArray(argv[2]).toInt(), seconds = QByteArray(argv[3]).toInt();
        if (tracks < 1 || tracks > 99 || seconds < 1 || seconds > 600) {
            std::fprintf(stderr, "kestrova-demozone: TRACKS 1 to 99, SECONDS 1 to 600\n");
            return 2;
        }
        testzone::Zone zone;
        zone.titlesets.push_back(pcmTitleset(tracks, seconds));
        return writeDemo(argv[1], zone) ? 0 : 1;
    }
    QString error;
    const QByteArray pcm1 = pcmTrack(3, 1), pcm2 = pcmTrack(3, 2), mlp = mlpTrack(2, &error);
    if (mlp.isEmpty()) {
        std::fprintf(stderr, "kestrova-demozone: MLP encoder failed: %s\n", qPrintable(error));
        return 1;
    }
    const quint32 a = blocksOf(pcm1), b = blocksOf(pcm2), c = blocksOf(mlp);

    testzone::Titleset titleset;
    titleset.info.titles.push_back(testzone::makeTitle({{3 * SECOND, {{0, a - 1}}},
                                                        {3 * SECOND, {{a, a + b - 1}}}}));
    titleset.info.titles.push_back(testzone::makeTitle({{2 * SECOND, {{a + b, a + b + c - 1}}}}));
    titleset.aobFiles.push_back(testzone::AobFile::ofBytes(pcm1 + pcm2 + mlp));
    testzone::Zone zone;
    zone.titlesets.push_back(titleset);

    return writeDemo(argv[1], zone) ? 0 : 1;
}
