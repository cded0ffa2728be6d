// The MLP streams the other tests are built on: made by libavcodec's encoder, they
// decode back to the samples given, also after the channel assignment was rewritten.
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

extern "C" {
#include <libavcodec/avcodec.h>
}

#include "stream/channeltable.h"
#include "testzone/mlpencoder.h"
#include "testzone/packs.h"

using namespace mlpencoder;

namespace {

struct Decoded {
    int channels = 0;
    QVector<qint32> samples; // interleaved, in the decoder's channel order
};

// Parser to cut access units, decoder to turn them into samples (24-bit samples come
// in the upper bits of 32).
Decoded decode(const QByteArray &stream)
{
    Decoded out;
    const AVCodec *codec = avcodec_find_decoder(AV_CODEC_ID_MLP);
    AVCodecContext *parserContext = avcodec_alloc_context3(codec);
    AVCodecContext *context = avcodec_alloc_context3(codec);
    AVCodecParserContext *parser = av_parser_init(AV_CODEC_ID_MLP);
    AVPacket *packet = av_packet_alloc();
    AVFrame *frame = av_frame_alloc();
    if (avcodec_open2(context, codec, nullptr) < 0)
        return out;
    QByteArray input = stream + QByteArray(AV_INPUT_BUFFER_PADDING_SIZE, char(0));
    const auto *p = reinterpret_cast<const uint8_t *>(input.constData());
    int left = int(stream.size());
    while (left > 0) {
        uint8_t *unit = nullptr;
        int unitSize = 0;
        const int used = av_parser_parse2(parser, parserContext, &unit, &unitSize, p, left,
                                          AV_NOPTS_VALUE, AV_NOPTS_VALUE, 0);
        p += used;
        left -= used;
        if (unitSize == 0)
            continue;
        QByteArray padded(reinterpret_cast<const char *>(unit), unitSize);
        padded.append(QByteArray(AV_INPUT_BUFFER_PADDING_SIZE, char(0)));
        packet->data = reinterpret_cast<uint8_t *>(padded.data());
        packet->size = unitSize;
        if (avcodec_send_packet(context, packet) < 0)
            continue;
        while (avcodec_receive_frame(context, frame) == 0) {
            out.channels = frame->ch_layout.nb_channels;
            const int count = frame->nb_samples * out.channels;
            for (int i = 0; i < count; ++i)
                out.samples << (frame->format == AV_SAMPLE_FMT_S16
                                    ? reinterpret_cast<const qint16 *>(frame->data[0])[i]
                                    : reinterpret_cast<const qint32 *>(frame->data[0])[i] >> 8);
        }
    }
    av_frame_free(&frame);
    av_packet_free(&packet);
    av_parser_close(parser);
    avcodec_free_context(&context);
    avcodec_free_context(&parserContext);
    return out;
}

} // namespace

class TestMlpTestStreams : public QObject {
    Q_OBJECT

private slots:
    void roundTrip_data();
    void roundTrip();
    void rewrittenAssignmentDecodes();
    void badChecksumIsNoticed();
    void packsReadByFfmpeg();
};

void TestMlpTestStreams::roundTrip_data()
{
    QTest::addColumn<int>("assignment");
    QTest::addColumn<int>("rate");
    QTest::addColumn<int>("bits");

    QTest::newRow("stereo 16/48000") << 1 << 48000 << 16;
    QTest::newRow("5.1 24/96000") << 12 << 96000 << 24;
    QTest::newRow("3.0(back) 16/44100") << 2 << 44100 << 16;
    QTest::newRow("4.1 24/88200") << 11 << 88200 << 24;
}

void TestMlpTestStreams::roundTrip()
{
    QFETCH(int, assignment);
    QFETCH(int, rate);
    QFETCH(int, bits);

    const int channels = channelCount(assignment);
    // Not a whole number of access units: the last one is filled with silence.
    const int perChannel = 37 * frameSize(rate) + 11;
    const QVector<qint32> samples = testSignal(channels, perChannel, bits, 3);
    QString error;
    const QByteArray stream = bits == 16 ? encodeMlp(toInt16(samples), {assignment, rate, bits}, &error)
                                         : encodeMlp(samples, {assignment, rate, bits}, &error);
    QVERIFY2(!stream.isEmpty(), qPrintable(error));
    QCOMPARE(quint8(stream[4 + 7]) & 0x1F, assignment);

    const Decoded decoded = decode(stream);
    QCOMPARE(decoded.channels, channels);
    QCOMPARE(decoded.samples.size(), qsizetype(38) * frameSize(rate) * channels);
    QCOMPARE(decoded.samples.mid(0, samples.size()), samples);
    for (qsizetype i = samples.size(); i < decoded.samples.size(); ++i)
        QCOMPARE(decoded.samples[i], 0);
}

