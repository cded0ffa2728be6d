#include "stream/packetreader.h"

#include <cstring>

#include "stream/channeltable.h"

namespace {

enum { PACK_SIZE = 2048 };

int bitsFromCode(int code)
{
    switch (code) {
    case 0: return 16;
    case 1: return 20;
    case 2: return 24;
    default: return 0;
    }
}

// Group 2 has no 176400/192000 rate: those codes mean "none" there.
int rateFromCode(int code, bool group2)
{
    switch (code) {
    case 0: return 48000;
    case 1: return 96000;
    case 2: return group2 ? 0 : 192000;
    case 8: return 44100;
    case 9: return 88200;
    case 10: return group2 ? 0 : 176400;
    default: return 0;
    }
}

// The fields both PCM and MLP headers give: id, bit and rate codes (high nibble
// group 1, low nibble group 2).
void setFormat(StreamInfo &info, int assignment, int bitCodes, int rateCodes)
{
    info.channelAssignment = assignment;
    // An assignment without a row leaves no channel, which the dumpers refuse.
    if (!channelGroupSizes(assignment, &info.group1Channels, &info.group2Channels))
        info.group1Channels = info.group2Channels = 0;
    info.group1Bits = bitsFromCode(bitCodes >> 4);
    info.group2Bits = bitsFromCode(bitCodes & 15);
    info.group1SampleRate = rateFromCode(rateCodes >> 4, false);
    info.group2SampleRate = rateFromCode(rateCodes & 15, true);
}

// PCM sub-stream header offsets (from the sub-stream id).
enum { PCM_BITS = 7, PCM_RATES = 8, PCM_ASSIGNMENT = 10 };
// Major sync offsets from the sync word F8 72 6F BB.
enum { SYNC_BITS = 4, SYNC_RATES = 5, SYNC_ASSIGNMENT = 7, SYNC_PEAK_RATE = 14,
       SYNC_SUBSTREAMS = 16 };

void parsePcmHeader(StreamInfo &info, const quint8 *p, int n)
{
    // Only a header of more than 8 bytes that lies wholly in the collected bytes.
    if (p[3] <= 7 || n <= PCM_ASSIGNMENT)
        return;
    setFormat(info, p[PCM_ASSIGNMENT], p[PCM_BITS], p[PCM_RATES]);
    info.bitRate = info.group1Channels * info.group1SampleRate * info.group1Bits
                 + info.group2Channels * info.group2SampleRate * info.group2Bits;
    info.substreams = 1;
}

// Bytes of a major sync from its sync word: 26 described and checked, 2 of checksum.
enum { SYNC_CHECKED_BYTES = 24, SYNC_CHECKSUM_AT = 26, SYNC_BYTES = 28 };

// CRC-16 with polynomial 0x2D, most significant bit first, from 0.
quint16 crc2D(const quint8 *p, int n)
{
    quint16 crc = 0;
    for (int i = 0; i < n; ++i) {
        crc ^= quint16(p[i] << 8);
        for (int b = 0; b < 8; ++b)
            crc = quint16(crc & 0x8000 ? (crc << 1) ^ 0x2D : crc << 1);
    }
    return crc;
}

// The major sync whose description to take: the first one whose checksum holds, so that
// a damaged first one (a flipped rate code, say) does not describe the stream. From the
// access unit at offset on; -1 when there is none.
int firstSoundMajorSync(const quint8 *p, int n, int from)
{
    for (int at = from; at >= 0 && at + 4 + SYNC_BYTES <= n;) {
        if (majorSyncChecksumHolds(p + at + 4))
            return at;
        const int next = findMajorSync(p + at + 1, n - at - 1);
        at = next < 0 ? -1 : at + 1 + next;
    }
    return -1;
}

void parseMlpHeader(StreamInfo &info, const quint8 *p, int n)
{
    const int audio = 4 + p[3];
    info.majorSyncOffset = audio < n ? findMajorSync(p + audio, n - audio) : -1;
    if (info.majorSyncOffset < 0)
        return;
    // The stream starts at the first major sync; it is described by the first sound one
    // (or the first, when none in the collected bytes holds).
    const int sound = firstSoundMajorSync(p + audio, n - audio, info.majorSyncOffset);
    // findMajorSync keeps 24 bytes after the access unit start, so S[0..20) is inside.
    const quint8 *s = p + audio + (sound >= 0 ? sound : info.majorSyncOffset) + 4;
    // The decoder takes the low 5 bits; the 3 above them are reserved.
    setFormat(info, s[SYNC_ASSIGNMENT] & 0x1F, s[SYNC_BITS], s[SYNC_RATES]);
    const int peak = (s[SYNC_PEAK_RATE] << 8) | s[SYNC_PEAK_RATE + 1];
    info.variableBitRate = (peak & 0x8000) != 0;
    // 15 bits times 192000 overflows 32 bits.
    info.bitRate = qint32(((qint64(peak & 0x7FFF) * info.group1SampleRate) + 8) >> 4);
    // The count is the high nibble, as the decoder reads it; the low nibble is
    // something else (1 in one- and two-substream streams alike).
    info.substreams = s[SYNC_SUBSTREAMS] >> 4;
}

} // namespace

