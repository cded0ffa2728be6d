// Stripping packs down to their audio bytes, with the skip and limit counters that cut an
// MLP object at its own first major sync and at the next object's; the counting writer.
#include <QtTest>
#include "testzone/resultcompare.h"

#include "base/result.h"
#include "stream/payloadreader.h"
#include "stream/streamdumper.h"
#include "testzone/dumpzone.h"
#include "testzone/packs.h"

namespace {
// Keeps every run it is given, and can fail from a given call on.
class RecordingDumper : public DVDAStreamDumper {
public:
    Result write(const quint8 *data, int length) override
    {
        ++packets;
        if (failFrom > 0 && packets >= failFrom)
            return failure;
        runs << QByteArray(reinterpret_cast<const char *>(data), length);
        return ResultCode::Succeeded;
    }
    QByteArray all() const { return runs.join(); }

    QList<QByteArray> runs;
    int packets = 0;
    int failFrom = 0;
    ResultCode failure = ResultCode::WriteOutput;
};

const packs::PcmFormat stereo24at96 = {0x20, 0x10, 1};

// One pack with one PCM packet carrying these audio bytes.
QByteArray pcmPack(const QByteArray &audio)
{
    return packs::pack({packs::privatePacket(packs::pcmSubStreamHeader(stereo24at96) + audio)});
}

QByteArray mlpPack(const QByteArray &audio)
{
    return packs::pack({packs::privatePacket(packs::mlpSubStreamHeader() + audio)});
}

const quint8 *bytesOf(const QByteArray &pack)
{
    return reinterpret_cast<const quint8 *>(pack.constData());
}
} // namespace

class TestExtractPayload : public QObject {
    Q_OBJECT

private slots:
    void packetsLoseTheirHeaders()
    {
        const QByteArray a = dumpzone::pattern(700, 1), b = dumpzone::pattern(900, 2);
        const QByteArray pack = packs::pack(
            {packs::privatePacket(packs::pcmSubStreamHeader(stereo24at96) + a, 5),
             packs::paddingPacket(20),
             packs::privatePacket(packs::pcmSubStreamHeader(stereo24at96, 10) + b)},
            3);
        QCOMPARE(pack.size(), 2048);
        RecordingDumper dumper;
        PayloadReader reader(dumper);
        QCOMPARE(reader.read(bytesOf(pack)).code(), ResultCode::Succeeded);
        QCOMPARE(dumper.runs, QList<QByteArray>({a, b}));
    }

    // Each PCM packet's audio starts where its own header ends, however long authoring made
    // it. A header too short for its fields, or running past its packet, is damage: that
    // packet's audio is taken after the length the last sound header had.
    void pcmHeaderLengthsPerPacket_data()
    {
        QTest::addColumn<QList<int>>("lengths"); // the header length byte of each packet
        QTest::addColumn<int>("damaged");
        QTest::newRow("changing from packet to packet") << QList<int>{11, 16, 10} << 0;
        QTest::newRow("zero") << QList<int>{11, 0, 10} << 1;
        QTest::newRow("too short for its fields") << QList<int>{16, 7, 16} << 1;
        QTest::newRow("past its packet") << QList<int>{16, 250, 16} << 1;
    }
    void pcmHeaderLengthsPerPacket()
    {
        QFETCH(QList<int>, lengths);
        QFETCH(int, damaged);
        RecordingDumper dumper;
        StreamInfo stream;
        stream.subStreamId = SUBSTREAM_PCM;
        stream.headerLength = 11;
        PayloadReader reader(dumper, &stream);
        QByteArray expected;
        int sound = 11;
        for (int k = 0; k < lengths.size(); ++k) {
            const bool holds = lengths[k] >= 8 && lengths[k] <= 100;
            sound = holds ? lengths[k] : sound;
            QByteArray header = packs::pcmSubStreamHeader(stereo24at96, sound);
            header[3] = char(lengths[k]);
            const QByteArray audio = dumpzone::pattern(100, k);
            expected += audio;
            const QByteArray pack = packs::pack({packs::privatePacket(header + audio, 5)});
            QCOMPARE(reader.read(bytesOf(pack)).code(), ResultCode::Succeeded);
        }
        QCOMPARE(dumper.all(), expected);
        QCOMPARE(reader.damagedPackets(), qint64(damaged));
    }

