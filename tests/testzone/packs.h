#pragma once
// Builders of 2048-byte MPEG-2 program-stream packs as DVD-Audio AOB files hold them:
// pack header, private stream 1 packets behind a DVD-Audio sub-stream header, padding
// packets, and whole elementary streams (packed PCM or MLP) cut into consecutive packs.
#include <QByteArray>
#include <QList>

namespace packs {

enum { PACK_SIZE = 2048, PACK_HEADER_SIZE = 14 };

// 00 00 01 BA, clock reference and mux rate, the stuffing count (0..7) in the low 3 bits
// of byte 13, then that many 0xFF bytes.
QByteArray packHeader(int stuffing = 0);
// Any PES packet: 00 00 01, stream id, 16-bit length, body.
QByteArray pesPacket(int streamId, const QByteArray &body);
// A private stream 1 packet (0xBD): flags, header data length H and H bytes of header
// data (a time stamp when H >= 5, 0xFF stuffing otherwise), then the private payload,
// which starts with the sub-stream header.
QByteArray privatePacket(const QByteArray &payload, int headerDataLength = 0);
// The same with the time stamp pts (none when -1) and, when extension is set, a PES
// extension with a P-STD buffer size, as a stream's first packet has; H bytes in all.
QByteArray privatePacketAt(const QByteArray &payload, int headerDataLength, qint64 pts, bool extension);
// A padding packet (0xBE) of exactly size bytes (at least 6), 0xFF filled.
QByteArray paddingPacket(int size);
// A system header (00 00 01 BB), as the first pack of a stream may carry.
QByteArray systemHeader();

struct PcmFormat {
    int bitCodes = 0x00;  // group 1 << 4 | group 2: 0 16 bit, 1 20 bit, 2 24 bit
    int rateCodes = 0x00; // group 1 << 4 | group 2: 0 48000, 1 96000, 8 44100, 9 88200, ...
    int channelAssignment = 1;
};

// 0xA0, restLength at byte 3, the format at bytes 7, 8 and 10: 4 + restLength bytes.
// Bytes past the end of a short header are left out.
QByteArray pcmSubStreamHeader(const PcmFormat &format, int restLength = 8);
// 0xA1 and nine more bytes (byte 3 = 6): the 10-byte header discs and ffmpeg use.
QByteArray mlpSubStreamHeader();

// One 2048-byte pack: header, the packets in order, and a padding packet for the rest
// (fewer than 6 bytes left are zero, where no packet fits). Empty if they don't fit.
QByteArray pack(const QList<QByteArray> &packets, int stuffing = 0);

// How an elementary stream is laid into packs.
struct StreamLayout {
    QByteArray firstHeader;        // sub-stream header of the stream's first packet
    QByteArray laterHeader;        // of every later packet; empty: same as firstHeader
    int audioPerPack = 0;          // at most this many audio bytes a pack; 0: fill packs
    int packetsPerPack = 1;        // 1 or 2 private stream 1 packets in each pack
    int stuffing = 0;              // pack header stuffing bytes (0..7)
    int firstHeaderDataLength = 5; // PES header data length of the first packet (a PTS)
    int headerDataLength = 0;      // of every later packet
    bool systemHeader = false;     // a system header before the first packet

    // Under the authored profile (profile.h) pcmLayout and mlpLayout lay packs out as other
    // authoring does; a layout a test changes by hand is kept as it says.
    bool authored = false;
    QByteArray authoredHeader; // the first header as the layout was made
    int cycleBytes = 0;       // PCM: one cycle of sample units (group 2's and group 1's)
    int unitFrames = 0;       // PCM: frames of one access unit; MLP: from the major sync
    int unitBytes = 0;        // PCM: bytes of one access unit
    int sampleRate = 0;       // PCM: group 1's; MLP: from the major sync
    qint64 firstPts = -1;     // of the stream's first access unit; -1: one the stream picks
};

// Under the authored profile a PCM layout with the usual header length packs whole cycles
// of units into each pack, the header's length changing to fill it.
StreamLayout pcmLayout(const PcmFormat &format, int restLength = 8);
StreamLayout mlpLayout();
// Whether a layout still lays out as the authored profile does: what pcmLayout and
// mlpLayout made, its packet layout unchanged.
bool laysOutAuthored(const StreamLayout &layout);

struct PackedStream {
    QByteArray packs;         // count whole packs of PACK_SIZE bytes
    int count = 0;
    QByteArray audio;         // the audio bytes as written into the packs, in order
    QList<int> audioPerPack;  // audio bytes each pack carries
    QList<int> headerAt;      // where in each pack its first sub-stream header begins

    void add(const QByteArray &pack, const QByteArray &packAudio, int firstHeaderAt)
    {
        packs += pack;
        audio += packAudio;
        audioPerPack << int(packAudio.size());
        headerAt << firstHeaderAt;
        ++count;
    }
};

// Cuts audio into consecutive packs; every packet gets a sub-stream header and the
// last pack is padded. Access units run on across pack boundaries as on a disc.
PackedStream packStream(const QByteArray &audio, const StreamLayout &layout);

// n filler bytes that hold no MLP sync word: put before a stream, they place its first
// access unit at audio offset n (as the tail of a previous object does on a disc).
QByteArray leadIn(int n);

} // namespace packs
