#pragma once
// Strips packs down to their audio bytes and hands them to a dumper. Two counters cut an
// MLP object where its audio begins and ends: bytes to skip before its own first major
// sync, and bytes allowed up to the next object's.
//
// Each PCM packet's audio starts where its own sub-stream header ends: authoring varies
// the header's length from pack to pack (so that a pack holds whole sample units). A
// packet whose own fields contradict it is counted as damaged: a length field that does
// not end it at the next packet or the pack's end, or a PCM header length too short for
// the fields such a header holds or running past the packet. Its audio is then taken from
// where the pack's layout puts it and from the header length that the packet's access
// unit pointer and whole unit cycles allow (or the last sound one's), so that the
// samples after it stay in step.
//
// In a PCM object every private packet is the object's audio. One whose sub-stream id is
// not PCM was damaged (its id, or the PES header's data length that says where it
// starts): it is counted, and taken where a PCM header of the stream's format stands
// (within a few bytes); where none does, its audio is lost, not made up. The headers'
// continuity counter (byte 1, modulo 32, back to 0 where a track begins) shows packets
// that were lost whole (their stream id damaged, say): counted once the stream's counter
// has been seen to count.
#include <QtGlobal>

#include "base/result.h"
#include "base/streaminfo.h"
#include "stream/packetreader.h"

class DVDAStreamDumper;

class PayloadReader {
public:
    // pcmStream: the description of a PCM object's stream (its first header's length is
    // taken for a damaged one until a sound one was read); null for any other stream.
    explicit PayloadReader(DVDAStreamDumper &dumper, const StreamInfo *pcmStream = nullptr);

    // One 2048-byte pack. skip and limit, when above 0, replace the counters; both count
    // audio bytes, the limit from the first audio byte of this pack, skipped ones included.
    [[nodiscard]] Result read(const quint8 *pack, int skip = 0, int limit = 0);
    // Whether a limit was set and is used up: nothing more is handed on.
    [[nodiscard]] bool limitReached() const { return limit == -1; }
    // A mark at that audio byte from the start of the next pack read: framesAtMark() then
    // gives the frames the dumper made of the bytes before it (-1 until it was reached).
    void markAt(int audioOffset)
    {
        mark = audioOffset;
        framesAtMark = -1;
    }
    [[nodiscard]] qint64 markedFrames() const { return framesAtMark; }
    // Packets read whose length or header length was damaged.
    [[nodiscard]] qint64 damagedPackets() const { return damaged; }
    // Packets whose length took in the next packet's prefix (PacketLength::Corrected):
    // their end is certain, nothing was lost.
    [[nodiscard]] qint64 correctedPackets() const { return corrected; }
    // PCM packets the continuity counter shows missing.
    [[nodiscard]] qint64 lostPackets() const { return lost; }
    // Blocks were passed over (unreadable): the counter's next step is not compared.
    void resync() { lastCounter = -1; }

private:
    // Where a PCM header of the stream's format stands in a packet whose id is not PCM:
    // the payload (from the id on) where it does, else null.
    [[nodiscard]] const quint8 *pcmHeaderNear(const quint8 *payload, int length, const quint8 *packet) const;
    void countContinuity(const quint8 *payload);
    // The header length byte a damaged PCM header most likely had.
    [[nodiscard]] int repairedPcmHeader(const quint8 *payload, int length) const;
    // Learns where access units start from a sound PCM header.
    void notePcmUnits(const quint8 *payload, int length);

    DVDAStreamDumper &target;
    const bool pcmObject;
    StreamInfo pcmFormat; // the PCM stream's, without its payload
    int pcmHeader = 0; // the last sound PCM header length byte
    PcmGeometry pcm;
    qint64 lost = 0;
    int lastCounter = -1;  // the continuity counter of the last sound PCM header
    int counterSteps = 0;  // steps by one seen: the counter counts
    qint64 position = 0;  // audio bytes of the object so far, skipped ones included
    qint64 unitPhase = -1; // where access units start, modulo their size; -2 when pointers disagree
    qint64 damaged = 0;
    qint64 corrected = 0;
    qint32 skip = 0;  // audio bytes still to skip; 0 none, -1 done
    qint32 limit = 0; // audio bytes still allowed; 0 no limit, -1 reached
    qint32 mark = -1; // audio bytes up to the mark; -1 none
    qint64 framesAtMark = -1;
};