// Ids the encoder has no layout for: every major sync rewritten with a valid checksum,
// so the decoder plays the whole stream, channels in its own order.
void TestMlpTestStreams::rewrittenAssignmentDecodes()
{
    const int perChannel = 100 * frameSize(48000);
    const QVector<qint32> samples = testSignal(6, perChannel, 24, 5);
    QString error;
    const QByteArray stream = encodeMlp(samples, {20, 48000, 24}, &error);
    QVERIFY2(!stream.isEmpty(), qPrintable(error));
    const QList<int> syncs = majorSyncOffsets(stream);
    QVERIFY(syncs.size() > 3);
    for (int at : syncs)
        QCOMPARE(quint8(stream[at + 4 + 7]) & 0x1F, 20);

    const Decoded decoded = decode(stream);
    QCOMPARE(decoded.channels, 6);
    QCOMPARE(decoded.samples.size(), samples.size());
    // Stream channels s0..s5 come out as s0 s1 s4 s5 s2 s3.
    const int order[6] = {0, 1, 4, 5, 2, 3};
    for (int i = 0; i < perChannel; i += 97)
        for (int c = 0; c < 6; ++c)
            QCOMPARE(decoded.samples[i * 6 + c], samples[i * 6 + order[c]]);

    QByteArray again = stream;
    QCOMPARE(setChannelAssignment(again, 20), int(syncs.size()));
    QCOMPARE(again, stream);
}

// The decoder's check is what makes the rewrite's checksum matter.
void TestMlpTestStreams::badChecksumIsNoticed()
{
    const QVector<qint32> samples = testSignal(6, 100 * frameSize(48000), 16, 6);
    QByteArray stream = encodeMlp(toInt16(samples), {12, 48000, 16});
    QVERIFY(!stream.isEmpty());
    stream[4 + 7] = char(20); // no checksum update
    QVERIFY(decode(stream).samples.size() < samples.size());
}

// An independent reader of program streams takes the packs for what they are meant
// to be: its MLP track is the stream as packed, byte for byte.
void TestMlpTestStreams::packsReadByFfmpeg()
{
    const QString ffmpeg = QStandardPaths::findExecutable(QStringLiteral("ffmpeg"));
    if (ffmpeg.isEmpty())
        QSKIP("no ffmpeg program");
    const QByteArray stream =
        encodeMlp(toInt16(testSignal(6, 200 * frameSize(48000), 16, 7)), {12, 48000, 16});
    QVERIFY(!stream.isEmpty());
    packs::StreamLayout plain = packs::mlpLayout();
    plain.systemHeader = true;
    plain.stuffing = 2;
    packs::StreamLayout twoPackets = packs::mlpLayout();
    twoPackets.packetsPerPack = 2;
    twoPackets.headerDataLength = 3;
    twoPackets.audioPerPack = 1500;

    QTemporaryDir dir;
    for (const packs::StreamLayout &layout : {plain, twoPackets}) {
        const packs::PackedStream packed = packs::packStream(stream, layout);
        QFile aob(dir.filePath(QStringLiteral("ATS_01_1.AOB")));
        QVERIFY(aob.open(QIODevice::WriteOnly));
        aob.write(packed.packs);
        aob.close();
        const QString out = dir.filePath(QStringLiteral("out.mlp"));
        QProcess process;
        process.start(ffmpeg, {QStringLiteral("-y"), QStringLiteral("-v"), QStringLiteral("error"),
                               QStringLiteral("-i"), aob.fileName(), QStringLiteral("-map"),
                               QStringLiteral("0:a"), QStringLiteral("-c"), QStringLiteral("copy"),
                               QStringLiteral("-f"), QStringLiteral("mlp"), out});
        QVERIFY(process.waitForFinished(60000));
        QVERIFY2(process.exitCode() == 0, process.readAllStandardError().constData());
        QFile result(out);
        QVERIFY(result.open(QIODevice::ReadOnly));
        QCOMPARE(result.readAll(), stream);
    }
}

QTEST_GUILESS_MAIN(TestMlpTestStreams)
#include "tst_mlpteststreams.moc"
