// Stream descriptions read from packs as AOB files hold them: which bytes are
// collected, which headers are read, and what a damaged or short header gives.
#include <QFile>
#include <QtTest>

#include <cstring>
#include <memory>

#include "stream/channeltable.h"
#include "stream/packetreader.h"
#include "testzone/mlpencoder.h"
#include "testzone/packs.h"

using namespace packs;

namespace {

std::unique_ptr<StreamInfo> readInfo(const QByteArray &bytes, int count)
{
    auto info = std::make_unique<StreamInfo>();
    readStreamInfo(*info, reinterpret_cast<const quint8 *>(bytes.constData()), count);
    return info;
}

// What the titleset reader does: up to 16 packs from the object's first block.
std::unique_ptr<StreamInfo> readInfo(const PackedStream &stream)
{
    return readInfo(stream.packs, qMin(stream.count, 16));
}

QByteArray collected(const StreamInfo &info)
{
    return QByteArray(reinterpret_cast<const char *>(info.payload.data()), info.payloadLength);
}

// Audio bytes that can't be taken for any header.
QByteArray audioBytes(int n, int seed = 0)
{
    QByteArray bytes(n, char(0));
    for (int i = 0; i < n; ++i)
        bytes[i] = char((i * 131 + seed * 7 + 5) & 0xFF);
    return bytes;
}

QByteArray encode(const mlpencoder::MlpFormat &format, int accessUnits)
{
    const int channels = mlpencoder::channelCount(format.channelAssignment);
    const int samples = accessUnits * mlpencoder::frameSize(format.sampleRate);
    QString error;
    const QByteArray stream = mlpencoder::encodeMlp(
        mlpencoder::testSignal(channels, samples, format.bits), format, &error);
    if (stream.isEmpty())
        qWarning() << "MLP encoder:" << error;
    return stream;
}

int peakRateField(const QByteArray &stream, int accessUnit)
{
    const auto *s = reinterpret_cast<const quint8 *>(stream.constData()) + accessUnit + 4;
    return s[14] << 8 | s[15];
}

QByteArray readFixture(const QString &name)
{
    QFile file(QStringLiteral(TESTDATA_DIR "/mlp/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestPacketReader : public QObject {
    Q_OBJECT

private slots:
    void pcmHeader_data();
    void pcmHeader();
    void pcmPayloadIsAudioAsWritten();
    void shortPcmHeader_data();
    void shortPcmHeader();
    void twoPrivatePacketsInOnePack();
    void otherPacketsAndBlocksAreSkipped();
    void zeroPacks();
    void payloadNeverOverflows();
    void mlpFromEncoder_data();
    void mlpFromEncoder();
    void majorSyncInLaterPack_data();
    void majorSyncInLaterPack();
    void mlpWithoutMajorSync();
    void twoSubstreams();
    void peakRateDoesNotOverflow();
    void reservedBitsAboveAssignment();
    void assignmentWithoutRow_data();
    void assignmentWithoutRow();
    void findMajorSyncBounds_data();
    void findMajorSyncBounds();
    void privateHeaderLengths_data();
    void privateHeaderLengths();
};

void TestPacketReader::pcmHeader_data()
{
    QTest::addColumn<int>("bitCodes");
    QTest::addColumn<int>("rateCodes");
    QTest::addColumn<int>("assignment");
    QTest::addColumn<QList<int>>("group1"); // channels, rate, bits
    QTest::addColumn<QList<int>>("group2");
    QTest::addColumn<int>("bitRate");

    QTest::newRow("24 bit 96 kHz stereo") << 0x20 << 0x11 << 1 << QList<int>{2, 96000, 24}
                                          << QList<int>{0, 96000, 16} << 2 * 96000 * 24;
    QTest::newRow("two groups 20/16 bit 88.2/44.1 kHz")
        << 0x10 << 0x98 << 17 << QList<int>{3, 88200, 20} << QList<int>{3, 44100, 16}
        << 3 * 88200 * 20 + 3 * 44100 * 16;
    QTest::newRow("192 kHz mono") << 0x2F << 0x2F << 0 << QList<int>{1, 192000, 24}
                                  << QList<int>{0, 0, 0} << 192000 * 24;
    QTest::newRow("176.4 kHz is no group 2 rate")
        << 0x22 << 0xAA << 3 << QList<int>{2, 176400, 24} << QList<int>{2, 0, 24}
        << 2 * 176400 * 24;
    QTest::newRow("unknown codes") << 0x33 << 0x77 << 12 << QList<int>{2, 0, 0}
                                   << QList<int>{4, 0, 0} << 0;
}

void TestPacketReader::pcmHeader()
{
    QFETCH(int, bitCodes);
    QFETCH(int, rateCodes);
    QFETCH(int, assignment);
    QFETCH(QList<int>, group1);
    QFETCH(QList<int>, group2);
    QFETCH(int, bitRate);

    StreamLayout layout = pcmLayout({bitCodes, rateCodes, assignment});
    layout.systemHeader = true;
    const auto info = readInfo(packStream(audioBytes(20000), layout));

    QCOMPARE(info->subStreamId, quint8(0xA0));
    QCOMPARE(info->channelAssignment, assignment);
    QCOMPARE((QList<int>{info->group1Channels, info->group1SampleRate, info->group1Bits}),
             group1);
    QCOMPARE((QList<int>{info->group2Channels, info->group2SampleRate, info->group2Bits}),
             group2);
    QCOMPARE(info->bitRate, bitRate);
    QCOMPARE(info->substreams, 1);
    QCOMPARE(info->majorSyncOffset, 0);
    QCOMPARE(info->variableBitRate, false);
}

// The first packet keeps its sub-stream header, every later one is stripped, whatever
// the PES header data lengths and pack stuffing.
void TestPacketReader::pcmPayloadIsAudioAsWritten()
{
    StreamLayout layout = pcmLayout({0x20, 0x11, 1});
    layout.laterHeader = pcmSubStreamHeader({0x00, 0x00, 0}, 10);
    layout.stuffing = 3;
    layout.firstHeaderDataLength = 8;
    layout.headerDataLength = 2;
    const PackedStream stream = packStream(audioBytes(9000), layout);
    QVERIFY(stream.count >= 5);

    const auto info = readInfo(stream);
    QCOMPARE(collected(*info), layout.firstHeader + stream.audio);
    QCOMPARE(stream.audio, audioBytes(9000));
    // Later headers describe nothing: the first header's format stands.
    QCOMPARE(info->group1Bits, 24);
    QCOMPARE(info->channelAssignment, 1);
}

void TestPacketReader::shortPcmHeader_data()
{
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<bool>("recognised");

    const QByteArray header = pcmSubStreamHeader({0x20, 0x11, 1});
    QTest::newRow("ends before the bit codes") << header.left(7) << false;
    QTest::newRow("ends before the assignment") << header.left(10) << false;
    QTest::newRow("ends after the assignment") << header.left(11) << true;
    QTest::newRow("whole header") << header << true;
    QTest::newRow("rest length 7") << pcmSubStreamHeader({0x20, 0x11, 1}, 7) + audioBytes(64)
                                   << false;
    QTest::newRow("just the id") << QByteArray("\xA0", 1) << false;
}

// A header that is too short, or says it is, describes nothing: only the id is kept.
void TestPacketReader::shortPcmHeader()
{
    QFETCH(QByteArray, payload);
    QFETCH(bool, recognised);

    const auto info = readInfo(pack({privatePacket(payload, 5)}), 1);
    QCOMPARE(collected(*info), payload);
    QCOMPARE(info->subStreamId, quint8(0xA0));
    QCOMPARE(info->channelAssignment, recognised ? 1 : -1);
    QCOMPARE(info->group1Channels, recognised ? 2 : 0);
    QCOMPARE(info->group1SampleRate, recognised ? 96000 : 0);
    QCOMPARE(info->group1Bits, recognised ? 24 : 0);
    QCOMPARE(info->bitRate, recognised ? 2 * 96000 * 24 : 0);
    QCOMPARE(info->substreams, recognised ? 1 : 0);
}

void TestPacketReader::twoPrivatePacketsInOnePack()
{
    // Built by hand: two packets around a padding packet, the second with its own header.
    const QByteArray first = pcmSubStreamHeader({0x20, 0x11, 1});
    const QByteArray second = pcmSubStreamHeader({0x00, 0x00, 5}, 9);
    const QByteArray bytes = pack({privatePacket(first + audioBytes(300, 1), 5),
                                   paddingPacket(40),
                                   privatePacket(second + audioBytes(500, 2), 0)});
    const auto info = readInfo(bytes, 1);
    QCOMPARE(collected(*info), first + audioBytes(300, 1) + audioBytes(500, 2));
    QCOMPARE(info->channelAssignment, 1);

    // And a stream laid two packets a pack: everything, in order.
    StreamLayout layout = pcmLayout({0x00, 0x88, 3});
    layout.packetsPerPack = 2;
    const PackedStream stream = packStream(audioBytes(7000, 3), layout);
    QCOMPARE(collected(*readInfo(stream)), layout.firstHeader + audioBytes(7000, 3));
}

void TestPacketReader::otherPacketsAndBlocksAreSkipped()
{
    const QByteArray header = mlpSubStreamHeader();
    QByteArray bytes;
    // A block that is no pack carries nothing, even if it looks like packets.
    QByteArray notPack = pack({privatePacket(audioBytes(100, 9))});
    notPack[3] = char(0xBB);
    bytes += notPack;
    bytes += QByteArray(PACK_SIZE, char(0));
    // Audio of another stream, padding and a system header around ours; stuffing.
    bytes += pack({systemHeader(), pesPacket(0xC0, audioBytes(200, 4)),
                   privatePacket(header + audioBytes(100, 5), 5), paddingPacket(30),
                   pesPacket(0xE0, audioBytes(50, 6))},
                  7);
    bytes += pack({paddingPacket(1000), privatePacket(header + audioBytes(80, 7))}, 2);
    // A packet that doesn't start with 00 00 01 ends the pack's walk.
    QByteArray broken = privatePacket(header + audioBytes(60, 8));
    broken[2] = char(2);
    bytes += pack({privatePacket(header + audioBytes(40, 10)), broken,
                   privatePacket(header + audioBytes(60, 11))});

    const auto info = readInfo(bytes, 5);
    QCOMPARE(collected(*info), header + audioBytes(100, 5) + audioBytes(80, 7)
                                   + audioBytes(40, 10));
    QCOMPARE(info->subStreamId, quint8(0xA1));
}

void TestPacketReader::zeroPacks()
{
    auto info = std::make_unique<StreamInfo>();
    // A reused record is cleared, not left with the last stream's values.
    info->channelAssignment = 7;
    info->majorSyncOffset = -1;
    info->group1Channels = 2;
    info->payloadLength = 12;
    info->subStreamId = 0xA1;
    info->substreams = 2;
    const QByteArray packsBytes = pack({privatePacket(mlpSubStreamHeader())});
    readStreamInfo(*info, reinterpret_cast<const quint8 *>(packsBytes.constData()), 0);

    QCOMPARE(info->payloadLength, 0);
    QCOMPARE(info->subStreamId, quint8(0));
    QCOMPARE(info->channelAssignment, 0);
    QCOMPARE(info->majorSyncOffset, 0);
    QCOMPARE(info->group1Channels + info->group2Channels, 0);
    QCOMPARE(info->substreams, 0);
    // No channels, though id 0 has a row.
    QCOMPARE(channelMask(*info, 0), 0);
    QCOMPARE(channelName(*info, 0), QStringLiteral("-"));
}

void TestPacketReader::payloadNeverOverflows()
{
    // Packs as full as a pack gets, more of them than 16: the payload stops at its size.
    StreamLayout layout = pcmLayout({0x20, 0x11, 1}, 0);
    layout.firstHeaderDataLength = 0;
    const QByteArray audio = audioBytes(40 * PACK_SIZE, 12);
    const PackedStream stream = packStream(audio, layout);
    QVERIFY(stream.count >= 20);

    auto info = std::make_unique<StreamInfo>();
    for (int k = 0; k < 20; ++k)
        collectPackPayload(*info, reinterpret_cast<const quint8 *>(stream.packs.constData())
                                      + k * PACK_SIZE);
    QCOMPARE(info->payloadLength, int(STREAM_PAYLOAD_SIZE));
    QCOMPARE(collected(*info), (layout.firstHeader + audio).left(STREAM_PAYLOAD_SIZE));

    const auto read = readInfo(stream.packs, 20);
    QCOMPARE(read->payloadLength, int(STREAM_PAYLOAD_SIZE));
}

void TestPacketReader::mlpFromEncoder_data()
{
    QTest::addColumn<int>("assignment");
    QTest::addColumn<int>("rate");
    QTest::addColumn<int>("bits");
    QTest::addColumn<int>("channels1");
    QTest::addColumn<int>("channels2");

    QTest::newRow("stereo 16 bit 48 kHz") << 1 << 48000 << 16 << 2 << 0;
    QTest::newRow("5.1 24 bit 96 kHz") << 12 << 96000 << 24 << 2 << 4;
    QTest::newRow("5.0 16 bit 44.1 kHz") << 9 << 44100 << 16 << 2 << 3;
    QTest::newRow("mono 24 bit 192 kHz") << 0 << 192000 << 24 << 1 << 0;
    QTest::newRow("Lf Rf Ls Rs / C LFE, rewritten") << 20 << 88200 << 24 << 4 << 2;
    QTest::newRow("Lf Rf C / LFE S, rewritten") << 16 << 48000 << 16 << 3 << 2;
}

void TestPacketReader::mlpFromEncoder()
{
    QFETCH(int, assignment);
    QFETCH(int, rate);
    QFETCH(int, bits);
    QFETCH(int, channels1);
    QFETCH(int, channels2);

    const QByteArray mlp = encode({assignment, rate, bits}, 600);
    QVERIFY(!mlp.isEmpty());
    const PackedStream stream = packStream(mlp, mlpLayout());
    QVERIFY(stream.count > 16);
    const auto info = readInfo(stream);

    QCOMPARE(info->subStreamId, quint8(0xA1));
    QCOMPARE(info->majorSyncOffset, 0);
    QCOMPARE(info->channelAssignment, assignment);
    QCOMPARE(info->group1Channels, channels1);
    QCOMPARE(info->group2Channels, channels2);
    QCOMPARE(info->group1SampleRate, rate);
    QCOMPARE(info->group1Bits, bits);
    // The encoder leaves group 2's codes unused (0xF).
    QCOMPARE(info->group2SampleRate, 0);
    QCOMPARE(info->group2Bits, 0);
    QCOMPARE(info->substreams, 1);
    const int peak = peakRateField(mlp, 0);
    QCOMPARE(info->variableBitRate, (peak & 0x8000) != 0);
    QCOMPARE(info->bitRate, int((qint64(peak & 0x7FFF) * rate + 8) >> 4));
    QVERIFY(info->bitRate > 0);
    // The first packet's sub-stream header, then the stream's bytes in order.
    QCOMPARE(collected(*info).left(4).right(1), QByteArray("\x06", 1));
    QCOMPARE(collected(*info).mid(10), mlp.left(info->payloadLength - 10));

    // Every major sync the encoder wrote carries a checksum that holds; a flipped rate
    // code breaks it, and the stream is then described by the next major sync.
    const QList<int> syncs = mlpencoder::majorSyncOffsets(mlp);
    QVERIFY(syncs.size() > 1);
    for (int at : syncs)
        QVERIFY(majorSyncChecksumHolds(reinterpret_cast<const quint8 *>(mlp.constData()) + at + 4));
    QByteArray damaged = mlp;
    damaged[syncs[0] + 4 + 5] = char(0xFF);
    QVERIFY(!majorSyncChecksumHolds(reinterpret_cast<const quint8 *>(damaged.constData()) + syncs[0] + 4));
    const auto described = readInfo(packStream(damaged, mlpLayout()));
    QCOMPARE(described->majorSyncOffset, 0);
    QCOMPARE(described->group1SampleRate, rate);
    QCOMPARE(described->group1Bits, bits);
}

void TestPacketReader::majorSyncInLaterPack_data()
{
    QTest::addColumn<int>("offset");
    QTest::addColumn<int>("packetsPerPack");

    QTest::newRow("3000, second pack") << 3000 << 1;
    QTest::newRow("3000, two packets a pack") << 3000 << 2;
    // The sync word straddles the first pack boundary: the later packet's header
    // must not end up inside it.
    QTest::newRow("sync word across packs") << 2024 - 6 << 1;
    QTest::newRow("access unit header across packs") << 2024 - 2 << 1;
    QTest::newRow("fifth pack") << 9000 << 1;
}

void TestPacketReader::majorSyncInLaterPack()
{
    QFETCH(int, offset);
    QFETCH(int, packetsPerPack);

    const QByteArray mlp = encode({12, 48000, 16}, 100);
    QVERIFY(!mlp.isEmpty());
    StreamLayout layout = mlpLayout();
    layout.packetsPerPack = packetsPerPack;
    layout.headerDataLength = 3;
    const PackedStream stream = packStream(leadIn(offset) + mlp, layout);
    QVERIFY(stream.audioPerPack[0] < offset);

    const auto info = readInfo(stream);
    QCOMPARE(info->majorSyncOffset, offset);
    QCOMPARE(info->channelAssignment, 12);
    QCOMPARE(info->group1Channels, 2);
    QCOMPARE(info->group2Channels, 4);
    QCOMPARE(info->substreams, 1);
}

void TestPacketReader::mlpWithoutMajorSync()
{
    QByteArray mlp = encode({1, 48000, 16}, 40);
    QVERIFY(!mlp.isEmpty());
    // The access units between the first two major syncs.
    const QList<int> syncs = mlpencoder::majorSyncOffsets(mlp);
    QVERIFY(syncs.size() >= 2);
    const int first = ((quint8(mlp[0]) << 8 | quint8(mlp[1])) & 0xFFF) * 2;
    const auto info = readInfo(packStream(mlp.mid(first, syncs[1] - first), mlpLayout()));
    QCOMPARE(info->subStreamId, quint8(0xA1));
    QCOMPARE(info->majorSyncOffset, -1);
    QCOMPARE(info->channelAssignment, -1);
    QCOMPARE(info->group1Channels, 0);
    QCOMPARE(info->group1SampleRate, 0);
    QCOMPARE(info->bitRate, 0);
    QCOMPARE(info->substreams, 0);

    // Payload that ends inside the major sync: nothing read past it.
    const QByteArray cut = mlpSubStreamHeader() + mlp.left(4 + 4 + 16);
    const auto shortInfo = readInfo(pack({privatePacket(cut)}), 1);
    QCOMPARE(shortInfo->majorSyncOffset, -1);
    QCOMPARE(shortInfo->channelAssignment, -1);
}

// The count is the high nibble of byte 16 after the sync word (0x21 in this stream).
void TestPacketReader::twoSubstreams()
{
    const QByteArray mlp = readFixture(QStringLiteral("two-substreams.mlp"));
    QVERIFY(!mlp.isEmpty());
    const auto info = readInfo(packStream(leadIn(100) + mlp, mlpLayout()));
    QCOMPARE(info->substreams, 2);
    QCOMPARE(info->majorSyncOffset, 100);
    QCOMPARE(info->channelAssignment, 12);
    QCOMPARE(info->group1Channels + info->group2Channels, 6);
    QCOMPARE(info->group1Bits, 16);
    QCOMPARE(info->group1SampleRate, 48000);

    // The encoder's one-substream stream has 0x11 there.
    const QByteArray single = encode({12, 48000, 16}, 20);
    QCOMPARE(quint8(single[4 + 16]) >> 4, 1);
    QCOMPARE(readInfo(packStream(single, mlpLayout()))->substreams, 1);
}

void TestPacketReader::peakRateDoesNotOverflow()
{
    QByteArray mlp = encode({1, 192000, 24}, 40);
    QVERIFY(!mlp.isEmpty());
    mlp[4 + 14] = char(0xFF);
    mlp[4 + 15] = char(0xFF);
    mlpencoder::fixMajorSyncChecksums(mlp);
    const auto info = readInfo(packStream(mlp, mlpLayout()));
    QCOMPARE(info->variableBitRate, true);
    QCOMPARE(info->bitRate, int((qint64(0x7FFF) * 192000 + 8) >> 4));
    QCOMPARE(info->bitRate, 393204000);
}

// The 3 bits above the assignment are reserved; the decoder plays such a stream with
// its channels, so they must not make the id unknown.
void TestPacketReader::reservedBitsAboveAssignment()
{
    QByteArray mlp = encode({12, 48000, 16}, 40);
    QVERIFY(!mlp.isEmpty());
    mlp[4 + 7] = char(0xE0 | 12);
    mlpencoder::fixMajorSyncChecksums(mlp);
    const auto info = readInfo(packStream(mlp, mlpLayout()));
    QCOMPARE(info->channelAssignment, 12);
    QCOMPARE(info->group1Channels, 2);
    QCOMPARE(info->group2Channels, 4);
}

void TestPacketReader::assignmentWithoutRow_data()
{
    QTest::addColumn<bool>("mlp");
    QTest::addColumn<int>("assignment");

    QTest::newRow("PCM 21") << false << 21;
    QTest::newRow("PCM 255") << false << 255;
    QTest::newRow("MLP 21") << true << 21;
    QTest::newRow("MLP 31") << true << 31;
}

// No table row: the stream reports no channels and nothing reads past the table.
void TestPacketReader::assignmentWithoutRow()
{
    QFETCH(bool, mlp);
    QFETCH(int, assignment);

    PackedStream stream;
    if (mlp) {
        QByteArray bytes = encode({12, 48000, 16}, 40);
        QVERIFY(mlpencoder::setChannelAssignment(bytes, assignment) >= 1);
        stream = packStream(bytes, mlpLayout());
    } else {
        stream = packStream(audioBytes(5000), pcmLayout({0x20, 0x11, assignment}));
    }
    const auto info = readInfo(stream);
    QCOMPARE(info->channelAssignment, assignment);
    QCOMPARE(info->group1Channels, 0);
    QCOMPARE(info->group2Channels, 0);
    QCOMPARE(info->group1SampleRate, mlp ? 48000 : 96000);
    for (int n = -1; n < 7; ++n) {
        QCOMPARE(channelMask(*info, n), 0);
        QCOMPARE(channelName(*info, n), QStringLiteral("-"));
    }
    int mask1 = -1, mask2 = -1;
    QString names1, names2, all;
    describeChannels(*info, &mask1, &mask2, &names1, &names2, &all);
    QCOMPARE(mask1, 0);
    QCOMPARE(mask2, 0);
    QCOMPARE(names1, QStringLiteral("None"));
    QCOMPARE(names2, QStringLiteral("None"));
    QCOMPARE(all, QStringLiteral("None"));
    if (!mlp)
        QCOMPARE(info->bitRate, 0);
}

void TestPacketReader::findMajorSyncBounds_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("at");
    QTest::addColumn<int>("expected");

    QTest::newRow("last place it may start") << 30 << 5 << 5;
    QTest::newRow("one byte too late") << 29 << 5 << -1;
    QTest::newRow("at 0 in 25 bytes") << 25 << 0 << 0;
    QTest::newRow("at 0 in 24 bytes") << 24 << 0 << -1;
    QTest::newRow("first of two") << 200 << 17 << 17;
    QTest::newRow("empty") << 0 << -1 << -1;
}

void TestPacketReader::findMajorSyncBounds()
{
    QFETCH(int, size);
    QFETCH(int, at);
    QFETCH(int, expected);

    // A heap block of exactly size bytes, so a read past it shows under a sanitizer.
    std::unique_ptr<quint8[]> bytes(new quint8[size_t(qMax(size, 1))]);
    for (int i = 0; i < size; ++i)
        bytes[i] = quint8(i);
    const quint8 sync[4] = {0xF8, 0x72, 0x6F, 0xBB};
    if (at >= 0) {
        std::memcpy(bytes.get() + at + 4, sync, 4);
        if (size > at + 100)
            std::memcpy(bytes.get() + at + 80, sync, 4);
    }
    QCOMPARE(findMajorSync(bytes.get(), size), expected);
    // Without the BB the word is no major sync.
    if (at >= 0) {
        bytes[at + 7] = 0xBA;
        QCOMPARE(findMajorSync(bytes.get(), size), size > at + 100 ? at + 76 : -1);
    }
}

void TestPacketReader::privateHeaderLengths_data()
{
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<int>("length");

    QTest::newRow("PCM") << pcmSubStreamHeader({}) + audioBytes(10) << 12;
    QTest::newRow("PCM, longer header") << pcmSubStreamHeader({}, 12) + audioBytes(10) << 16;
    QTest::newRow("MLP") << mlpSubStreamHeader() + audioBytes(10) << 10;
    QTest::newRow("other sub-stream") << QByteArray("\xA2\x00\x00\x06", 4) + audioBytes(10)
                                      << 0;
    QTest::newRow("only 4 bytes") << mlpSubStreamHeader().left(4) << 0;
    // A header said to be longer than the packet takes the packet, no more.
    QTest::newRow("header past the end") << pcmSubStreamHeader({}, 200).left(30) << 30;
}

void TestPacketReader::privateHeaderLengths()
{
    QFETCH(QByteArray, payload);
    QFETCH(int, length);
    QCOMPARE(privateHeaderLength(reinterpret_cast<const quint8 *>(payload.constData()),
                                 int(payload.size())),
             length);
}

QTEST_GUILESS_MAIN(TestPacketReader)
#include "tst_packetreader.moc"
