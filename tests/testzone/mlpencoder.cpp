#include "mlpencoder.h"

#include <cmath>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
#include <libavutil/crc.h>
#include <libavutil/log.h>
}

namespace mlpencoder {

namespace {

// The encoder's layouts by the id it writes for them; their channel order is the
// stream order of that id.
const struct {
    int id;
    quint64 mask;
} encoderLayouts[] = {
    {0, AV_CH_LAYOUT_MONO},         {1, AV_CH_LAYOUT_STEREO},
    {2, AV_CH_LAYOUT_2_1},          {3, AV_CH_LAYOUT_QUAD},
    {4, AV_CH_LAYOUT_2POINT1},      {7, AV_CH_LAYOUT_SURROUND},
    {8, AV_CH_LAYOUT_4POINT0},      {9, AV_CH_LAYOUT_5POINT0_BACK},
    {10, AV_CH_LAYOUT_3POINT1},     {11, AV_CH_LAYOUT_4POINT1},
    {12, AV_CH_LAYOUT_5POINT1_BACK},
};

// The id itself when the encoder writes it, else the first encoder id with as many
// channels; -1 when there is none.
int encoderId(int id)
{
    for (const auto &entry : encoderLayouts)
        if (entry.id == id)
            return id;
    for (const auto &entry : encoderLayouts)
        if (channelCount(entry.id) == channelCount(id) && channelCount(id) > 0)
            return entry.id;
    return -1;
}

quint64 maskOf(int encoderId)
{
    for (const auto &entry : encoderLayouts)
        if (entry.id == encoderId)
            return entry.mask;
    return 0;
}

QString avError(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return QString::fromLocal8Bit(text);
}

enum { SYNC_AT = 4, SYNC_ASSIGNMENT = 7, SYNC_CHECKED = 24, SYNC_CHECKSUM = 26,
       SYNC_SIZE = 28 };

int accessUnitLength(const QByteArray &stream, int at)
{
    const auto *p = reinterpret_cast<const quint8 *>(stream.constData()) + at;
    return ((p[0] << 8 | p[1]) & 0x0FFF) * 2;
}

bool hasMajorSync(const QByteArray &stream, int at)
{
    static const QByteArray sync("\xF8\x72\x6F\xBB", 4);
    return at + SYNC_AT + SYNC_SIZE <= stream.size()
        && stream.mid(at + SYNC_AT, 4) == sync;
}

// Sends one frame (or the flush) and appends every packet the encoder gives back.
int encodeFrame(AVCodecContext *context, const AVFrame *frame, AVPacket *packet,
                QByteArray &out)
{
    int code = avcodec_send_frame(context, frame);
    if (code < 0)
        return code;
    while ((code = avcodec_receive_packet(context, packet)) == 0) {
        out.append(reinterpret_cast<const char *>(packet->data), packet->size);
        av_packet_unref(packet);
    }
    return code == AVERROR(EAGAIN) || code == AVERROR_EOF ? 0 : code;
}

} // namespace

int channelCount(int channelAssignment)
{
    // The channels of assignments 0 to 20 as DVD-Audio lists them (M; L R; Lf Rf S; ...;
    // Lf Rf Ls Rs C LFE), kept here apart from the program's own table.
    static const int counts[] = {1, 2, 3, 4, 3, 4, 5, 3, 4, 5, 4, 5, 6, 4, 5, 4, 5, 6, 5, 5, 6};
    return channelAssignment >= 0 && channelAssignment < int(sizeof counts / sizeof *counts)
               ? counts[channelAssignment]
               : 0;
}

int frameSize(int sampleRate)
{
    // 40 samples at 44100/48000, twice that per doubling of the rate.
    const int base = sampleRate % 44100 == 0 ? 44100 : 48000;
    return 40 * qMax(1, sampleRate / base);
}

QByteArray encodeMlp(const QVector<qint32> &samples, const MlpFormat &format, QString *error)
{
    QString failure;
    QByteArray out;
    const int id = encoderId(format.channelAssignment);
    const AVCodec *codec = avcodec_find_encoder(AV_CODEC_ID_MLP);
    AVCodecContext *context = codec ? avcodec_alloc_context3(codec) : nullptr;
    AVFrame *frame = av_frame_alloc();
    AVPacket *packet = av_packet_alloc();
    const int channels = channelCount(format.channelAssignment);

    if (id < 0 || (format.bits != 16 && format.bits != 24))
        failure = QStringLiteral("no encoder layout for id %1 at %2 bits")
                      .arg(format.channelAssignment).arg(format.bits);
    else if (!context || !frame || !packet)
        failure = QStringLiteral("no MLP encoder");
    else if (samples.size() % channels != 0)
        failure = QStringLiteral("sample count is not a multiple of the channel count");

    if (failure.isEmpty()) {
        context->strict_std_compliance = FF_COMPLIANCE_EXPERIMENTAL;
        context->sample_rate = format.sampleRate;
        context->sample_fmt = format.bits == 16 ? AV_SAMPLE_FMT_S16 : AV_SAMPLE_FMT_S32;
        context->bits_per_raw_sample = format.bits;
        av_channel_layout_from_mask(&context->ch_layout, maskOf(id));
        // More than two channels draw a warning that the encoder is experimental there;
        // the streams are checked by decoding them, so it only clutters the output.
        const int level = av_log_get_level();
        av_log_set_level(AV_LOG_ERROR);
        const int code = avcodec_open2(context, codec, nullptr);
        av_log_set_level(level);
        if (code < 0)
            failure = QStringLiteral("opening the MLP encoder: ") + avError(code);
    }

    const int perChannel = failure.isEmpty() ? int(samples.size()) / channels : 0;
    for (int done = 0; failure.isEmpty() && done < perChannel; done += context->frame_size) {
        av_frame_unref(frame);
        frame->nb_samples = qMin(context->frame_size, perChannel - done);
        frame->format = context->sample_fmt;
        frame->sample_rate = context->sample_rate;
        av_channel_layout_copy(&frame->ch_layout, &context->ch_layout);
        int code = av_frame_get_buffer(frame, 0);
        if (code >= 0) {
            // 24-bit samples go in the upper 24 bits of S32.
            const qint32 *in = samples.constData() + qsizetype(done) * channels;
            const int count = frame->nb_samples * channels;
            for (int i = 0; i < count; ++i) {
                if (format.bits == 16)
                    reinterpret_cast<qint16 *>(frame->data[0])[i] = qint16(in[i]);
                else
                    reinterpret_cast<qint32 *>(frame->data[0])[i] = qint32(quint32(in[i]) << 8);
            }
            code = encodeFrame(context, frame, packet, out);
        }
        if (code < 0)
            failure = QStringLiteral("encoding: ") + avError(code);
    }
    if (failure.isEmpty()) {
        const int code = encodeFrame(context, nullptr, packet, out);
        if (code < 0)
            failure = QStringLiteral("flushing the encoder: ") + avError(code);
    }

    av_packet_free(&packet);
    av_frame_free(&frame);
    avcodec_free_context(&context);
    if (failure.isEmpty() && id != format.channelAssignment)
        setChannelAssignment(out, format.channelAssignment);
    if (error)
        *error = failure;
    return failure.isEmpty() ? out : QByteArray();
}

QByteArray encodeMlp(const QVector<qint16> &samples, const MlpFormat &format, QString *error)
{
    QVector<qint32> wide(samples.begin(), samples.end());
    return encodeMlp(wide, format, error);
}

QList<int> majorSyncOffsets(const QByteArray &stream)
{
    QList<int> offsets;
    for (int at = 0; at + 4 <= stream.size();) {
        const int length = accessUnitLength(stream, at);
        if (length < 4)
            break;
        if (hasMajorSync(stream, at))
            offsets << at;
        at += length;
    }
    return offsets;
}

int fixMajorSyncChecksums(QByteArray &stream, int first)
{
    AVCRC table[257];
    av_crc_init(table, 0, 16, 0x002D, sizeof table);
    const QList<int> offsets = majorSyncOffsets(stream);
    for (int at : offsets) {
        if (at < first)
            continue;
        auto *s = reinterpret_cast<quint8 *>(stream.data()) + at + SYNC_AT;
        // CRC-16 of the first 24 bytes, xored with the two bytes after them, little-endian.
        const unsigned checksum = av_crc(table, 0, s, SYNC_CHECKED)
                                ^ unsigned(s[24] | s[25] << 8);
        s[SYNC_CHECKSUM] = quint8(checksum & 0xFF);
        s[SYNC_CHECKSUM + 1] = quint8(checksum >> 8);
    }
    return int(offsets.size());
}

int setChannelAssignment(QByteArray &stream, int channelAssignment)
{
    for (int at : majorSyncOffsets(stream)) {
        auto *s = reinterpret_cast<quint8 *>(stream.data()) + at + SYNC_AT;
        s[SYNC_ASSIGNMENT] = quint8((s[SYNC_ASSIGNMENT] & 0xE0) | (channelAssignment & 0x1F));
    }
    return fixMajorSyncChecksums(stream);
}

QVector<qint32> testSignal(int channels, int samplesPerChannel, int bits, quint32 seed)
{
    // A tone per channel plus a little noise, at about 90% of full scale.
    QVector<qint32> samples(qsizetype(channels) * samplesPerChannel);
    const double peak = 0.9 * double((1 << (bits - 1)) - 1);
    quint32 state = seed * 2654435761u + 1;
    for (int i = 0; i < samplesPerChannel; ++i) {
        for (int c = 0; c < channels; ++c) {
            state = state * 1664525u + 1013904223u;
            const double noise = double(int(state >> 20) - 2048) / 2048.0 * 0.05;
            const double tone = 0.9 * std::sin(double(i) * 0.01 * (c + 1) + c);
            samples[qsizetype(i) * channels + c] = qint32((tone + noise) / 0.95 * peak);
        }
    }
    return samples;
}

QVector<qint16> toInt16(const QVector<qint32> &samples)
{
    QVector<qint16> narrow(samples.size());
    for (qsizetype i = 0; i < samples.size(); ++i)
        narrow[i] = qint16(samples[i]);
    return narrow;
}

} // namespace mlpencoder
