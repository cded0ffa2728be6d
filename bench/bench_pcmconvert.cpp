// Speed of PCM conversion: packed 6-channel 24-bit 96000 Hz PCM (assignment 17,
// Lf Rf C | LFE Ls Rs, both groups at the same rate) fed to the PCM dumper in
// 2000-byte calls, as packs bring it, and written as wave files in each layout.
//   bench_pcmconvert [megabytes]
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>

#include "dump/pcmstreamdumper.h"
#include "testzone/pcmpacking.h"

using namespace testzone;

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int megabytes = argc > 1 ? qMax(1, atoi(argv[1])) : 100;

    const PcmGroup group1{3, 24, 96000}, group2{3, 24, 96000};
    const int frames = 96000; // one second of samples, repeated
    const QByteArray second = packPcm(group1, makePcmSamples(group1, frames, 1), group2,
                                      makePcmSamples(group2, frames, 2));

    StreamInfo info;
    info.subStreamId = SUBSTREAM_PCM;
    info.channelAssignment = 17;
    info.group1Channels = 3;
    info.group1Bits = 24;
    info.group1SampleRate = 96000;
    info.group2Channels = 3;
    info.group2Bits = 24;
    info.group2SampleRate = 96000;
    info.substreams = 1;

    QTemporaryDir dir;
    const qint64 total = qint64(megabytes) * 1000 * 1000;
    const char *names[] = {"groups", "merged", "split"};
    for (int layout = 0; layout < 3; ++layout) {
        ExtractOptions options;
        options.mode = ModeConvert;
        options.merge = layout == 1;
        options.split = layout == 2;
        QElapsedTimer timer;
        timer.start();
        {
            DVDAPCMStreamDumper dumper(info, dir.filePath(QString::fromLatin1(names[layout])),
                                       options, nullptr);
            qint64 fed = 0;
            const auto *bytes = reinterpret_cast<const quint8 *>(second.constData());
            // 2000 divides neither the second nor a unit: calls end inside units.
            for (int at = 0; fed < total; at = (at + 2000) % (second.size() - 2000), fed += 2000) {
                if (dumper.write(bytes + at, 2000) != ExtractSucceeded) {
                    std::fprintf(stderr, "write failed\n");
                    return 1;
                }
            }
            if (dumper.finish() != ExtractSucceeded) {
                std::fprintf(stderr, "finish failed\n");
                return 1;
            }
        }
        const double seconds = timer.nsecsElapsed() / 1e9;
        std::printf("pcm convert, 6 ch 24 bit 96000 Hz, %-6s: %d MB in %.2f s, %.0f MB/s "
                    "(%.0fx real time)\n",
                    names[layout], megabytes, seconds, megabytes / seconds,
                    megabytes / seconds / (6 * 3 * 96000 / 1e6));
    }
    return 0;
}
