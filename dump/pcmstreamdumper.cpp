#include "dump/pcmstreamdumper.h"

#include <cstring>

#include "extract/extractresult.h"

namespace {

bool knownBits(int bits)
{
    return bits == 16 || bits == 20 || bits == 24;
}

int packedUnitSize(int channels, int bits)
{
    return knownBits(bits) ? bits * channels / 4 : 0;
}

// Two samples of each of c channels, packed, into 2 x c little-endian samples of 2
// bytes (16 bits) or 3 bytes (20 bits with the low nibble zero, 24 bits).
void unpackUnit(const quint8 *unit, int channels, int bits, quint8 *out)
{
    const int count = 2 * channels;
    const quint8 *extra = unit + 2 * count;
    for (int k = 0; k < count; ++k) {
        const quint8 high = unit[2 * k], middle = unit[2 * k + 1];
        if (bits == 16) {
            *out++ = middle;
            *out++ = high;
            continue;
        }
        if (bits == 24)
            *out++ = extra[k];
        else
            *out++ = (k & 1) ? quint8(extra[k / 2] << 4) : quint8(extra[k / 2] & 0xF0);
        *out++ = middle;
        *out++ = high;
    }
}

} // namespace

int DVDAPCMStreamDumper::check(const StreamInfo &info, const ExtractOptions &options)
{
    const int c1 = info.group1Channels, c2 = info.group2Channels;
    if (c1 <= 0 || c1 > MAX_GROUP_CHANNELS || c2 < 0 || c2 > MAX_GROUP_CHANNELS)
        return ErrAllocConverter;
    if (!knownBits(info.group1Bits) || info.group1SampleRate <= 0)
        return ErrAllocConverter;
    if (c2 > 0 && (!knownBits(info.group2Bits) || info.group2SampleRate <= 0
                   || info.group2SampleRate > info.group1SampleRate))
        return ErrAllocConverter;
    // Linear PCM has no downmix; the driver refuses it before, this keeps the files right.
    if (options.downmix && !options.split && !mergeInEffect(info, options))
        return ErrDownmix;
    return ExtractSucceeded;
}

DVDAPCMStreamDumper::DVDAPCMStreamDumper(const StreamInfo &info_, const QString &basePath,
                                         const ExtractOptions &options_, JobQueue *jobs_)
    : DVDAFormattedStreamDumper(info_, basePath, options_, jobs_, check(info_, options_))
{
    if (check(info_, options_) != ExtractSucceeded)
        return;
    unit1 = packedUnitSize(info.group1Channels, info.group1Bits);
    unit2 = info.group2Channels > 0 ? packedUnitSize(info.group2Channels, info.group2Bits) : 0;
    sample1 = info.group1Bits == 16 ? 2 : 3;
    sample2 = info.group2Bits == 16 ? 2 : 3;
    ratio = info.group2Channels > 0 ? info.group1SampleRate / info.group2SampleRate : 1;
}

int DVDAPCMStreamDumper::write(const quint8 *data, int length)
{
    if (unit1 <= 0) // refused at construction: nothing can be unpacked
        return result != ExtractSucceeded ? result : int(ErrAllocConverter);
    if (length <= 0 || !data)
        return result;

    int pos = 0;
    if (carry > 0) {
        // Complete the carried unit; the phase (and so its size) has not moved since.
        const int take = qMin(unitSize() - carry, length);
        std::memcpy(carried + carry, data, take);
        carry += take;
        pos = take;
        if (carry < unitSize())
            return result;
        step(carried);
        carry = 0;
    }
    while (length - pos >= unitSize()) {
        const int size = unitSize();
        step(data + pos);
        pos += size;
    }
    carry = length - pos;
    std::memcpy(carried, data + pos, carry);
    return result;
}

void DVDAPCMStreamDumper::step(const quint8 *p)
{
    quint8 samples1[2 * MAX_GROUP_CHANNELS * 3];
    quint8 samples2[2 * MAX_GROUP_CHANNELS * 3];
    SampleRun group1{samples1, 2, info.group1Channels, sample1, info.group1Channels * sample1};
    SampleRun group2{samples2, 0, info.group2Channels, sample2, info.group2Channels * sample2};
    if (phase == 0 && unit2 > 0) {
        unpackUnit(p, info.group2Channels, info.group2Bits, samples2);
        group2.frames = 2;
        p += unit2;
    }
    phase = phase + 1 == ratio ? 0 : phase + 1;
    unpackUnit(p, info.group1Channels, info.group1Bits, samples1);
    if (!writeSamples(group1, group2))
        result = ErrWriteOutput;
}
