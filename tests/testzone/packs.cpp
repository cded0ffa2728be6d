#include "packs.h"

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

StreamLayout pcmLayout(const PcmFormat &format, int restLength)
{
    StreamLayout layout;
    layout.firstHeader = pcmSubStreamHeader(format, restLength);
    return layout;
}

StreamLayout mlpLayout()
{
    StreamLayout layout;
    layout.firstHeader = mlpSubStreamHeader();
    return layout;
}

PackedStream packStream(const QByteArray &audio, const StreamLayout &layout)
{
    PackedStream out;
    const QByteArray &later = layout.laterHeader.isEmpty() ? layout.firstHeader
                                                           : layout.laterHeader;
    const int packetCount = qBound(1, layout.packetsPerPack, 2);
    int pos = 0;
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
            packets << privatePacket(*headers[k] + audio.mid(at, sizes[k]), h[k]);
            at += sizes[k];
        }
        out.packs += pack(packets, layout.stuffing);
        out.audio += audio.mid(pos, take);
        out.audioPerPack << take;
        ++out.count;
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
