// A FLAC frame given another number, as a stream encoded in pieces needs: the number
// coded in one to six bytes, the header's CRC-8 and the frame's CRC-16 right again, and
// the frame's body untouched. And the pieces put together: the same frames as libFLAC
// makes of the whole stream in one go, with a helper thread or without.
#include <FLAC/stream_encoder.h>
#include <QtTest>
#include <vector>

#include "base/threadbudget.h"
#include "output/flacencoder.h"
#include "output/flacframes.h"

namespace {
// Interleaved samples into the encoder, `frames` of them, as a file hands them over.
bool append(FlacEncoder &encoder, const qint32 *samples, int frames, int channels)
{
    while (frames > 0) {
        const FlacEncoder::Room to = encoder.room(frames);
        if (!to.channel[0])
            return false;
        for (int k = 0; k < to.frames; ++k)
            for (int c = 0; c < channels; ++c)
                to.channel[c][k] = *samples++;
        frames -= to.frames;
        if (!encoder.commit(to.frames))
            return false;
    }
    return true;
}

// The first frame libFLAC makes of a short tone: 16-bit stereo at 48 kHz.
std::vector<quint8> firstFrame()
{
    std::vector<quint8> frame;
    FlacEncoder encoder({2, 16, 48000, 5}, [&frame](const quint8 *data, size_t size, int) {
        if (frame.empty())
            frame.assign(data, data + size);
        return true;
    });
    std::vector<qint32> samples(2 * FlacEncoder::BLOCK_SIZE);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = qint32((i * 7919) % 20000) - 10000;
    if (!append(encoder, samples.data(), FlacEncoder::BLOCK_SIZE, 2) || !encoder.finish())
        frame.clear();
    return frame;
}

// Interleaved samples of a few tones, with a step now and then, as frames of every kind
// of subframe come from.
std::vector<qint32> tones(int channels, int frames, int bits)
{
    std::vector<qint32> samples(size_t(channels) * size_t(frames));
    const double top = double(1 << (bits - 2));
    for (int k = 0; k < frames; ++k)
        for (int c = 0; c < channels; ++c)
            samples[size_t(k) * size_t(channels) + size_t(c)] =
                qint32(top * std::sin(k * 0.01 * (c + 1)) + ((k / 5000) % 3) * (c + 1) * 97);
    return samples;
}

// libFLAC's frames of the whole stream, encoded in one go as flac does.
std::vector<quint8> framesInOneGo(const std::vector<qint32> &samples, int channels, int bits)
{
    std::vector<quint8> frames;
    FLAC__StreamEncoder *encoder = FLAC__stream_encoder_new();
    const auto write = [](const FLAC__StreamEncoder *, const FLAC__byte buffer[], size_t bytes,
                          uint32_t count, uint32_t, void *data) {
        if (count > 0) // not the stream's header
            static_cast<std::vector<quint8> *>(data)->insert(static_cast<std::vector<quint8> *>(data)->end(),
                                                             buffer, buffer + bytes);
        return FLAC__STREAM_ENCODER_WRITE_STATUS_OK;
    };
    const bool ok = FLAC__stream_encoder_set_channels(encoder, uint32_t(channels))
                    && FLAC__stream_encoder_set_bits_per_sample(encoder, uint32_t(bits))
                    && FLAC__stream_encoder_set_sample_rate(encoder, 96000)
                    && FLAC__stream_encoder_set_compression_level(encoder, 5)
                    && FLAC__stream_encoder_set_blocksize(encoder, FlacEncoder::BLOCK_SIZE)
                    && FLAC__stream_encoder_init_stream(encoder, write, nullptr, nullptr, nullptr, &frames)
                           == FLAC__STREAM_ENCODER_INIT_STATUS_OK
                    && FLAC__stream_encoder_process_interleaved(encoder, samples.data(),
                                                                uint32_t(samples.size() / size_t(channels)))
                    && FLAC__stream_encoder_finish(encoder);
    FLAC__stream_encoder_delete(encoder);
    return ok ? frames : std::vector<quint8>();
}
} // namespace

class TestFlacFrames : public QObject {
    Q_OBJECT

private slots:
    void renumbered_data()
    {
        QTest::addColumn<qint64>("number");
        QTest::addColumn<int>("codedBytes");
        QTest::newRow("0") << qint64(0) << 1;
        QTest::newRow("127, last in one byte") << qint64(127) << 1;
        QTest::newRow("128, first in two") << qint64(128) << 2;
        QTest::newRow("2047") << qint64(2047) << 2;
        QTest::newRow("2048, three bytes") << qint64(2048) << 3;
        QTest::newRow("65536, four bytes") << qint64(65536) << 4;
        QTest::newRow("2^21, five bytes") << (qint64(1) << 21) << 5;
        QTest::newRow("2^26, six bytes") << (qint64(1) << 26) << 6;
        QTest::newRow("2^31 - 1, the last a frame number takes") << (qint64(1) << 31) - 1 << 6;
    }

