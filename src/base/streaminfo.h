#pragma once
// The description of one audio object's stream, held by value in every track and index,
// filled once from the object's first blocks. The collected payload is only needed while
// the header is parsed and when an MLP decoder starts: a zone's objects drop it, so
// thousands of them cost little memory.
#include <QtGlobal>
#include <vector>

enum { STREAM_PAYLOAD_SIZE = 32768 };
enum { SUBSTREAM_PCM = 0xA0, SUBSTREAM_MLP = 0xA1 };

struct StreamInfo {
    std::vector<quint8> payload;        // collected private-stream payload, at most 32 KiB
    qint32 payloadLength = 0;           // bytes collected (kept after the payload is dropped)

    // Frees the collected bytes; the fields parsed from them stay.
    void dropPayload() { std::vector<quint8>().swap(payload); }
    quint8 subStreamId = 0;             // 0xA0 PCM, 0xA1 MLP, other: unknown
    qint32 headerLength = 0;            // the first sub-stream header's length byte (byte 3)
    qint32 majorSyncOffset = 0;         // MLP: audio offset of the first major sync; -1 none
    qint32 channelAssignment = 0;       // -1 before any header was parsed
    qint32 group1Channels = 0;
    qint32 group1SampleRate = 0;
    qint32 group1Bits = 0;
    qint32 group2Channels = 0;
    qint32 group2SampleRate = 0;
    qint32 group2Bits = 0;
    bool variableBitRate = false;
    qint32 bitRate = 0;                 // PCM: bit rate; MLP: peak bit rate
    qint32 substreams = 0;              // PCM: 1; MLP: from the major sync

    [[nodiscard]] int channels() const { return group1Channels + group2Channels; }
};
