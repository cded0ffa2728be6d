#include "output/loudnessmeter.h"

#include <cmath>
#include <ebur128.h>

struct LoudnessMeter::State {
    ebur128_state *meter = nullptr;
    ~State()
    {
        if (meter)
            ebur128_destroy(&meter);
    }
};

namespace {
enum { REFERENCE_LUFS = -18 };

// The speaker a mask bit stands for, as BS.1770 weights it: the centre and fronts 1.0,
// the side, back and back centre 1.41, the LFE left out.
int channelOf(int maskBit)
{
    switch (maskBit) {
    case 0x1: return EBUR128_LEFT;
    case 0x2: return EBUR128_RIGHT;
    case 0x8: return EBUR128_UNUSED;
    case 0x10: case 0x200: return EBUR128_LEFT_SURROUND;
    case 0x20: case 0x400: return EBUR128_RIGHT_SURROUND;
    case 0x100: return EBUR128_Mp110;
    default: return EBUR128_CENTER;
    }
}
} // namespace

LoudnessMeter::LoudnessMeter(int channels_, int sampleRate, int bits, int channelMask)
    : channels(channels_), width(bits <= 16 ? 2 : 3)
{
    if (channels <= 0 || sampleRate <= 0)
        return;
    ebur128_state *meter = ebur128_init(unsigned(channels), unsigned(sampleRate), EBUR128_MODE_I);
    if (!meter)
        return;
    state = std::make_unique<State>();
    state->meter = meter;
    // The file's channels come in mask order, lowest bit first.
    int bit = 1;
    for (int c = 0; c < channels; ++c) {
        int speaker = c == 0 ? EBUR128_LEFT : EBUR128_RIGHT;
        if (channelMask != 0) {
            while (bit != 0 && !(channelMask & bit))
                bit <<= 1;
            speaker = channelOf(bit);
            bit <<= 1;
        } else if (channels == 1) {
            speaker = EBUR128_CENTER;
        } else if (c > 1) {
            speaker = EBUR128_CENTER;
        }
        ebur128_set_channel(meter, unsigned(c), speaker);
    }
}

LoudnessMeter::~LoudnessMeter() = default;

void LoudnessMeter::add(const quint8 *bytes, qint64 count)
{
    if (!state || count <= 0)
        return;
    const qint64 samples = count / width;
    frames.resize(size_t(samples));
    // Left-justified in 32 bits, as libebur128 scales an int.
    quint32 top = highest;
    const auto keep = [&top](qint32 v) {
        const quint32 magnitude = v < 0 ? 0u - quint32(v) : quint32(v);
        top = magnitude > top ? magnitude : top;
        return v;
    };
    if (width == 2) {
        for (qint64 i = 0; i < samples; ++i)
            frames[size_t(i)] = keep(qint32(quint32(bytes[2 * i] | bytes[2 * i + 1] << 8) << 16));
    } else {
        for (qint64 i = 0; i < samples; ++i)
            frames[size_t(i)] = keep(qint32(quint32(bytes[3 * i]) << 8 | quint32(bytes[3 * i + 1]) << 16
                                            | quint32(bytes[3 * i + 2]) << 24));
    }
    highest = top;
    ebur128_add_frames_int(state->meter, frames.data(), size_t(samples / channels));
}

double LoudnessMeter::loudness() const
{
    double lufs = -HUGE_VAL;
    if (!state || ebur128_loudness_global(state->meter, &lufs) != EBUR128_SUCCESS)
        return -HUGE_VAL;
    return lufs;
}

double LoudnessMeter::peak() const
{
    // As libebur128 scales an int: full scale is 2^31.
    return state ? double(highest) / 2147483648.0 : 0.0;
}

double LoudnessMeter::loudnessOf(const std::vector<const LoudnessMeter *> &meters)
{
    std::vector<ebur128_state *> states;
    for (const LoudnessMeter *meter : meters)
        if (meter && meter->state)
            states.push_back(meter->state->meter);
    double lufs = -HUGE_VAL;
    if (states.empty() || ebur128_loudness_global_multiple(states.data(), states.size(), &lufs) != EBUR128_SUCCESS)
        return -HUGE_VAL;
    return lufs;
}

QString replayGainText(double loudness)
{
    const double gain = std::isfinite(loudness) ? REFERENCE_LUFS - loudness : 0.0;
    return QString::asprintf("%+.2f dB", std::abs(gain) < 0.005 ? 0.0 : gain);
}

QString replayPeakText(double peak)
{
    return QString::asprintf("%.6f", peak);
}
