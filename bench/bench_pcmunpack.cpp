// Speed of the PCM unpacker alone, in memory: one packet's worth of packed units (about
// 2000 bytes, in a cache) unpacked again and again into each shape the wave layouts give
// it, for the resolutions and channel counts discs mostly carry. Bytes are packed bytes.
//   bench_pcmunpack
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "stream/pcmunpacker.h"

namespace {

enum Shape { Frames, Split, Wider };
const char *const shapeNames[] = {"frames", "split", "frames beside another group"};

// The best of a few rounds of unpacking the packet into consecutive places of an output
// of about 2 MB, in packed megabytes a second.
double speedOf(int bits, int channels, Shape shape)
{
    const int packed = bits * channels / 4, size = bits == 16 ? 2 : 3;
    const int units = 2000 / packed, packets = 1000;
    // Wider: frames twice as wide, the other half for the other group's samples.
    const int stride = shape == Split ? size : (shape == Wider ? 2 : 1) * channels * size;
    const qint64 perChannel = qint64(units) * 2 * stride; // output bytes of one packet
    std::vector<quint8> in(size_t(units * packed), 0x5A);
    std::vector<quint8> out(size_t(perChannel * packets * (shape == Split ? channels : 1)));
    const PcmUnpacker unpack = pcmUnpacker(channels, bits);
    double best = 1e9;
    for (int round = 0; round < 15; ++round) {
        QElapsedTimer timer;
        timer.start();
        for (int p = 0; p < packets; ++p) {
            quint8 *to[6];
            for (int k = 0; k < channels; ++k)
                to[k] = shape == Split ? out.data() + (qint64(k) * packets + p) * perChannel
                                       : out.data() + p * perChannel + k * size;
            unpack(PcmRun{in.data(), units, packed, stride, 2 * stride}, to);
        }
        best = std::min(best, timer.nsecsElapsed() / 1e9);
    }
    return double(units) * packed * packets / best / 1e6;
}

} // namespace

int main()
{
    const struct {
        int bits, channels;
    } formats[] = {{16, 2}, {24, 2}, {24, 3}, {24, 6}};
    for (const auto &format : formats)
        for (Shape shape : {Frames, Split, Wider}) {
            if (shape == Wider && format.channels == 6)
                continue; // a 6-channel group has no other group beside it
            std::printf("pcm unpack, %d bit %d ch, %-27s: %6.0f MB/s\n", format.bits,
                        format.channels, shapeNames[shape],
                        speedOf(format.bits, format.channels, shape));
        }
    return 0;
}
