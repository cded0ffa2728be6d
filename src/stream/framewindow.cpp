#include "stream/framewindow.h"

#include <cstring>

FrameWindowSink::FrameWindowSink(SampleSink &inner_, const FrameWindow &window_, const StreamInfo &format)
    : inner(inner_), window(window_)
{
    channels[0] = format.group1Channels;
    channels[1] = format.group2Channels;
    width[0] = sampleBytes(format.group1Bits);
    width[1] = sampleBytes(format.group2Bits);
    const int ratio = channels[1] > 0 && format.group2SampleRate > 0
                          ? qMax(1, format.group1SampleRate / format.group2SampleRate) : 1;
    drop[0] = window.drop;
    keep[0] = window.keep;
    // Group 2's frames of the same times: from the frame the cut falls in.
    drop[1] = window.drop / ratio;
    keep[1] = window.keep < 0 ? -1 : (window.drop + window.keep + ratio - 1) / ratio - drop[1];
}

qint64 FrameWindowSink::framesKept(qint64 decoded) const
{
    if (inner.keepsSamples())
        return kept;
    const qint64 within = qMax<qint64>(0, decoded - window.drop);
    return window.keep >= 0 ? qMin(within, window.keep) : within;
}

SampleSink::Targets FrameWindowSink::reserve(int frames1, int frames2)
{
    scratched = drop[0] > 0 || drop[1] > 0 || keep[0] == 0;
    if (!scratched)
        return inner.reserve(frames1, frames2); // the frames go straight on; commit cuts the end
    const int frames[2] = {frames1, frames2};
    size_t bytes[2];
    for (int g = 0; g < 2; ++g)
        bytes[g] = size_t(qMax(0, frames[g])) * size_t(channels[g]) * size_t(width[g]);
    if (scratch.size() < bytes[0] + bytes[1])
        scratch.resize(bytes[0] + bytes[1]);
    scratchGroup[0] = scratch.data();
    scratchGroup[1] = scratch.data() + bytes[0];
    Targets room;
    for (int g = 0, n = 0; g < 2; ++g)
        for (int c = 0; c < channels[g] && n < MAX_CHANNELS; ++c, ++n)
            room.channel[n] = frames[g] > 0 ? scratchGroup[g] + c * width[g] : nullptr;
    room.stride1 = channels[0] * width[0];
    room.stride2 = channels[1] * width[1];
    return room;
}

Result FrameWindowSink::commit(int frames1, int frames2)
{
    const int frames[2] = {frames1, frames2};
    int from[2] = {}, count[2] = {};
    for (int g = 0; g < 2; ++g) {
        const qint64 dropped = scratched ? qMin<qint64>(frames[g], drop[g]) : 0;
        drop[g] -= dropped;
        from[g] = int(dropped);
        count[g] = frames[g] - from[g];
        if (keep[g] >= 0) {
            count[g] = int(qMin<qint64>(count[g], keep[g]));
            keep[g] -= count[g];
        }
    }
    kept += count[0];
    if (!scratched)
        return inner.commit(count[0], count[1]);
    return count[0] > 0 || count[1] > 0 ? handOn(from[0], count[0], from[1], count[1]) : Result();
}

Result FrameWindowSink::handOn(int from1, int count1, int from2, int count2)
{
    const Targets to = inner.reserve(count1, count2);
    const int from[2] = {from1, from2}, count[2] = {count1, count2};
    const int stride[2] = {to.stride1, to.stride2};
    for (int g = 0, n = 0; g < 2; ++g) {
        const int frameBytes = channels[g] * width[g];
        for (int c = 0; c < channels[g] && n < MAX_CHANNELS; ++c, ++n) {
            if (!to.channel[n] || count[g] <= 0)
                continue;
            const quint8 *in = scratchGroup[g] + size_t(from[g]) * size_t(frameBytes) + size_t(c * width[g]);
            quint8 *out = to.channel[n];
            for (int f = 0; f < count[g]; ++f, in += frameBytes, out += stride[g])
                std::memcpy(out, in, size_t(width[g]));
        }
    }
    return inner.commit(count1, count2);
}
