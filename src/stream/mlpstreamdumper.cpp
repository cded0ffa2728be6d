#include "stream/mlpstreamdumper.h"

#include <cmath>
#include <cstring>

#include "stream/avcodeclibrary.h"

namespace {

// libavcodec hands back channels in its own order. For assignments 18 to 20 that is
// not the stream's (group 1, then group 2): stream channels s0..s4 come as s0 s1 s4 s2 s3,
// and for 20 s0..s5 as s0 s1 s4 s5 s2 s3. Every other assignment keeps stream order.
int streamChannelOfDecoded(int assignment, int decoded)
{
    static const int order18[] = {0, 1, 4, 2, 3};
    static const int order20[] = {0, 1, 4, 5, 2, 3};
    if ((assignment == 18 || assignment == 19) && decoded < 5)
        return order18[decoded];
    if (assignment == 20 && decoded < 6)
        return order20[decoded];
    return decoded;
}

} // namespace

// A major sync may leave group 2's bits and rate unset (code 15, as libavcodec's encoder
// writes them): group 2 then has group 1's resolution rather than none, which no output
// file could take.
StreamInfo DVDAMLPStreamDumper::outputFormat(const StreamInfo &info)
{
    StreamInfo decoded = info;
    decoded.dropPayload();
    if (decoded.group2Channels > 0) {
        decoded.group2SampleRate = decoded.group1SampleRate;
        if (decoded.group2Bits == 0)
            decoded.group2Bits = decoded.group1Bits;
    }
    return decoded;
}

DVDAMLPStreamDumper::DVDAMLPStreamDumper(const StreamInfo &info_, const MlpDecoding &decoding_,
                                         SampleSink &sink_)
    : info(outputFormat(info_)), decoding(decoding_), sink(sink_),
      state(ResultCode::InitMlpDecoder), messages(decoding_.logMessages)
{
    // Only the collected bytes a decoder starts from are kept.
    info.payload = info_.payload;
}

Result DVDAMLPStreamDumper::start()
{
    const int channels = info.group1Channels + info.group2Channels;
    if (info.group1Channels < 0 || info.group2Channels < 0 || channels > SampleSink::MAX_CHANNELS)
        return state = ResultCode::BadChannels; // more channels than any assignment has
    QString why;
    av = avcodecLibrary(&why);
    if (!av) {
        qWarning("%s", qPrintable(why));
        return state = ResultCode::LoadDecoder;
    }
    // A decoder that gives other channels than the sink lays out stops the dump.
    expectedChannels = decoding.stereoSink ? 2 : channels;
    size1 = sampleBytes(info.group1Bits);
    size2 = sampleBytes(info.group2Bits);
    for (int d = 0; d < SampleSink::MAX_CHANNELS; ++d)
        decodedOrder[d] = decoding.stereoSink ? d : streamChannelOfDecoded(info.channelAssignment, d);

    input.assign(INPUT_SIZE + AV_INPUT_BUFFER_PADDING_SIZE, 0);
    packet = av->av_packet_alloc();
    frame = av->av_frame_alloc();
    const int collected = int(qMin(info.payload.size(), size_t(STREAM_PAYLOAD_SIZE)));
    const bool started = packet && frame && startDecoder(info.payload.data(), collected);
    info.dropPayload();
    if (!started)
        return state = ResultCode::InitMlpDecoder;
    av->av_log(decoder, AV_LOG_INFO,
           "### MLP Stream (channels: %d, sample_rate: %d, bits_per_sample: %d) ###\n",
           parserContext->ch_layout.nb_channels, parserContext->sample_rate,
           parserContext->bits_per_raw_sample);
    return state = ResultCode::Succeeded;
}

DVDAMLPStreamDumper::~DVDAMLPStreamDumper()
{
    if (!av)
        return; // nothing was made
    freeDecoder();
    av->av_packet_free(&packet);
    av->av_frame_free(&frame);
}

void DVDAMLPStreamDumper::freeDecoder()
{
    // Routes go before the contexts: a freed address may come back for another decoder.
    messages.detach(decoder);
    messages.detach(parserContext);
    if (parser)
        av->av_parser_close(parser);
    parser = nullptr;
    av->avcodec_free_context(&decoder);
    av->avcodec_free_context(&parserContext);
    decoderReady = false;
}

