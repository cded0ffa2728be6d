// kestrova-demozone DIR: writes a small DVD-Audio zone into DIR, so the program can be
// shown working on a machine without a disc (and without a display).
//   Title 1: two stereo PCM tracks, 16 bit 48000 Hz, 3 s each.
//   Title 2: one 5.1 MLP track, 16 bit 48000 Hz, 2 s, encoded by libavcodec.
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

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: kestrova-demozone DIR\n");
        return 2;
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

    const QString dir = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(dir) || !testzone::writeZone(dir, zone)) {
        std::fprintf(stderr, "kestrova-demozone: cannot write the zone into %s\n", argv[1]);
        return 1;
    }
    std::printf("Demonstration zone written to %s\n", argv[1]);
    return 0;
}
