#include "pcmpacking.h"

#include "profile.h"

namespace testzone {

StreamInfo pcmInfo(int assignment, const PcmGroup &group1, const PcmGroup &group2)
{
    StreamInfo info;
    info.subStreamId = SUBSTREAM_PCM;
    info.channelAssignment = assignment;
    info.group1Channels = group1.channels;
    info.group1Bits = group1.bits;
    info.group1SampleRate = group1.rate;
    info.group2Channels = group2.channels;
    info.group2Bits = group2.channels ? group2.bits : 0;
    info.group2SampleRate = group2.channels ? group2.rate : 0;
    info.substreams = 1;
    return info;
}

PcmSamples makePcmSamples(const PcmGroup &group, int frames, quint32 seed)
{
    const qint32 top = (1 << (group.bits - 1)) - 1;
    const qint32 bottom = -top - 1;
    const qint32 fixed[] = {top, bottom, 0, -1, 1, top - 1};
    PcmSamples s;
    s.reserve(size_t(frames) * size_t(group.channels));
    quint32 state = seed * 2654435761u + 12345u;
    for (int f = 0; f < frames; ++f) {
        for (int c = 0; c < group.channels; ++c) {
            state = state * 1664525u + 1013904223u;
            qint32 v;
            if (f < int(sizeof fixed / sizeof fixed[0]))
                v = fixed[(f + c) % int(sizeof fixed / sizeof fixed[0])];
            else // the upper bits of the generator, sign-extended to the sample width
                v = qint32(state) >> (32 - group.bits);
            s.push_back(v);
        }
    }
    return s;
}

int pcmRateRatio(const PcmGroup &group1, const PcmGroup &group2)
{
    return group2.channels > 0 && group2.rate > 0 ? group1.rate / group2.rate : 1;
}

int pcmGroup2Frames(const PcmGroup &group1, const PcmGroup &group2, int group1Frames)
{
    if (group2.channels <= 0)
        return 0;
    const int ratio = pcmRateRatio(group1, group2);
    const int units1 = group1Frames / 2;
    return 2 * ((units1 + ratio - 1) / ratio);
}

namespace {

// One unit: frames f and f + 1 of the group.
void packUnit(QByteArray &out, const PcmGroup &group, const PcmSamples &s, int f)
{
    const int n = 2 * group.channels;
    const qint32 *v = s.data() + size_t(f) * size_t(group.channels);
    for (int k = 0; k < n; ++k) {
        // The upper 16 bits of the sample, whatever its width.
        const quint32 upper = quint32(v[k]) >> (group.bits - 16);
        out.append(char(upper >> 8));
        out.append(char(upper));
    }
    if (group.bits == 24) {
        for (int k = 0; k < n; ++k)
            out.append(char(v[k]));
    } else if (group.bits == 20) {
        for (int k = 0; k < n; k += 2)
            out.append(char(((v[k] & 0xF) << 4) | (v[k + 1] & 0xF)));
    }
}

} // namespace

QByteArray packPcm(const PcmGroup &group1, const PcmSamples &samples1, const PcmGroup &group2,
                   const PcmSamples &samples2)
{
    QByteArray out;
    const int frames1 = int(samples1.size()) / group1.channels;
    const int ratio = pcmRateRatio(group1, group2);
    int frame2 = 0;
    for (int f = 0, phase = 0; f + 1 < frames1; f += 2) {
        if (phase == 0 && group2.channels > 0) {
            packUnit(out, group2, samples2, frame2);
            frame2 += 2;
        }
        phase = (phase + 1) % ratio;
        packUnit(out, group1, samples1, f);
    }
    return out;
}

QByteArray waveSamples(const PcmGroup &group, const PcmSamples &samples)
{
    QByteArray out;
    for (qint32 v : samples) {
        const quint32 u = group.bits == 20 ? quint32(v) << 4 : quint32(v);
        out.append(char(u));
        out.append(char(u >> 8));
        if (group.bits > 16)
            out.append(char(u >> 16));
    }
    return out;
}

PcmSamples channelOf(const PcmGroup &group, const PcmSamples &samples, int channel)
{
    PcmSamples out;
    for (size_t i = size_t(channel); i < samples.size(); i += size_t(group.channels))
        out.push_back(samples[i]);
    return out;
}

std::vector<qint32> asInt32(const PcmGroup &group, const PcmSamples &samples)
{
    std::vector<qint32> out;
    out.reserve(samples.size());
    for (qint32 v : samples)
        out.push_back(qint32(quint32(v) << (32 - group.bits)));
    return out;
}

int pcmBitsCode(int bits)
{
    return bits == 24 ? 2 : bits == 20 ? 1 : 0;
}

int pcmRateCode(int rate)
{
    switch (rate) {
    case 48000: return 0;
    case 96000: return 1;
    case 192000: return 2;
    case 44100: return 8;
    case 88200: return 9;
    case 176400: return 10;
    default: return 15;
    }
}

packs::PcmFormat pcmFormat(const PcmGroup &group1, const PcmGroup &group2, int assignment)
{
    // A group without channels still has codes in the header; they are not read. The
    // plain profile repeats group 1's there, authoring writes 15 ("none").
    const PcmGroup &second = group2.channels > 0 ? group2 : group1;
    const bool none = group2.channels <= 0 && authored();
    packs::PcmFormat format;
    format.bitCodes = pcmBitsCode(group1.bits) << 4 | (none ? 15 : pcmBitsCode(second.bits));
    format.rateCodes = pcmRateCode(group1.rate) << 4 | (none ? 15 : pcmRateCode(second.rate));
    format.channelAssignment = assignment;
    return format;
}

} // namespace testzone
