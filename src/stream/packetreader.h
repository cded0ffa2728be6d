#pragma once
// The pack and sub-stream layout of AOB files: private stream 1 payloads and the PCM and
// MLP stream headers.
#include <QtGlobal>

#include "base/streaminfo.h"

// From up to 16 consecutive packs: type, channel groups, rates, bits, bit rate,
// substreams and where the first MLP major sync lies.
void readStreamInfo(StreamInfo &info, const quint8 *packs, int count);
// Appends one pack's private stream 1 payload to info.payload.
void collectPackPayload(StreamInfo &info, const quint8 *pack);
void parseStreamHeader(StreamInfo &info, const quint8 *p, int n);
// Offset of the first access unit carrying a major sync, or -1.
[[nodiscard]] int findMajorSync(const quint8 *p, int n);
// Whether the 28 bytes of a major sync from its sync word (F8 72 6F BB) carry a checksum
// that holds.
[[nodiscard]] bool majorSyncChecksumHolds(const quint8 *sync);
// Length of the sub-stream header (0xA0/0xA1) of a private payload, else 0.
[[nodiscard]] int privateHeaderLength(const quint8 *p, int n);
// How a PCM stream lies in its packs, by which a damaged sub-stream header length is
// repaired. A cycle is the units of one run through the group-2 phase; an access unit
// (whose start a header's pointer gives) lasts 40 samples at 44.1 or 48 kHz, 80 at 88.2
// or 96 kHz, 160 at 176.4 or 192 kHz. 0 where the stream does not tell.
struct PcmGeometry {
    int cycleBytes = 0;
    int unitBytes = 0;
};
[[nodiscard]] PcmGeometry pcmGeometry(const StreamInfo &info);

// The first access unit of a pack that its stream times: the PES time stamp (90 kHz
// ticks; MPEG-2 gives it for the first unit that starts in the packet) of the first
// private stream 1 packet that has one and whose PCM header (a sound one) points at a
// unit starting in it, and where that unit starts among the pack's audio bytes. False
// where no packet of the pack has both.
struct TimedUnit {
    qint64 pts = 0;
    int audioOffset = 0;
};
[[nodiscard]] bool firstTimedPcmUnit(const quint8 *pack, TimedUnit *unit);

// Whether the PCM sub-stream header of a payload of n bytes is sound: long enough for the
// fields a PCM header holds (through byte 11, the byte after the channel assignment) and
// within its packet.
[[nodiscard]] bool pcmHeaderHolds(const quint8 *p, int n);

// What a private packet's length field says of the pack.
enum class PacketLength {
    Sound,     // it ends the pack, or where the next packet starts
    Corrected, // it takes in the 6-byte prefix (start code, id, length) of the packet after
               // it, a known authoring fault: that packet starts, and its chain ends the
               // pack, exactly 6 bytes short of the declared end, so the true end is certain
    Damaged,   // anything else: where it ends is a guess from the pack's layout
};

// Where the packet that starts at pos really ends: at declaredEnd (from its length field)
// when that is the end of the pack or the start of the next packet (or leaves fewer than
// 6 zero bytes, where no packet fits); otherwise at the packet whose chain ends the pack,
// or at the end of the pack. *length says which.
[[nodiscard]] int privatePacketEnd(const quint8 *pack, int pos, int declaredEnd, PacketLength *length);

// Calls back for each private stream 1 packet of a pack: the payload (from the
// sub-stream id on), its length, what its length field was worth (a payload whose
// length was not sound runs to where the pack's layout says the packet ends) and the
// packet itself (its PES header). One walk serves stream-info reading, extraction,
// checking and timing.
template <typename Visit>
inline void forEachPrivatePacket(const quint8 *pack, Visit visit)
{
    enum { PACK_SIZE = 2048 };
    if (pack[0] != 0 || pack[1] != 0 || pack[2] != 1 || pack[3] != 0xBA)
        return;
    int pos = 14 + (pack[13] & 7);
    while (pos + 6 <= PACK_SIZE) {
        if (pack[pos] != 0 || pack[pos + 1] != 0 || pack[pos + 2] != 1)
            break;
        const int streamId = pack[pos + 3];
        const int length = (pack[pos + 4] << 8) | pack[pos + 5];
        PacketLength state = PacketLength::Sound;
        const int end = streamId == 0xBD ? privatePacketEnd(pack, pos, pos + 6 + length, &state)
                                         : qMin(pos + 6 + length, int(PACK_SIZE));
        if (streamId == 0xBD && pos + 9 <= end) {
            const int start = pos + 9 + pack[pos + 8];
            if (start < end)
                visit(pack + start, end - start, state, pack + pos);
        }
        pos = end;
    }
}
