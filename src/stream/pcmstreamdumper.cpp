#include "stream/pcmstreamdumper.h"

#include <cstring>


namespace {

[[nodiscard]] bool knownBits(int bits)
{
    return bits == 16 || bits == 20 || bits == 24;
}

int packedUnitSize(int channels, int bits)
{
    return knownBits(bits) ? bits * channels / 4 : 0;
}

} // namespace

Result DVDAPCMStreamDumper::check(const StreamInfo &info)
{
    const int c1 = info.group1Channels, c2 = info.group2Channels;
    if (c1 <= 0 || c2 < 0 || c1 + c2 > MAX_GROUP_CHANNELS)
        return ResultCode::BadChannels;
    if (!knownBits(info.group1Bits) || (c2 > 0 && !knownBits(info.group2Bits)))
        return ResultCode::UnknownDepth;
    if (info.group1SampleRate <= 0
        || (c2 > 0 && (info.group2SampleRate <= 0 || info.group2SampleRate > info.group1SampleRate)))
        return ResultCode::BadSampleRate;
    return ResultCode::Succeeded;
}

DVDAPCMStreamDumper::DVDAPCMStreamDumper(const StreamInfo &info_, SampleSink &sink_)
    : info(info_), sink(sink_), state(check(info_))
{
    info.dropPayload();
    if (state.failed())
        return;
    unit1 = packedUnitSize(info.group1Channels, info.group1Bits);
    unit2 = info.group2Channels > 0 ? packedUnitSize(info.group2Channels, info.group2Bits) : 0;
    ratio = info.group2Channels > 0 ? info.group1SampleRate / info.group2SampleRate : 1;
    unpack1 = pcmUnpacker(info.group1Channels, info.group1Bits);
    unpack2 = pcmUnpacker(info.group2Channels, info.group2Bits);
}

Result DVDAPCMStreamDumper::write(const quint8 *data, int length)
{
    if (state.failed() || length <= 0 || !data)
        return state;

    int pos = 0;
    if (carry > 0) {
        // Complete the carried unit; the phase (and so its size) has not moved since.
        const int size = unitSize();
        const int take = qMin(size - carry, length);
        std::memcpy(carried + carry, data, take);
        carry += take;
        pos = take;
        if (carry < size)
            return state;
        carry = 0;
        // One whole step: all of it is used.
        [[maybe_unused]] const int used = unpackSteps(carried, size);
        Q_ASSERT(used == size);
    }
    pos += unpackSteps(data + pos, length - pos);
    carry = length - pos;
    std::memcpy(carried, data + pos, carry);
    return state;
}

void DVDAPCMStreamDumper::stepsIn(int length, int most, int *steps, int *units2) const
{
    // Group-1 units up to the next group-2 unit, whole cycles, then part of a cycle.
    const int lead = unit2 > 0 ? (ratio - phase) % ratio : most;
    int count = qMin(qMin(most, lead), length / unit1);
    int second = 0;
    if (count == lead && unit2 > 0) {
        int left = length - count * unit1;
        const int cycle = unit2 + ratio * unit1;
        const int cycles = qMin(left / cycle, (most - count) / ratio);
        count += cycles * ratio;
        second += cycles;
        left -= cycles * cycle;
        const int rest = qMin(most - count, int(ratio));
        if (rest > 0 && left >= unit2 + unit1) {
            count += qMin(rest, (left - unit2) / unit1);
            ++second;
        }
    }
    *steps = count;
    *units2 = second;
}

int DVDAPCMStreamDumper::unpackSteps(const quint8 *p, int length)
{
    const quint8 *at = p;
    for (;;) {
        int steps = 0, units2 = 0;
        stepsIn(length - int(at - p), BATCH_UNITS, &steps, &units2);
        if (steps == 0)
            return int(at - p);
        frames += 2 * steps;
        if (!sink.keepsSamples()) { // nothing is kept: only the frames count
            at += steps * unit1 + units2 * unit2;
            phase = (phase + steps) % ratio;
            continue;
        }
        SampleTargets room = sink.reserve(2 * steps, 2 * units2);
        at = unpackRun(at, steps, room);
        const Result committed = sink.commit(2 * steps, 2 * units2);
        if (state.ok())
            state = committed;
    }
}

const quint8 *DVDAPCMStreamDumper::unpackRun(const quint8 *at, int steps, SampleTargets &room)
{
    quint8 **out1 = room.channel, **out2 = room.channel + info.group1Channels;
    const int stride1 = room.stride1, stride2 = room.stride2;
    const auto inStreamOrder = [&](int count) {
        // Group 1's units lie back to back between two of group 2's.
        for (int done = 0; done < count;) {
            if (phase == 0 && unit2 > 0) {
                unpack2(PcmRun{at, 1, unit2, stride2, 2 * stride2}, out2);
                at += unit2;
            }
            const int run = unit2 > 0 ? qMin(count - done, ratio - phase) : count - done;
            unpack1(PcmRun{at, run, unit1, stride1, 2 * stride1}, out1);
            at += run * unit1;
            done += run;
            phase = (phase + run) % ratio;
        }
    };
    if (unit2 == 0) {
        inStreamOrder(steps);
        return at;
    }
    // Up to the next cycle, then whole cycles, where the k-th unit of each group lies a
    // cycle's length after the one of the cycle before, then the rest.
    const int lead = qMin(steps, (ratio - phase) % ratio);
    inStreamOrder(lead);
    const int cycles = (steps - lead) / ratio;
    if (cycles > 0) {
        const int cycle = unit2 + ratio * unit1;
        unpack2(PcmRun{at, cycles, cycle, stride2, 2 * stride2}, out2);
        for (int k = 0; k < ratio; ++k) {
            quint8 *out[MAX_GROUP_CHANNELS];
            for (int n = 0; n < info.group1Channels; ++n)
                out[n] = out1[n] + k * 2 * stride1;
            unpack1(PcmRun{at + unit2 + k * unit1, cycles, cycle, stride1, ratio * 2 * stride1},
                    out);
        }
        for (int n = 0; n < info.group1Channels; ++n)
            out1[n] += qint64(cycles) * ratio * 2 * stride1;
        at += qint64(cycles) * cycle;
    }
    inStreamOrder(steps - lead - cycles * ratio);
    return at;
}
