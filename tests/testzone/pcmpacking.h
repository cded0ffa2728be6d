#pragma once
// Known samples packed the way DVD-Audio linear PCM travels, so tests start from the
// samples and check what comes out of the converter against them.
//
// A unit holds two consecutive samples of every channel of one group: the upper 16 bits
// of the 2 x c samples as big-endian words, then for 24 bits their low bytes, for 20 bits
// their low nibbles two to a byte (high nibble first). With group 2 present, one group-2
// unit goes before the group-1 unit of every rate-ratio-th step, starting with the first.
#include <QByteArray>
#include <vector>

#include "base/streaminfo.h"
#include "packs.h"

namespace testzone {

struct PcmGroup {
    int channels = 0;
    int bits = 16; // 16, 20 or 24
    int rate = 48000;
};

// What the titleset's header says of a PCM stream of these groups (group 2 may have no
// channels), as the dumpers take it.
StreamInfo pcmInfo(int assignment, const PcmGroup &group1, const PcmGroup &group2 = PcmGroup{});

// Samples of one group frame by frame: channels values per frame, each a signed integer
// of the group's bit width.
using PcmSamples = std::vector<qint32>;

// A varied signal: the first frames hold the extremes, 0 and -1, the rest pseudo-random
// values over the whole range (each channel its own), so a swapped byte, nibble or
// channel shows.
PcmSamples makePcmSamples(const PcmGroup &group, int frames, quint32 seed);

// Group-1 units per group-2 unit: group-1 rate / group-2 rate.
int pcmRateRatio(const PcmGroup &group1, const PcmGroup &group2);
// Frames of group 2 that go with a group-1 stream of group1Frames frames (even).
int pcmGroup2Frames(const PcmGroup &group1, const PcmGroup &group2, int group1Frames);

// The packed stream of both groups; group 2 may have no channels.
QByteArray packPcm(const PcmGroup &group1, const PcmSamples &samples1,
                   const PcmGroup &group2 = PcmGroup{}, const PcmSamples &samples2 = {});

// The samples as a wave file holds them: little-endian, 2 bytes for 16 bits, 3 for 20
// (value shifted up by 4) and 24 bits.
QByteArray waveSamples(const PcmGroup &group, const PcmSamples &samples);
// Channel `channel` of the samples alone.
PcmSamples channelOf(const PcmGroup &group, const PcmSamples &samples, int channel);
// The samples as left-justified 32-bit values, the way a reader delivers "s32".
std::vector<qint32> asInt32(const PcmGroup &group, const PcmSamples &samples);

// Header codes of the PCM sub-stream header.
int pcmBitsCode(int bits);
int pcmRateCode(int rate);
// The sub-stream header's format for the groups and a channel assignment.
packs::PcmFormat pcmFormat(const PcmGroup &group1, const PcmGroup &group2, int assignment);

} // namespace testzone
