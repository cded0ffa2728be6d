// The PCM unpacker on runs of units of every resolution and channel count, into the
// three shapes the wave layouts give it: frames side by side, one run per channel, and
// channels scattered in wider frames. Buffers are exactly as long as the run, so a read
// or write past its end shows under the address sanitizer.
#include <QtTest>
#include <vector>

#include "dump/pcmunpacker.h"
#include "testzone/pcmpacking.h"

using namespace testzone;

enum Shape { SideBySide, OwnRuns, Scattered };
Q_DECLARE_METATYPE(Shape)

class TestPcmUnpacker : public QObject {
    Q_OBJECT

private slots:
    void runs_data()
    {
        QTest::addColumn<int>("bits");
        QTest::addColumn<int>("channels");
        QTest::addColumn<Shape>("shape");
        const char *names[] = {"side by side", "own runs", "scattered"};
        for (int bits : {16, 20, 24})
            for (int channels = 1; channels <= 6; ++channels)
                for (Shape shape : {SideBySide, OwnRuns, Scattered})
                    QTest::addRow("%d bits, %d ch, %s", bits, channels, names[shape])
                        << bits << channels << shape;
    }

    void runs()
    {
        QFETCH(int, bits);
        QFETCH(int, channels);
        QFETCH(Shape, shape);
        const PcmGroup group{channels, bits, 48000};
        const int size = bits == 16 ? 2 : 3;
        const PcmUnpacker unpack = pcmUnpacker(channels, bits);
        QVERIFY(unpack);
        // Runs shorter and longer than what a byte shuffle reads or writes at once.
        for (int units : {1, 2, 3, 4, 7, 40}) {
            const PcmSamples samples = makePcmSamples(group, 2 * units, quint32(units));
            const QByteArray packed = packPcm(group, samples);
            const std::vector<quint8> in(packed.begin(), packed.end());
            QCOMPARE(int(in.size()), units * bits * channels / 4);

            // Scattered: channels in reverse order in frames one sample wider; the spare
            // bytes stay as they were.
            const int stride = shape == OwnRuns ? size : (channels + (shape == Scattered)) * size;
            std::vector<std::vector<quint8>> files(shape == OwnRuns ? channels : 1);
            for (auto &file : files)
                file.assign(size_t(2 * units * stride), 0xEE);
            quint8 *out[6] = {};
            for (int k = 0; k < channels; ++k)
                out[k] = shape == OwnRuns  ? files[k].data()
                       : shape == Scattered ? files[0].data() + (channels - 1 - k) * size
                                            : files[0].data() + k * size;
            quint8 *const begin[6] = {out[0], out[1], out[2], out[3], out[4], out[5]};
            unpack(in.data(), units, out, stride);

            for (int k = 0; k < channels; ++k) {
                QCOMPARE(out[k], begin[k] + 2 * units * stride);
                const QByteArray expected = waveSamples(PcmGroup{1, bits, 48000},
                                                        channelOf(group, samples, k));
                QByteArray got;
                for (int f = 0; f < 2 * units; ++f)
                    got.append(reinterpret_cast<const char *>(begin[k]) + f * stride, size);
                QCOMPARE(got, expected);
            }
            if (shape == Scattered)
                for (int f = 0; f < 2 * units; ++f)
                    QCOMPARE(files[0][size_t(f * stride + channels * size)], quint8(0xEE));
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
