#pragma once
// Where the dumpers hand what they make of an object's audio: the stored bytes unchanged
// to a byte sink, decoded samples to a sample sink. The sinks are the output's business;
// a dumper knows neither files nor their formats.
#include <QtGlobal>

#include "base/result.h"

class ByteSink {
public:
    virtual ~ByteSink() = default;
    // The next run of bytes; after a failure nothing more is taken.
    [[nodiscard]] virtual Result write(const quint8 *data, int length) = 0;
};

// Samples are laid out in place, straight into the sink's own buffers: a 16-bit sample as
// two little-endian bytes, a 20- or 24-bit one as three, left-justified (20-bit samples
// have a zero low nibble). Sample f of stream channel n (group 1 then group 2) goes to
// channel[n] + f x the stride of its group.
class SampleSink {
public:
    enum { MAX_CHANNELS = 6 };
    struct Targets {
        quint8 *channel[MAX_CHANNELS] = {};
        int stride1 = 0, stride2 = 0;
    };

    virtual ~SampleSink() = default;
    // False for a sink that keeps no samples (a verification): a dumper then only
    // counts its frames and lays nothing out.
    [[nodiscard]] virtual bool keepsSamples() const { return true; }
    // Room for up to frames1 frames of group 1 and frames2 of group 2; a group without
    // frames gets null. The room is always there: when the output cannot take the
    // samples, they go to a scratch area and commit fails.
    [[nodiscard]] virtual Targets reserve(int frames1, int frames2) = 0;
    // Takes the frames laid out in the room of the last reserve.
    [[nodiscard]] virtual Result commit(int frames1, int frames2) = 0;
};

// Width in bytes of a sample of that many bits as a sample sink takes it.
[[nodiscard]] inline int sampleBytes(int bits)
{
    return bits > 16 ? 3 : 2;
}
