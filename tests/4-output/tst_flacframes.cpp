// A FLAC frame given another number, as a stream encoded in pieces needs: the number
// coded in one to six bytes, the header's CRC-8 and the frame's CRC-16 right again, and
// the frame's body untouched.
#include <QtTest>
#include <vector>

#include "4-output/flacencoder.h"
#include "4-output/flacframes.h"

namespace {
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
    if (!encoder.append(samples.data(), FlacEncoder::BLOCK_SIZE) || !encoder.finish())
        frame.clear();
    return frame;
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
