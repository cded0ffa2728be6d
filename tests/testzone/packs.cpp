#include "packs.h"

#include "profile.h"

namespace packs {

namespace {

void appendWord(QByteArray &bytes, int value)
{
    bytes.append(char(value >> 8));
    bytes.append(char(value & 0xFF));
}

// A PES header data area of length h: a PTS of 0 (with its marker bits) when it fits.
QByteArray headerData(int h)
{
    QByteArray data(h, char(0xFF));
    if (h >= 5) {
        const char pts[5] = {0x21, 0x00, 0x01, 0x00, 0x01};
        data.replace(0, 5, QByteArray(pts, 5));
    }
    return data;
}

int packetOverhead(const QByteArray &subHeader, int h)
{
    return 6 + 3 + h + int(subHeader.size());
}

} // namespace

QByteArray packHeader(int stuffing)
{
    stuffing &= 7;
    const char header[PACK_HEADER_SIZE] = {0x00, 0x00, 0x01, char(0xBA),
                                           0x44, 0x00, 0x04, 0x00, 0x04, 0x01,
                                           0x01, char(0x89), char(0xC3),
                                           char(0xF8 | stuffing)};
    return QByteArray(header, PACK_HEADER_SIZE) + QByteArray(stuffing, char(0xFF));
}

QByteArray pesPacket(int streamId, const QByteArray &body)
{
    QByteArray packet("\x00\x00\x01", 3);
    packet.append(char(streamId));
    appendWord(packet, int(body.size()));
    return packet + body;
}

QByteArray privatePacket(const QByteArray &payload, int headerDataLength)
{
    QByteArray body;
    body.append(char(0x81));
    body.append(char(headerDataLength >= 5 ? 0x80 : 0x00));
    body.append(char(headerDataLength));
    body += headerData(headerDataLength);
    body += payload;
    return pesPacket(0xBD, body);
}

QByteArray privatePacketAt(const QByteArray &payload, int headerDataLength, qint64 pts, bool extension)
{
    QByteArray data(headerDataLength, char(0xFF));
    int at = 0;
    if (pts >= 0 && headerDataLength >= 5) {
        // '0010', PTS 32..30, marker; 29..15, marker; 14..0, marker.
        const char stamp[5] = {char(0x21 | ((pts >> 29) & 0x0E)), char(pts >> 22),
                               char(((pts >> 14) & 0xFE) | 1), char(pts >> 7), char(((pts << 1) & 0xFE) | 1)};
        data.replace(0, 5, QByteArray(stamp, 5));
        at = 5;
    }
    const bool extended = extension && at + 3 <= headerDataLength;
    if (extended) {
        const char pstd[3] = {0x1E, 0x60, 0x0A}; // P-STD buffer flag, then its scale and size
        data.replace(at, 3, QByteArray(pstd, 3));
    }
    QByteArray body;
    body.append(char(0x81));
    body.append(char((at ? 0x80 : 0x00) | (extended ? 0x01 : 0x00)));
    body.append(char(headerDataLength));
    return pesPacket(0xBD, body + data + payload);
}

QByteArray paddingPacket(int size)
{
    return pesPacket(0xBE, QByteArray(qMax(size - 6, 0), char(0xFF)));
}

QByteArray systemHeader()
{
    // Rate bound, audio bound, flags, then one stream entry: private stream 1.
    const char body[] = {char(0x80), char(0xC4), char(0xE1), 0x04, char(0xE1), char(0xFF),
                         char(0xBD), char(0xE0), 0x0A};
    return pesPacket(0xBB, QByteArray(body, sizeof body));
}

QByteArray pcmSubStreamHeader(const PcmFormat &format, int restLength)
{
    QByteArray header(4 + restLength, char(0));
    header[0] = char(0xA0);
    header[3] = char(restLength);
    const int fields[][2] = {{5, 0x01},   // first access unit pointer (low byte)
                             {7, format.bitCodes},
                             {8, format.rateCodes},
                             {9, 0x00},
                             {10, format.channelAssignment},
                             {11, 0x10}}; // multiplexing info, not read
    for (const auto &field : fields)
        if (field[0] < header.size())
            header[field[0]] = char(field[1]);
    return header;
}

QByteArray mlpSubStreamHeader()
{
    QByteArray header(10, char(0));
    header[0] = char(0xA1);
    header[3] = char(6);
    return header;
}

QByteArray pack(const QList<QByteArray> &packets, int stuffing)
{
    QByteArray bytes = packHeader(stuffing);
    for (const QByteArray &packet : packets)
        bytes += packet;
    const int rest = PACK_SIZE - int(bytes.size());
    if (rest < 0)
        return QByteArray();
    bytes += rest >= 6 ? paddingPacket(rest) : QByteArray(rest, char(0));
    return bytes;
}

namespace {

// Channels of group 1 and group 2 of each channel assignment, as the format lays them out.
const int GROUP1_CHANNELS[21] = {1, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 3, 3, 3, 3, 3, 4, 4, 4};
const int GROUP2_CHANNELS[21] = {0, 0, 1, 2, 1, 2, 3, 1, 2, 3, 2, 3, 4, 1, 2, 1, 2, 3, 1, 1, 2};

int bitsOfCode(int code)
{
    return code == 0 ? 16 : code == 1 ? 20 : code == 2 ? 24 : 0;
}

int rateOfCode(int code)
{
    switch (code) {
    case 0: return 48000;
    case 1: return 96000;
    case 2: return 192000;
    case 8: return 44100;
    case 9: return 88200;
    case 10: return 176400;
    default: return 0;
    }
}

// An access unit lasts 1/1200 s at 48 kHz and its multiples, 40 samples at 44.1 kHz and
// its multiples.
int unitFramesAt(int rate)
{
    return rate % 44100 == 0 ? 40 * rate / 44100 : 40 * rate / 48000;
}

qint64 ticksOf(qint64 frames, int rate)
{
    return rate > 0 ? (frames * 90000 + rate / 2) / rate : 0;
}

} // namespace

StreamLayout pcmLayout(const PcmFormat &format, int restLength)
{
    StreamLayout layout;
    layout.firstHeader = pcmSubStreamHeader(format, restLength);
    const int assignment = format.channelAssignment;
    if (!testzone::authored() || restLength != 8 || assignment < 0 || assignment > 20)
        return layout;
    const int c1 = GROUP1_CHANNELS[assignment], c2 = GROUP2_CHANNELS[assignment];
    const int b1 = bitsOfCode(format.bitCodes >> 4), b2 = bitsOfCode(format.bitCodes & 15);
    const int r1 = rateOfCode(format.rateCodes >> 4), r2 = rateOfCode(format.rateCodes & 15);
    if (b1 == 0 || r1 == 0 || (c2 > 0 && (b2 == 0 || r2 == 0)))
        return layout; // a format made to be wrong: packed as it comes
    const int ratio = c2 > 0 ? r1 / r2 : 1;
    if (ratio < 1)
        return layout; // group 2 faster than group 1: no stream a disc has
    layout.authored = true;
    layout.authoredHeader = layout.firstHeader;
    layout.cycleBytes = ratio * b1 * c1 / 4 + (c2 > 0 ? b2 * c2 / 4 : 0);
    layout.unitFrames = unitFramesAt(r1);
    layout.unitBytes = layout.unitFrames / (2 * ratio) * layout.cycleBytes;
    layout.sampleRate = r1;
    return layout;
}

StreamLayout mlpLayout()
{
    StreamLayout layout;
    layout.firstHeader = mlpSubStreamHeader();
    layout.authored = testzone::authored();
    layout.authoredHeader = layout.firstHeader;
    return layout;
}

bool laysOutAuthored(const StreamLayout &layout)
{
    return layout.authored && layout.firstHeader == layout.authoredHeader && layout.laterHeader.isEmpty() && layout.audioPerPack == 0
        && layout.packetsPerPack == 1 && layout.firstHeaderDataLength == 5 && layout.headerDataLength == 0
        && !layout.systemHeader;
}

namespace {

// A stream's first time stamp under the authored profile: not 0, and not the same for
// every stream.
qint64 firstPtsOf(const QByteArray &audio, const StreamLayout &layout)
{
    return layout.firstPts >= 0 ? layout.firstPts : 585 + 37 * (audio.size() % 97);
}

// Where each access unit of an MLP stream begins, from the first one with a major sync
// (bytes before it are the tail of another object), and the stream's rate.
QList<int> mlpUnitStarts(const QByteArray &audio, int *rate)
{
    QList<int> starts;
    const int sync = int(audio.indexOf(QByteArray("\xF8\x72\x6F\xBB", 4)));
    *rate = 0;
    if (sync < 4 || sync + 5 >= audio.size())
        return starts;
    *rate = rateOfCode(quint8(audio[sync + 5]) >> 4);
    for (int at = sync - 4; at + 2 <= audio.size();) {
        starts << at;
        const int size = 2 * ((quint8(audio[at]) << 8 | quint8(audio[at + 1])) & 0xFFF);
        if (size < 4)
            break;
        at += size;
    }
    return starts;
}

// The PCM sub-stream header as authoring writes it: the format bytes of the plain one,
// a continuity counter, the access unit pointer (5 + pointer is the unit's offset from
// the sub-stream id), the header's length, and filler where nothing is defined.
QByteArray authoredPcmHeader(const QByteArray &plain, int restLength, int pointer, int counter)
{
    QByteArray header(4 + restLength, char(0));
    for (int at = 0; at < header.size(); ++at)
        header[at] = char(testzone::filler(0x5000 + quint32(counter), at));
    for (int at : {0, 7, 8, 10})
        header[at] = plain[at];
    header[1] = char(counter & 0x1F);
    header[3] = char(restLength);
    header[4] = char(pointer >> 8);
    header[5] = char(pointer);
    header[6] = char(0x10);
    header[11] = char(0x80);
    return header;
}

QByteArray authoredMlpHeader(int pointer, int counter)
{
    QByteArray header = mlpSubStreamHeader();
    for (int at = 1; at < header.size(); ++at)
        header[at] = char(testzone::filler(0x6000 + quint32(counter), at));
    header[1] = char(counter & 0x1F);
    header[3] = char(6);
    header[4] = char(pointer >> 8);
    header[5] = char(pointer);
    return header;
}

// The authored profile's packing: a system header and a PES extension in the first pack,
// a time stamp on every packet where an access unit starts, PCM packs of whole unit
// cycles behind headers of changing length, and a padding packet after the last audio.
PackedStream packAuthored(const QByteArray &audio, const StreamLayout &layout)
{
    const bool pcm = !layout.firstHeader.isEmpty() && quint8(layout.firstHeader[0]) == 0xA0;
    int rate = layout.sampleRate, unitFrames = layout.unitFrames;
    QList<int> mlpStarts;
    if (!pcm) {
        mlpStarts = mlpUnitStarts(audio, &rate);
        unitFrames = rate > 0 ? unitFramesAt(rate) : 0;
    }
    const int unitBytes = pcm ? layout.unitBytes : 0;
    const qint64 firstPts = firstPtsOf(audio, layout);
    PackedStream out;
    int pos = 0;
    for (int counter = 0; pos < audio.size(); ++counter) {
        const bool first = pos == 0;
        const QByteArray system = first ? systemHeader() : QByteArray();
        const int h = first ? 8 : 5;
        const int room = PACK_SIZE - int(packHeader(layout.stuffing).size()) - int(system.size()) - 9 - h;
        const int left = int(audio.size()) - pos;
        int take = 0, rest = 0;
        if (pcm) {
            const int most = room - 12;
            if (left + 2 <= most) {
                take = left; // the last pack: a header of its own length, then padding
                rest = 10;
            } else {
                take = most / layout.cycleBytes * layout.cycleBytes;
                if (counter % 3 == 2 && take > layout.cycleBytes)
                    take -= layout.cycleBytes; // a header longer still, now and then
                rest = room - 4 - take;
            }
        } else {
            take = qMin(left, room - 10);
        }
        // The first access unit that starts in this packet: its offset and its index.
        int unitAt = -1, unitIndex = -1;
        if (pcm && unitBytes > 0) {
            const int k = (pos + unitBytes - 1) / unitBytes;
            if (k * unitBytes < pos + take) {
                unitAt = k * unitBytes - pos;
                unitIndex = k;
            }
        } else {
            for (int k = 0; k < mlpStarts.size(); ++k) {
                if (mlpStarts[k] >= pos && mlpStarts[k] < pos + take) {
                    unitAt = mlpStarts[k] - pos;
                    unitIndex = k;
                    break;
                }
            }
        }
        const int headerSize = pcm ? 4 + rest : 10;
        const int pointer = unitAt >= 0 ? headerSize + unitAt - 5 : 0;
        const QByteArray header = pcm ? authoredPcmHeader(layout.firstHeader, rest, pointer, counter)
                                      : authoredMlpHeader(pointer, counter);
        const qint64 pts = unitIndex >= 0 ? firstPts + ticksOf(qint64(unitIndex) * unitFrames, rate) : -1;
        QList<QByteArray> packets;
        if (!system.isEmpty())
            packets << system;
        packets << privatePacketAt(header + audio.mid(pos, take), h, pts, first);
        // The private packet's 9 bytes and H of header data come before its payload.
        const int headerAt = int(packHeader(layout.stuffing).size() + system.size()) + 9 + h;
        out.add(pack(packets, layout.stuffing), audio.mid(pos, take), headerAt);
        pos += take;
    }
    return out;
}

} // namespace

PackedStream packStream(const QByteArray &audio, const StreamLayout &layout)
{
    if (laysOutAuthored(layout))
        return packAuthored(audio, layout);
    PackedStream out;
    const QByteArray &later = layout.laterHeader.isEmpty() ? layout.firstHeader
                                                           : layout.laterHeader;
    const int packetCount = qBound(1, layout.packetsPerPack, 2);
    int pos = 0, packetNumber = 0;
    while (pos < audio.size()) {
        const bool first = pos == 0;
        const QByteArray system = first && layout.systemHeader ? systemHeader() : QByteArray();
        // Sub-stream header and PES header data length of each packet of this pack.
        const QByteArray *headers[2] = {first ? &layout.firstHeader : &later, &later};
        const int h[2] = {first ? layout.firstHeaderDataLength : layout.headerDataLength,
                          layout.headerDataLength};
        int room = PACK_SIZE - int(packHeader(layout.stuffing).size()) - int(system.size());
        for (int k = 0; k < packetCount; ++k)
            room -= packetOverhead(*headers[k], h[k]);
        if (layout.audioPerPack > 0)
            room = qMin(room, layout.audioPerPack);
        const int take = qMin(room, int(audio.size()) - pos);
        if (take <= 0)
            break; // headers leave no room for audio
        const int sizes[2] = {packetCount == 2 && take > 1 ? (take + 1) / 2 : take,
                              packetCount == 2 && take > 1 ? take / 2 : 0};

        QList<QByteArray> packets;
        if (!system.isEmpty())
            packets << system;
        int at = pos;
        for (int k = 0; k < 2 && sizes[k] > 0; ++k) {
            QByteArray header = *headers[k];
            // A PCM header's continuity counter: byte 1, modulo 32, packet by packet.
            if (header.size() > 3 && quint8(header[0]) == 0xA0)
                header[1] = char(packetNumber++ & 0x1F);
            packets << privatePacket(header + audio.mid(at, sizes[k]), h[k]);
            at += sizes[k];
        }
        const int headerAt = int(packHeader(layout.stuffing).size() + system.size()) + 9 + h[0];
        out.add(pack(packets, layout.stuffing), audio.mid(pos, take), headerAt);
        pos += take;
    }
    return out;
}

QByteArray leadIn(int n)
{
    // Bytes below 0x80 never make F8 72 6F BB.
    QByteArray bytes(n, char(0));
    for (int i = 0; i < n; ++i)
        bytes[i] = char((i * 37 + 11) & 0x7F);
    return bytes;
}

} // namespace packs
