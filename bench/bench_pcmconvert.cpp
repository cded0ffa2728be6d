// Speed of PCM conversion, fed to the PCM dumper in 2000-byte calls as packs bring it and
// written as wave files in each layout: packed 6-channel 24-bit 96000 Hz PCM (assignment
// 17, Lf Rf C | LFE Ls Rs, both groups at the same rate) and stereo 24-bit 96000 Hz PCM.
//   bench_pcmconvert [megabytes]
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>

#include "stream/streamdumper.h"
#include "extraction/objectoutput.h"
#include "testzone/pcmpacking.h"

using namespace testzone;

namespace {

// One second of the groups' samples, packed, and the stream's description.
struct Stream {
    const char *name;
    QByteArray second;
    StreamInfo info;
};

Stream streamOf(const char *name, int assignment, const PcmGroup &group1,
                const PcmGroup &group2 = PcmGroup{})
{
    const int frames = group1.rate; // one second of samples, repeated
    return Stream{name,
                  packPcm(group1, makePcmSamples(group1, frames, 1), group2,
                          group2.channels > 0 ? makePcmSamples(group2, frames, 2) : PcmSamples{}),
                  pcmInfo(assignment, group1, group2)};
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int megabytes = argc > 1 ? qMax(1, atoi(argv[1])) : 100;
    const Stream streams[] = {
        streamOf("6 ch 24 bit 96000 Hz", 17, PcmGroup{3, 24, 96000}, PcmGroup{3, 24, 96000}),
        streamOf("2 ch 24 bit 96000 Hz", 1, PcmGroup{2, 24, 96000}),
    };

    const qint64 total = qint64(megabytes) * 1000 * 1000;
    const char *names[] = {"groups", "merged", "split"};
    for (const Stream &stream : streams)
    for (int layout = 0; layout < 3; ++layout) {
        // A folder of its own, removed after the case: files replaced or left behind would
        // add the freeing or the write-back of their blocks to the next cases.
        QTemporaryDir dir;
        ExtractOptions options;
        options.mode = ModeConvert;
        options.merge = layout == 1;
        options.split = layout == 2;
        QElapsedTimer timer;
        timer.start();
        {
            ObjectOutput output(stream.info, dir.filePath(QString::fromLatin1(names[layout])),
                                options);
            if (output.result().failed()) {
                std::fprintf(stderr, "cannot make the output\n");
                return 1;
            }
            DVDAStreamDumper &dumper = *output.dumper();
            qint64 fed = 0;
            const QByteArray &second = stream.second;
            const auto *bytes = reinterpret_cast<const quint8 *>(second.constData());
            // 2000 divides neither the second nor a unit: calls end inside units.
            for (int at = 0; fed < total; at = (at + 2000) % (second.size() - 2000), fed += 2000) {
                if (dumper.write(bytes + at, 2000).failed()) {
                    std::fprintf(stderr, "write failed\n");
                    return 1;
                }
            }
            std::vector<WrittenFile> files;
            if (output.finish(&files).failed()) {
                std::fprintf(stderr, "finish failed\n");
                return 1;
            }
        }
        const double seconds = timer.nsecsElapsed() / 1e9;
        const StreamInfo &info = stream.info;
        const double bytesPerSecond =
            (info.group1Channels + info.group2Channels) * 3 * 96000 / 1e6;
        std::printf("pcm convert, %s, %-6s: %d MB in %.2f s, %.0f MB/s (%.0fx real time)\n",
                    stream.name, names[layout], megabytes, seconds, megabytes / seconds,
                    megabytes / seconds / bytesPerSecond);
    }
    return 0;
}
