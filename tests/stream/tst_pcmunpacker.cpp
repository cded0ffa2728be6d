// The PCM unpacker on runs of units of every resolution and channel count, into the
// shapes the wave layouts give it: frames side by side, one run per channel, channels in
// order in wider frames (the other group beside them), and channels scattered in wider
// frames; with the units back to back, or spread out with
// other bytes between them and their frames between other frames (as when the groups'
// units alternate). Buffers are exactly as long as the run, so a read or write past its
// end shows under the address sanitizer.
#include <QtTest>
#include <algorithm>
#include <vector>

#include "stream/pcmunpacker.h"
#include "testzone/pcmpacking.h"

using namespace testzone;

enum Shape { SideBySide, OwnRuns, Wider, Scattered };
Q_DECLARE_METATYPE(Shape)

class TestPcmUnpacker : public QObject {
    Q_OBJECT

private slots:
    void runs_data()
    {
        QTest::addColumn<int>("bits");
        QTest::addColumn<int>("channels");
        QTest::addColumn<Shape>("shape");
        QTest::addColumn<int>("spread"); // 0 back to back, 1 units apart, 2 frames too
        const char *names[] = {"side by side", "own runs", "wider frames", "scattered"};
        const char *spreads[] = {"", ", units apart", ", units and frames apart"};
        for (int bits : {16, 20, 24})
            for (int channels = 1; channels <= 6; ++channels)
                for (Shape shape : {SideBySide, OwnRuns, Wider, Scattered})
                    for (int spread : {0, 1, 2})
                        QTest::addRow("%d bits, %d ch, %s%s", bits, channels, names[shape],
                                      spreads[spread])
                            << bits << channels << shape << spread;
    }

    void runs()
    {
        QFETCH(int, bits);
        QFETCH(int, channels);
        QFETCH(Shape, shape);
        QFETCH(int, spread);
        const PcmGroup group{channels, bits, 48000};
        const int size = bits == 16 ? 2 : 3;
        const PcmUnpacker unpack = pcmUnpacker(channels, bits);
        QVERIFY(unpack);
        // Runs shorter and longer than what a byte shuffle reads or writes at once.
        for (int units : {1, 2, 3, 4, 7, 40}) {
            const PcmSamples samples = makePcmSamples(group, 2 * units, quint32(units));
            const QByteArray packed = packPcm(group, samples);
            const int unit = bits * channels / 4;
            QCOMPARE(int(packed.size()), units * unit);
            // Apart: 5 other bytes after each unit but the last; each unit's frames
            // followed by two frames of another unit.
            const int unitStep = spread > 0 ? unit + 5 : unit;
            std::vector<quint8> in(size_t((units - 1) * unitStep + unit), 0x5A);
            for (int u = 0; u < units; ++u)
                std::copy(packed.begin() + u * unit, packed.begin() + (u + 1) * unit,
                          in.begin() + u * unitStep);

            // Wider, scattered: channels in order, in reverse order, in frames one sample
            // wider; the spare bytes stay as they were.
            const int stride = shape == OwnRuns ? size : (channels + (shape >= Wider)) * size;
            const int outStep = (spread == 2 ? 4 : 2) * stride;
            const int frames = spread == 2 ? 4 * units - 2 : 2 * units;
            std::vector<std::vector<quint8>> files(shape == OwnRuns ? channels : 1);
            for (auto &file : files)
                file.assign(size_t(frames * stride), 0xEE);
            quint8 *out[6] = {};
            for (int k = 0; k < channels; ++k)
                out[k] = shape == OwnRuns  ? files[k].data()
                       : shape == Scattered ? files[0].data() + (channels - 1 - k) * size
                                            : files[0].data() + k * size;
            quint8 *const begin[6] = {out[0], out[1], out[2], out[3], out[4], out[5]};
            unpack(PcmRun{in.data(), units, unitStep, stride, outStep}, out);

            // Each channel's samples where they belong; every other byte (the other
            // units' frames, the spare bytes of the scattered frames) as it was.
            std::vector<std::vector<quint8>> expectedFiles(
                files.size(), std::vector<quint8>(files[0].size(), 0xEE));
            for (int k = 0; k < channels; ++k) {
                QCOMPARE(out[k], begin[k] + units * outStep);
                const QByteArray wave = waveSamples(PcmGroup{1, bits, 48000},
                                                    channelOf(group, samples, k));
                const size_t file = shape == OwnRuns ? size_t(k) : 0;
                const qint64 first = begin[k] - files[file].data();
                for (int f = 0; f < 2 * units; ++f)
                    std::copy(wave.begin() + f * size, wave.begin() + (f + 1) * size,
                              expectedFiles[file].begin() + first + f / 2 * outStep
                                  + f % 2 * stride);
            }
            QVERIFY(files == expectedFiles);
        }
    }

    void unknownGroups()
    {
        QVERIFY(!pcmUnpacker(0, 16));
        QVERIFY(!pcmUnpacker(7, 24));
        QVERIFY(!pcmUnpacker(2, 18));
    }
};

QTEST_GUILESS_MAIN(TestPcmUnpacker)
#include "tst_pcmunpacker.moc"
