#pragma once
// Strips packs down to their audio bytes and hands them to a dumper. Two counters cut an
// MLP object where its audio begins and ends: bytes to skip before its own first major
// sync, and bytes allowed up to the next object's. A packet whose length field or PCM
// sub-stream header length is damaged is counted, and its audio taken from where the
// pack's layout and the stream's own header length put it, so that the samples after it
// stay in step.
#include <QtGlobal>

#include "1-base/result.h"

class DVDAStreamDumper;

class PayloadReader {
public:
    // pcmHeaderLength: the length byte of the stream's PCM sub-stream headers (0 unknown).
    explicit PayloadReader(DVDAStreamDumper &dumper, int pcmHeaderLength = 0)
        : target(dumper), pcmHeader(pcmHeaderLength)
    {
    }

    // One 2048-byte pack. skip and limit, when above 0, replace the counters; both count
    // audio bytes, the limit from the first audio byte of this pack, skipped ones included.
    Result read(const quint8 *pack, int skip = 0, int limit = 0);
    // Whether a limit was set and is used up: nothing more is handed on.
    bool limitReached() const { return limit == -1; }
    // Packets read whose length or header length was damaged.
    qint64 damagedPackets() const { return damaged; }

private:
    DVDAStreamDumper &target;
    int pcmHeader;
    qint64 damaged = 0;
    qint32 skip = 0;  // audio bytes still to skip; 0 none, -1 done
    qint32 limit = 0; // audio bytes still allowed; 0 no limit, -1 reached
};