void readStreamInfo(StreamInfo &info, const quint8 *packs, int count)
{
    info = StreamInfo();
    for (int k = 0; k < count; ++k)
        collectPackPayload(info, packs + k * PACK_SIZE);
    if (info.payloadLength > 0)
        parseStreamHeader(info, info.payload.data(), info.payloadLength);
}

void collectPackPayload(StreamInfo &info, const quint8 *pack)
{
    forEachPrivatePacket(pack, [&info](const quint8 *p, int n, PacketLength, const quint8 *) {
        // Only the first packet keeps its sub-stream header: it describes the stream.
        const bool first = info.payloadLength == 0;
        const int header = privateHeaderLength(p, n);
        if (!first) {
            p += header;
            n -= header;
        }
        // An MLP header that runs past its packet leaves the packet without audio. Zeros
        // stand in for the missing header bytes, so that the major sync offset counts the
        // audio from the next packet on, as extraction does.
        const int missing = first && header > 0 && p[0] == SUBSTREAM_MLP ? 4 + p[3] - n : 0;
        n = qMin(n, int(STREAM_PAYLOAD_SIZE) - info.payloadLength);
        if (n <= 0)
            return;
        // Grown as the bytes come: most objects need one packet's worth, not 32 KiB.
        info.payload.resize(size_t(info.payloadLength + n + qMax(0, missing)));
        std::memcpy(info.payload.data() + info.payloadLength, p, size_t(n));
        info.payloadLength += n;
        if (missing > 0) {
            std::memset(info.payload.data() + info.payloadLength, 0, size_t(missing));
            info.payloadLength += missing;
        }
    });
}

void parseStreamHeader(StreamInfo &info, const quint8 *p, int n)
{
    info.majorSyncOffset = 0;
    info.channelAssignment = -1;
    info.group1Channels = info.group1SampleRate = info.group1Bits = 0;
    info.group2Channels = info.group2SampleRate = info.group2Bits = 0;
    info.variableBitRate = false;
    info.bitRate = 0;
    info.substreams = 0;
    if (n <= 0)
        return;
    info.subStreamId = p[0];
    if (n < 4)
        return;
    info.headerLength = p[3];
    if (p[0] == SUBSTREAM_PCM)
        parsePcmHeader(info, p, n);
    else if (p[0] == SUBSTREAM_MLP)
        parseMlpHeader(info, p, n);
}

bool majorSyncChecksumHolds(const quint8 *sync)
{
    // The CRC's high byte first, then its low byte, as the two bytes after the checked ones
    // are read: little-endian.
    const quint16 crc = crc2D(sync, SYNC_CHECKED_BYTES);
    const quint16 checksum = quint16(crc >> 8 | crc << 8) ^ quint16(sync[24] | sync[25] << 8);
    return checksum == quint16(sync[SYNC_CHECKSUM_AT] | sync[SYNC_CHECKSUM_AT + 1] << 8);
}

int findMajorSync(const quint8 *p, int n)
{
    for (int i = 0; i < n - 24; ++i)
        if (p[i + 4] == 0xF8 && p[i + 5] == 0x72 && p[i + 6] == 0x6F && p[i + 7] == 0xBB)
            return i;
    return -1;
}

// A header said to run past the payload is cut at its end: such a packet has no audio.
int privateHeaderLength(const quint8 *p, int n)
{
    if (n <= 4 || (p[0] != SUBSTREAM_PCM && p[0] != SUBSTREAM_MLP))
        return 0;
    return qMin(4 + p[3], n);
}

namespace {
// The PTS of a PES packet at pos, when its flags say it has one: '0010' or '0011', bits
// 32-30, marker, 29-15, marker, 14-0, marker.
[[nodiscard]] bool packetPts(const quint8 *pack, int pos, qint64 *pts)
{
    if (pos + 14 > 2048 || !(pack[pos + 7] & 0x80) || pack[pos + 8] < 5)
        return false;
    const quint8 *p = pack + pos + 9;
    if ((p[0] & 0x01) == 0 || (p[2] & 0x01) == 0 || (p[4] & 0x01) == 0)
        return false; // markers missing: not a time stamp
    *pts = (qint64(p[0] & 0x0E) << 29) | (qint64(p[1]) << 22) | (qint64(p[2] >> 1) << 15)
           | (qint64(p[3]) << 7) | (p[4] >> 1);
    return true;
}
} // namespace