bool DVDAMLPStreamDumper::startDecoder(const quint8 *run, int length)
{
    freeDecoder();
    const AVCodec *codec = av->avcodec_find_decoder(AV_CODEC_ID_MLP);
    parserContext = av->avcodec_alloc_context3(codec);
    decoder = av->avcodec_alloc_context3(codec);
    parser = av->av_parser_init(AV_CODEC_ID_MLP);
    if (!codec || !parserContext || !decoder || !parser)
        return false;
    messages.attach(parserContext);
    messages.attach(decoder);

    // The parser's first whole access unit is the one with the major sync; passing it
    // sets the stream parameters on the parser's context.
    const quint8 *p = run;
    int left = length, idle = 0;
    bool found = false;
    while (left > 0 && !found && idle < 2) {
        uint8_t *unit = nullptr;
        int unitSize = 0;
        const int used = av->av_parser_parse2(parser, parserContext, &unit, &unitSize, p, left,
                                          AV_NOPTS_VALUE, AV_NOPTS_VALUE, 0);
        if (used < 0)
            return false;
        p += used;
        left -= used;
        found = unitSize > 0;
        idle = used == 0 ? idle + 1 : 0;
    }
    if (!found || parserContext->sample_rate <= 0 || parserContext->ch_layout.nb_channels <= 0)
        return false;

    AVDictionary *settings = nullptr;
    if (decoding.downmix)
        av->av_dict_set(&settings, "downmix", "stereo", 0); // decodes substream 0 only
    const int opened = av->avcodec_open2(decoder, codec, &settings);
    av->av_dict_free(&settings);
    if (opened < 0)
        return false;
    decoderReady = true;
    skippedBytes = 0;
    return true;
}

void DVDAMLPStreamDumper::drop(int count)
{
    readPosition += count;
    pending -= count;
    consumed += count;
}

bool DVDAMLPStreamDumper::findMajorSync()
{
    enum { KEEP = 8 }; // a sync word may begin in the last bytes
    while (pending > KEEP && parserContext) {
        // A fresh parser is the only way to make it look for a sync again.
        if (parser)
            av->av_parser_close(parser);
        parser = av->av_parser_init(AV_CODEC_ID_MLP);
        if (!parser)
            return false;
        uint8_t *unit = nullptr;
        int unitSize = 0;
        const int at = av->av_parser_parse2(parser, parserContext, &unit, &unitSize,
                                        input.data() + readPosition, pending, AV_NOPTS_VALUE,
                                        AV_NOPTS_VALUE, 0);
        if (at < 0 || at >= pending)
            break; // no major sync in the pending bytes
        if (at > 0) {
            drop(at);
            skippedBytes += at;
            av->av_log(decoder, AV_LOG_ERROR,
                   "### Recovering from stream error (bytes skipped: %d) ###\n", skippedBytes);
            searching = false;
            decoderReady = false;
            return true;
        }
        // The sync found is the one of the unit that failed: look past it.
        drop(KEEP);
        skippedBytes += KEEP;
    }
    if (pending > KEEP) {
        skippedBytes += pending - KEEP;
        drop(pending - KEEP);
    }
    return false;
}

Result DVDAMLPStreamDumper::write(const quint8 *data, int length)
{
    if (state.failed()) // the decoder could not be set up, or the sink failed
        return state;
    for (int at = 0; at < length; at += MAX_CALL) {
        const Result written = writeRun(data + at, qMin(int(MAX_CALL), length - at));
        if (written.failed())
            return written;
    }
    return state;
}

Result DVDAMLPStreamDumper::writeRun(const quint8 *data, int length)
{
    // Pending bytes to the front, the new ones right behind them: each byte is copied
    // in once and moved at most once per call.
    if (readPosition > 0 && pending > 0)
        std::memmove(input.data(), input.data() + readPosition, size_t(pending));
    readPosition = 0;
    if (pending + length > INPUT_SIZE) // only when called again after an overrun
        return ResultCode::MlpOverrun;
    std::memcpy(input.data() + pending, data, size_t(length));
    pending += length;

    for (;;) {
        if (searching) {
            av->av_log(decoder, AV_LOG_INFO, "### Looking for major sync (length: %d) ###\n",
                   pending);
            if (!findMajorSync())
                return ResultCode::Succeeded;
        }
        if (pending < 2)
            return ResultCode::Succeeded;
        const quint8 *unit = input.data() + readPosition;
        const int size = 2 * (((unit[0] << 8) | unit[1]) & 0xFFF);
        if (size > pending)
            return pending > APPEND_AT ? ResultCode::MlpOverrun : ResultCode::Succeeded;
        ++units;
        messages.setPosition(frames); // what the decoder reports now is about this unit
        bool failed = size < 4; // no unit is that short: the length is damaged
        if (!failed && !decoderReady)
            failed = !startDecoder(unit, pending);
        if (!failed) {
            const Result decoded = decodeUnit(size, &failed);
            if (decoded.failed())
                return decoded;
        }
        if (failed) {
            messages.add(DecoderMessages::UndecodableUnit);
            if (!decoding.recover)
                return ResultCode::MlpDecoder;
            // Look at once, so that a major sync already pending is not lost when
            // this call is the object's last.
            searching = true;
            continue;
        }
        drop(size);
    }
}