    void skipAndLimitAtPacketEdges_data()
    {
        QTest::addColumn<int>("skip");
        QTest::addColumn<int>("limit");
        QTest::addColumn<int>("from");   // first audio byte written, counted over both packs
        QTest::addColumn<int>("to");     // one past the last

        // Two packs of 2000 audio bytes each; skip and limit are given with the first.
        QTest::newRow("no skip, no limit") << 0 << 0 << 0 << 4000;
        QTest::newRow("skip 500") << 500 << 0 << 500 << 4000;
        QTest::newRow("skip a whole packet") << 2000 << 0 << 2000 << 4000;
        QTest::newRow("skip into the next pack") << 2500 << 0 << 2500 << 4000;
        QTest::newRow("limit a whole packet") << 0 << 2000 << 0 << 2000;
        QTest::newRow("limit 1") << 0 << 1 << 0 << 1;
        QTest::newRow("limit into the next pack") << 0 << 2500 << 0 << 2500;
        QTest::newRow("limit counts skipped bytes") << 500 << 1200 << 500 << 1200;
        QTest::newRow("limit inside the skip") << 1500 << 1000 << 0 << 0;
    }

    void skipAndLimitAtPacketEdges()
    {
        QFETCH(int, skip);
        QFETCH(int, limit);
        QFETCH(int, from);
        QFETCH(int, to);
        const QByteArray audio = dumpzone::pattern(4000, 4);
        const QByteArray first = mlpPack(audio.left(2000)), second = mlpPack(audio.mid(2000));

        RecordingDumper dumper;
        PayloadReader reader(dumper);
        QCOMPARE(reader.read(bytesOf(first), skip, limit).code(), ResultCode::Succeeded);
        QCOMPARE(reader.read(bytesOf(second)).code(), ResultCode::Succeeded);
        // Once the limit is used up, later packs write nothing.
        if (limit > 0) {
            QVERIFY(reader.limitReached());
            QCOMPARE(reader.read(bytesOf(second)).code(), ResultCode::Succeeded);
        }
        const QByteArray expected = to > from ? audio.mid(from, to - from) : QByteArray();
        QCOMPARE(dumper.all().size(), expected.size());
        QCOMPARE(dumper.all(), expected);
    }

    void countersCarryAcrossPacketsOfOnePack()
    {
        const QByteArray a = dumpzone::pattern(600, 5), b = dumpzone::pattern(800, 6);
        const QByteArray pack = packs::pack({packs::privatePacket(packs::mlpSubStreamHeader() + a),
                                             packs::privatePacket(packs::mlpSubStreamHeader() + b)});
        RecordingDumper dumper;
        PayloadReader reader(dumper);
        QCOMPARE(reader.read(bytesOf(pack), 700, 1000).code(), ResultCode::Succeeded);
        QCOMPARE(dumper.all(), (a + b).mid(700, 300));
    }

    void aWholePackSkippedWritesNothing()
    {
        RecordingDumper dumper;
        PayloadReader reader(dumper);
        const QByteArray pack = pcmPack(dumpzone::pattern(100));
        QCOMPARE(reader.read(bytesOf(pack), 100, 0).code(), ResultCode::Succeeded);
        QCOMPARE(dumper.packets, 0);
        QCOMPARE(reader.read(bytesOf(pack)).code(), ResultCode::Succeeded);
        QCOMPARE(dumper.all(), dumpzone::pattern(100));
    }

    void aFailedWriteEndsThePack()
    {
        const QByteArray a = dumpzone::pattern(600, 7), b = dumpzone::pattern(800, 8);
        const QByteArray pack = packs::pack({packs::privatePacket(packs::mlpSubStreamHeader() + a),
                                             packs::privatePacket(packs::mlpSubStreamHeader() + b)});
        RecordingDumper dumper;
        dumper.failFrom = 1;
        PayloadReader reader(dumper);
        QCOMPARE(reader.read(bytesOf(pack)).code(), ResultCode::WriteOutput);
        QCOMPARE(dumper.packets, 1);
    }

    void nullDumperCounts()
    {
        DVDANullStreamDumper dumper;
        const QByteArray data(2000, 'x');
        QVERIFY(dumper.write(bytesOf(data), 2000).ok());
        QVERIFY(dumper.write(nullptr, 5).ok());
        QVERIFY(dumper.write(bytesOf(data), 10).ok());
        QCOMPARE(dumper.packets, 3);
        QCOMPARE(dumper.bytes, qint64(2010));
    }
};

QTEST_GUILESS_MAIN(TestExtractPayload)
#include "tst_extractpayload.moc"