bool firstTimedPcmUnit(const quint8 *pack, TimedUnit *unit)
{
    int audioBefore = 0;
    bool found = false;
    forEachPrivatePacket(pack, [&](const quint8 *payload, int length, PacketLength, const quint8 *packet) {
        if (found)
            return;
        const bool pcm = payload[0] == SUBSTREAM_PCM && pcmHeaderHolds(payload, length) && length >= 6;
        const int audio = pcm ? 4 + payload[3] : privateHeaderLength(payload, length);
        const int pointed = pcm ? 5 + ((payload[4] << 8) | payload[5]) : 0;
        qint64 pts = 0;
        if (pcm && pointed >= audio && pointed < length && packetPts(pack, int(packet - pack), &pts)) {
            unit->pts = pts;
            unit->audioOffset = audioBefore + pointed - audio;
            found = true;
        }
        audioBefore += qMax(0, length - audio);
    });
    return found;
}

PcmGeometry pcmGeometry(const StreamInfo &info)
{
    PcmGeometry g;
    const int rate1 = info.group1SampleRate, rate2 = info.group2SampleRate;
    if (rate1 <= 0 || info.group1Channels <= 0 || info.group1Bits <= 0)
        return g;
    const bool second = info.group2Channels > 0;
    if (second && (rate2 <= 0 || info.group2Bits <= 0 || rate1 % rate2 != 0))
        return g;
    const int ratio = second ? rate1 / rate2 : 1;
    g.cycleBytes = ratio * info.group1Bits * info.group1Channels / 4
                   + (second ? info.group2Bits * info.group2Channels / 4 : 0);
    const int unitFrames = rate1 % 44100 == 0 ? 40 * rate1 / 44100 : 40 * rate1 / 48000;
    if (unitFrames > 0 && unitFrames % (2 * ratio) == 0)
        g.unitBytes = unitFrames / (2 * ratio) * g.cycleBytes;
    return g;
}

bool pcmHeaderHolds(const quint8 *p, int n)
{
    enum { FIELDS = 8 }; // bytes 4-11: access unit pointer, flags, codes, assignment
    return n > 3 && p[3] >= FIELDS && 4 + p[3] <= n;
}

namespace {
[[nodiscard]] bool startsPacket(const quint8 *pack, int at)
{
    return at + 6 <= 2048 && pack[at] == 0 && pack[at + 1] == 0 && pack[at + 2] == 1;
}

// Fewer than 6 bytes left, all zero: the tail a pack has where no packet fits.
[[nodiscard]] bool zeroTail(const quint8 *pack, int at)
{
    if (at + 6 <= 2048 || at >= 2048)
        return false;
    for (int k = at; k < 2048; ++k)
        if (pack[k] != 0)
            return false;
    return true;
}

// Whether the packets from at on end the pack exactly; brokenStart accepts a damaged start
// code in the first one.
[[nodiscard]] bool chainEndsPack(const quint8 *pack, int at, bool brokenStart = false)
{
    for (bool first = true; at < 2048 && !zeroTail(pack, at); first = false) {
        if (at + 6 > 2048 || (!startsPacket(pack, at) && !(first && brokenStart)))
            return false;
        at += 6 + ((pack[at + 4] << 8) | pack[at + 5]);
    }
    return at == 2048 || zeroTail(pack, at);
}
} // namespace

int privatePacketEnd(const quint8 *pack, int pos, int declaredEnd, PacketLength *length)
{
    *length = PacketLength::Sound;
    if (declaredEnd == 2048 || (declaredEnd < 2048 && (startsPacket(pack, declaredEnd) || zeroTail(pack, declaredEnd))))
        return declaredEnd;
    // The length is right where the packet after it only lost its start code: the walk
    // ends there.
    if (declaredEnd < 2048 && chainEndsPack(pack, declaredEnd, true))
        return declaredEnd;
    enum { PREFIX = 6 }; // 00 00 01, stream id, 16-bit length
    for (int at = pos + 9; at + 6 <= 2048; ++at) {
        if (startsPacket(pack, at) && (pack[at + 3] == 0xBD || pack[at + 3] == 0xBE) && chainEndsPack(pack, at)) {
            *length = at + PREFIX == declaredEnd ? PacketLength::Corrected : PacketLength::Damaged;
            return at;
        }
    }
    *length = PacketLength::Damaged;
    return 2048;
}
