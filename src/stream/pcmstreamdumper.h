#pragma once
// Unpacks DVD-Audio packed linear PCM (sub-stream 0xA0) into little-endian samples.
//
// The stream is a run of units; a unit holds two consecutive samples of every channel
// of one group: first the upper 16 bits of all 2 x c samples as big-endian words, then
// (24 bits) one low byte per sample or (20 bits) one low nibble per sample, high nibble
// first. Group 2's unit comes before group 1's whenever the phase is 0; with group 2
// at a lower rate the phase runs through group1Rate / group2Rate steps.
#include "base/streaminfo.h"
#include "stream/pcmunpacker.h"
#include "stream/streamdumper.h"

class DVDAPCMStreamDumper : public DVDAStreamDumper {
public:
    // A stream it cannot unpack (see check) is refused: every write fails with the
    // refusal, and the sink is never given a sample.
    DVDAPCMStreamDumper(const StreamInfo &info, SampleSink &sink);
    [[nodiscard]] Result write(const quint8 *data, int length) override;

    // Refuses a stream that cannot be unpacked: channel counts no assignment has
    // (BadChannels), an unknown bit resolution (UnknownDepth), a zero rate or group 2
    // faster than group 1 (BadSampleRate). Any of these would give units of no size or an
    // impossible cycle.
    [[nodiscard]] static Result check(const StreamInfo &info);

    qint32 phase = 0; // position in the group-2 cycle; group-2 units come at phase 0
    qint32 carry = 0; // bytes of an incomplete unit kept from the previous call

private:
    using SampleTargets = SampleSink::Targets;
    enum {
        MAX_GROUP_CHANNELS = SampleSink::MAX_CHANNELS,
        MAX_UNIT = 2 * 3 * MAX_GROUP_CHANNELS,
        BATCH_UNITS = 2048, // group-1 units laid out between two reservations of room
    };

    [[nodiscard]] int unitSize() const { return phase == 0 ? unit1 + unit2 : unit1; }
    // Unpacks the whole steps at the start of p (length bytes) into the files and
    // advances the phase; returns the bytes used.
    [[nodiscard]] int unpackSteps(const quint8 *p, int length);
    // Unpacks steps whole steps from at into the room; returns where they end.
    [[nodiscard]] const quint8 *unpackRun(const quint8 *at, int steps, SampleTargets &room);
    // The largest number of steps, at most `most`, that fit in length bytes from the
    // current phase, and the group-2 units among them.
    void stepsIn(int length, int most, int *steps, int *units2) const;

    StreamInfo info;
    SampleSink &sink;
    Result state;                 // the first failure; every later write reports it
    int unit1 = 0, unit2 = 0;     // packed unit sizes of the groups
    int ratio = 1;                // group-1 units per group-2 unit
    PcmUnpacker unpack1 = nullptr, unpack2 = nullptr;
    // The incomplete unit between two calls. A unit is completed from the next call's
    // bytes, so no more than one unit (at most 72 bytes) is ever copied.
    quint8 carried[2 * MAX_UNIT] = {};
};