    void renumbered()
    {
        QFETCH(qint64, number);
        QFETCH(int, codedBytes);
        const std::vector<quint8> frame = firstFrame();
        QVERIFY(frame.size() > 100);
        QCOMPARE(flacframes::frameNumber(frame.data(), frame.size()), qint64(0));
        std::vector<quint8> out;
        QVERIFY(flacframes::renumber(frame.data(), frame.size(), quint64(number), &out));
        QCOMPARE(flacframes::frameNumber(out.data(), out.size()), number);
        // The old number took one byte; the new one takes codedBytes.
        QCOMPARE(out.size(), frame.size() + size_t(codedBytes) - 1);
        const size_t header = 4 + size_t(codedBytes); // no block size or rate bytes at 48 kHz
        QCOMPARE(flacframes::crc8(out.data(), header), out[header]);
        // A CRC over the bytes and their CRC is 0.
        QCOMPARE(flacframes::crc16(out.data(), out.size()), quint16(0));
        QVERIFY(std::equal(frame.begin() + 6, frame.end() - 2, out.begin() + long(header) + 1));
    }

    // Chunks encoded apart, on two threads or one, by encoders and buffers used again and
    // again, handed out in order: byte for byte the stream of one encoder.
    void chunksMakeTheStreamOfOneEncoder_data()
    {
        QTest::addColumn<int>("channels");
        QTest::addColumn<int>("bits");
        QTest::addColumn<bool>("helper");
        QTest::newRow("stereo 16-bit, with a helper") << 2 << 16 << true;
        QTest::newRow("stereo 16-bit, on one thread") << 2 << 16 << false;
        QTest::newRow("5.1 24-bit, with a helper") << 6 << 24 << true;
        QTest::newRow("5.1 24-bit, on one thread") << 6 << 24 << false;
        QTest::newRow("mono 20-bit, with a helper") << 1 << 20 << true;
    }

    void chunksMakeTheStreamOfOneEncoder()
    {
        QFETCH(int, channels);
        QFETCH(int, bits);
        QFETCH(bool, helper);
        // Four chunks and a short one; appended in pieces that do not fit chunks.
        const int frames = 4 * FlacEncoder::CHUNK_BLOCKS * FlacEncoder::BLOCK_SIZE + 1234;
        const std::vector<qint32> samples = tones(channels, frames, bits);
        threadbudget::setLimit(helper ? 2 : 1);
        threadbudget::hold(); // this thread, as an extraction's worker
        std::vector<quint8> stream;
        int numbered = 0;
        bool inOrder = true;
        {
            FlacEncoder encoder({channels, bits, 96000, 5}, [&](const quint8 *frame, size_t size, int) {
                inOrder = inOrder && flacframes::frameNumber(frame, size) == numbered++;
                stream.insert(stream.end(), frame, frame + size);
                return true;
            });
            for (int at = 0; at < frames; at += 10000)
                QVERIFY(append(encoder, samples.data() + size_t(at) * size_t(channels), qMin(10000, frames - at), channels));
            QCOMPARE(threadbudget::inUse(), helper ? 2 : 1);
            QVERIFY(encoder.finish());
        }
        QCOMPARE(threadbudget::inUse(), 1); // the helper's thread given back
        threadbudget::giveBack();
        threadbudget::setLimit(0);
        QVERIFY(inOrder);
        QCOMPARE(numbered, (frames + FlacEncoder::BLOCK_SIZE - 1) / FlacEncoder::BLOCK_SIZE);
        const std::vector<quint8> whole = framesInOneGo(samples, channels, bits);
        QVERIFY(!whole.empty());
        QVERIFY(stream == whole);
    }

    void refusesWhatIsNoFrame_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("variable block size") << QByteArray::fromHex("FFF9C90C00AA00000000");
        QTest::newRow("no sync") << QByteArray::fromHex("FFF0C90C00AA00000000");
        QTest::newRow("cut short") << QByteArray::fromHex("FFF8C90C");
        QTest::newRow("number of seven bytes") << QByteArray::fromHex("FFF8C90CFE80808080808000AA0000");
    }

    void refusesWhatIsNoFrame()
    {
        QFETCH(QByteArray, bytes);
        std::vector<quint8> out;
        const auto *data = reinterpret_cast<const quint8 *>(bytes.constData());
        QVERIFY(!flacframes::renumber(data, size_t(bytes.size()), 5, &out));
        QVERIFY(out.empty());
        QCOMPARE(flacframes::frameNumber(data, size_t(bytes.size())), qint64(-1));
    }
};

QTEST_GUILESS_MAIN(TestFlacFrames)
#include "tst_flacframes.moc"