Result DVDAMLPStreamDumper::decodeUnit(int size, bool *failed)
{
    packet->data = input.data() + readPosition;
    packet->size = size;
    if (av->avcodec_send_packet(decoder, packet) < 0) {
        *failed = true;
        return ResultCode::Succeeded;
    }
    while (av->avcodec_receive_frame(decoder, frame) == 0) {
        const Result written = writeFrame(frame, size);
        av->av_frame_unref(frame);
        if (written.failed())
            return written;
    }
    return ResultCode::Succeeded;
}

Result DVDAMLPStreamDumper::fillLostAudio(int timing, int unitFrames, int channels, int channels2)
{
    // Bytes between the end of the last unit that gave samples and this one: dropped, or
    // units that gave none. None lost: a jump in the timing is the stream's own.
    const qint64 lostBytes = lastGoodEnd >= 0 ? consumed - lastGoodEnd : 0;
    if (lostBytes <= 0 || nextTiming < 0 || goodUnits <= 0)
        return ResultCode::Succeeded;
    qint64 lost = (timing - nextTiming) & 0xFFFF;
    const double estimate = double(lostBytes) * goodUnits / goodBytes * unitFrames;
    lost += qMax<qint64>(0, std::llround((estimate - double(lost)) / 65536.0)) * 65536;
    if (lost <= 0)
        return ResultCode::Succeeded;
    silences.push_back({frames, lost});
    frames += lost;
    if (!sink.keepsSamples())
        return ResultCode::Succeeded;
    enum { CHUNK = 4800 };
    for (qint64 left = lost; left > 0;) {
        const int n = int(qMin<qint64>(left, CHUNK));
        const SampleSink::Targets room = sink.reserve(n, channels2 > 0 ? n : 0);
        for (int c = 0; c < channels && c < SampleSink::MAX_CHANNELS; ++c) {
            quint8 *to = room.channel[c];
            const bool first = c < channels - channels2;
            const int step = first ? room.stride1 : room.stride2;
            const int width = first ? size1 : size2;
            for (int f = 0; to && f < n; ++f, to += step)
                std::memset(to, 0, size_t(width));
        }
        const Result committed = sink.commit(n, channels2 > 0 ? n : 0);
        if (committed.failed())
            return state = committed;
        left -= n;
    }
    return ResultCode::Succeeded;
}

Result DVDAMLPStreamDumper::writeFrame(const AVFrame *decoded, int unitSize)
{
    const int channels = decoded->ch_layout.nb_channels;
    const bool wide = decoded->format == AV_SAMPLE_FMT_S32;
    // Another channel set than the files were laid out for would put samples into the
    // wrong channels: stop instead.
    if (channels != expectedChannels || (!wide && decoded->format != AV_SAMPLE_FMT_S16))
        return ResultCode::MlpDecoder;
    const int c1 = decoding.stereoSink ? 2 : info.group1Channels;
    const int count = decoded->nb_samples;
    const int count2 = channels > c1 ? count : 0;
    const quint8 *unit = input.data() + readPosition;
    const int timing = (unit[2] << 8) | unit[3];
    const Result filled = fillLostAudio(timing, count, channels, count2 > 0 ? channels - c1 : 0);
    if (filled.failed())
        return filled;
    nextTiming = (timing + count) & 0xFFFF;
    lastGoodEnd = consumed + unitSize;
    goodBytes += unitSize;
    ++goodUnits;
    frames += count;
    if (!sink.keepsSamples()) // nothing is kept: only the frames count
        return ResultCode::Succeeded;

    // Straight into the sink's buffers: where each decoded channel goes in the first
    // frame, how far to the next, how wide.
    const SampleSink::Targets room = sink.reserve(count, count2);
    quint8 *to[SampleSink::MAX_CHANNELS];
    int step[SampleSink::MAX_CHANNELS], width[SampleSink::MAX_CHANNELS];
    for (int d = 0; d < channels; ++d) {
        const int s = decodedOrder[d];
        const bool first = s < c1;
        to[d] = room.channel[s];
        step[d] = first ? room.stride1 : room.stride2;
        width[d] = first ? size1 : size2;
    }
    // Each written sample is the upper bytes of the decoded one (24-bit audio comes in
    // the upper 24 bits of 32).
    const auto *in16 = reinterpret_cast<const qint16 *>(decoded->data[0]);
    const auto *in32 = reinterpret_cast<const qint32 *>(decoded->data[0]);
    for (int f = 0; f < count; ++f) {
        for (int d = 0; d < channels; ++d) {
            const quint32 v = wide ? quint32(*in32++) : quint32(*in16++) << 16;
            quint8 *sample = to[d];
            to[d] += step[d];
            if (width[d] == 3)
                *sample++ = quint8(v >> 8);
            sample[0] = quint8(v >> 16);
            sample[1] = quint8(v >> 24);
        }
    }
    const Result committed = sink.commit(count, count2);
    if (committed.failed())
        state = committed;
    return committed;
}
