// The rip log's checksum: CRC-32 (zlib's, ZIP's, ffmpeg's crc32 hash), whichever way it is
// computed, against the definition bit by bit, over every length and alignment the folding
// treats apart, and carried on from one run of bytes to the next.
#include <QtTest>

#include "output/samplechecksum.h"

namespace {
// CRC-32 as defined: reflected polynomial 0xEDB88320, all ones before and after.
quint32 definition(quint32 crc, const quint8 *data, int count)
{
    crc = ~crc;
    for (int i = 0; i < count; ++i) {
        crc ^= data[i];
        for (int b = 0; b < 8; ++b)
            crc = crc & 1 ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
    }
    return ~crc;
}
} // namespace

class TestSampleChecksum : public QObject {
    Q_OBJECT

private slots:
    void checkValue()
    {
        const QByteArray nine("123456789");
        QCOMPARE(crc32Of(0, reinterpret_cast<const quint8 *>(nine.constData()), 9), 0xCBF43926u);
        QCOMPARE(crc32Text(0xCBF43926u), QString("cbf43926"));
    }

    void asDefined_data()
    {
        QTest::addColumn<int>("length");
        for (int length : {0, 1, 15, 16, 63, 64, 65, 79, 80, 127, 128, 1000, 4099})
            QTest::addRow("%d bytes", length) << length;
    }
    void asDefined()
    {
        QFETCH(int, length);
        QByteArray bytes(length + 200, '\0');
        quint32 state = 7;
        for (char &c : bytes) {
            state = state * 1664525u + 1013904223u;
            c = char(state >> 24);
        }
        const auto *data = reinterpret_cast<const quint8 *>(bytes.constData());
        for (int offset = 0; offset < 5; ++offset) {
            QCOMPARE(crc32Of(0, data + offset, length), definition(0, data + offset, length));
            // Carried on from the CRC of 100 bytes before.
            const quint32 before = crc32Of(0, data, 100);
            QCOMPARE(crc32Of(before, data + 100 + offset, length), definition(before, data + 100 + offset, length));
        }
    }

    // Each second's CRC is that of its own bytes, however the writes cut across the seconds;
    // the whole is the CRC of all of them.
    void seconds_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("piece"); // bytes a write takes
        QTest::newRow("writes inside seconds") << 1000 << 100;
        QTest::newRow("writes across seconds") << 1000 << 333;
        QTest::newRow("a write of several seconds") << 1000 << 700;
        QTest::newRow("the last second short") << 950 << 64;
        QTest::newRow("exactly whole seconds") << 600 << 600;
    }
    void seconds()
    {
        QFETCH(int, length);
        QFETCH(int, piece);
        const int perSecond = 200;
        QByteArray bytes(length, '\0');
        for (int i = 0; i < length; ++i)
            bytes[i] = char(i * 37 + i / 7);
        const auto *data = reinterpret_cast<const quint8 *>(bytes.constData());
        SampleCrc crc;
        crc.start(perSecond);
        for (int done = 0; done < length; done += piece)
            crc.add(data + done, qMin(piece, length - done));
        std::vector<quint32> expected;
        for (int from = 0; from < length; from += perSecond)
            expected.push_back(definition(0, data + from, qMin(perSecond, length - from)));
        QCOMPARE(crc.seconds(), expected);
        QCOMPARE(crc.whole(), definition(0, data, length));
    }
};

QTEST_GUILESS_MAIN(TestSampleChecksum)
#include "tst_samplechecksum.moc"
