#pragma once
// The description of one audio object's stream, held by value in every track and
// index and copied into every dumper. The header fields are filled once, from the
// object's first blocks; dumper, skip and limit are the working state of payload
// extraction on a copy. The collected payload is only needed while the header is
// parsed: a zone's objects drop it, so thousands of them cost little memory.
#include <QtGlobal>
#include <vector>

class DVDAStreamDumper;

enum { STREAM_PAYLOAD_SIZE = 32768 };
enum { SUBSTREAM_PCM = 0xA0, SUBSTREAM_MLP = 0xA1 };

struct StreamInfo {
    DVDAStreamDumper *dumper = nullptr; // where extractPayload writes; not owned
    qint32 skip = 0;                    // payload bytes still to skip; 0 none, -1 done
    qint32 limit = 0;                   // payload bytes still allowed; 0 no limit, -1 reached
    std::vector<quint8> payload;        // collected private-stream payload, at most 32 KiB
    qint32 payloadLength = 0;           // bytes collected (kept after the payload is dropped)

    // Frees the collected bytes; the fields parsed from them stay.
    void dropPayload() { std::vector<quint8>().swap(payload); }
    quint8 subStreamId = 0;             // 0xA0 PCM, 0xA1 MLP, other: unknown
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
};
