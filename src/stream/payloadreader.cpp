#include "stream/payloadreader.h"

#include <cstring>

#include "base/streaminfo.h"
#include "stream/packetreader.h"
#include "stream/streamdumper.h"

namespace {
// The offset from the sub-stream id at which a PCM header's pointer places the first
// access unit that starts in its packet (the pointer counts from its own last byte).
int pointedUnit(const quint8 *payload)
{
    return 5 + ((payload[4] << 8) | payload[5]);
}
} // namespace

PayloadReader::PayloadReader(DVDAStreamDumper &dumper, const StreamInfo *pcmStream)
    : target(dumper), pcmObject(pcmStream != nullptr)
{
    if (!pcmStream)
        return;
    pcmFormat = *pcmStream;
    pcmFormat.dropPayload();
    pcmHeader = pcmStream->headerLength;
    pcm = pcmGeometry(*pcmStream);
}

const quint8 *PayloadReader::pcmHeaderNear(const quint8 *payload, int length, const quint8 *packet) const
{
    enum { REACH = 8 };
    const quint8 *end = payload + length;
    const auto holdsStreamHeader = [&](const quint8 *at, bool anyId) {
        if (at < packet + 9 || end - at < 12 || !(anyId || at[0] == SUBSTREAM_PCM) || !pcmHeaderHolds(at, int(end - at)))
            return false;
        // The header's fields as a PCM header gives them, its id byte taken as PCM's.
        quint8 fields[12];
        std::memcpy(fields, at, sizeof fields);
        fields[0] = SUBSTREAM_PCM;
        StreamInfo seen;
        parseStreamHeader(seen, fields, int(sizeof fields));
        // The id byte itself may be what is damaged; the format must be the stream's.
        return seen.channelAssignment == pcmFormat.channelAssignment && seen.group1Bits == pcmFormat.group1Bits
            && seen.group1SampleRate == pcmFormat.group1SampleRate && seen.group2Bits == pcmFormat.group2Bits
            && seen.group2SampleRate == pcmFormat.group2SampleRate;
    };
    if (holdsStreamHeader(payload, true))
        return payload;
    for (int shift = 1; shift <= REACH; ++shift)
        for (const quint8 *at : {payload - shift, payload + shift})
            if (holdsStreamHeader(at, false))
                return at;
    return nullptr;
}

void PayloadReader::countContinuity(const quint8 *payload)
{
    const int counter = payload[1] & 0x1F;
    if (lastCounter >= 0) {
        if (counter == ((lastCounter + 1) & 0x1F))
            ++counterSteps;
        else if (counter != 0 && counterSteps >= 2) // 0: a track begins
            lost += (counter - lastCounter - 1) & 0x1F;
    }
    lastCounter = counter;
}

void PayloadReader::notePcmUnits(const quint8 *payload, int length)
{
    if (pcm.unitBytes <= 0 || unitPhase == -2 || length < 6)
        return;
    const int audio = 4 + payload[3];
    const int unit = pointedUnit(payload);
    if (unit < audio || unit >= length)
        return; // no unit starts in this packet, or the pointer says nothing
    const qint64 phase = (position + unit - audio) % pcm.unitBytes;
    unitPhase = unitPhase == -1 || unitPhase == phase ? phase : -2;
}

int PayloadReader::repairedPcmHeader(const quint8 *payload, int length) const
{
    enum { SHORTEST = 8, LONGEST = 255 };
    if (pcm.unitBytes <= 0 || unitPhase < 0 || length < 6)
        return pcmHeader;
    const int unit = pointedUnit(payload);
    // Lengths that put the pointed unit where units start; among them, those that leave
    // whole cycles of units in the packet, as authoring packs them.
    int found = -1, count = 0, whole = -1, wholeCount = 0;
    for (int rest = SHORTEST; rest <= LONGEST && 4 + rest <= length; ++rest) {
        const int audio = 4 + rest;
        if (unit < audio || unit >= length || (position + unit - audio) % pcm.unitBytes != unitPhase)
            continue;
        found = rest;
        ++count;
        if (pcm.cycleBytes > 0 && (position + length - audio) % pcm.cycleBytes == 0) {
            whole = rest;
            ++wholeCount;
        }
    }
    if (wholeCount == 1)
        return whole;
    return count == 1 ? found : pcmHeader;
}

Result PayloadReader::read(const quint8 *pack, int skipBytes, int limitBytes)
{
    if (skipBytes > 0)
        skip = skipBytes;
    if (limitBytes > 0)
        limit = limitBytes;
    Result result;
    forEachPrivatePacket(pack, [&](const quint8 *payload, int length, PacketLength packetLength,
                                   const quint8 *packet) {
        // Once a write failed, the rest of the pack is not written after it.
        if (result.failed())
            return;
        bool badHeader = false;
        if (pcmObject && payload[0] != SUBSTREAM_PCM) {
            const quint8 *found = pcmHeaderNear(payload, length, packet);
            ++damaged;
            lastCounter = -1;
            if (!found)
                return; // no PCM header of this stream: its audio cannot be placed
            length -= int(found - payload);
            payload = found;
            badHeader = true; // counted already
        }
        int header = privateHeaderLength(payload, length);
        if (payload[0] == SUBSTREAM_PCM || (pcmObject && badHeader)) {
            if (pcmHeaderHolds(payload, length)) {
                header = 4 + payload[3];
                pcmHeader = payload[3];
                notePcmUnits(payload, length);
                if (!badHeader)
                    countContinuity(payload);
            } else {
                if (!badHeader)
                    ++damaged;
                badHeader = true;
                lastCounter = -1;
                header = qMin(4 + repairedPcmHeader(payload, length), length);
            }
        }
        if (packetLength == PacketLength::Damaged && !badHeader)
            ++damaged;
        else if (packetLength == PacketLength::Corrected)
            ++corrected;
        const quint8 *audio = payload + header;
        const int n = qMax(0, int(payload + length - audio));
        const quint8 *begin = audio;
        const quint8 *end = audio + n;
        bool wholeSkipped = false;
        if (skip > 0) {
            if (skip >= n) {
                skip -= n;
                wholeSkipped = true;
            } else {
                begin += skip;
                skip = -1;
            }
        }
        if (limit > 0 && limit < n)
            end = audio + limit;
        const bool writes = !wholeSkipped && limit != -1 && end > begin;
        if (mark >= 0 && mark < n) {
            // What the dumper made of the bytes before the mark, counted before the rest.
            const quint8 *at = qBound(begin, audio + mark, qMax(begin, end));
            if (writes && at > begin)
                result = target.write(begin, int(at - begin));
            framesAtMark = target.framesDone();
            mark = -1;
            if (writes && result.ok() && end > at)
                result = target.write(at, int(end - at));
        } else {
            if (mark >= 0)
                mark -= n;
            if (writes)
                result = target.write(begin, int(end - begin));
        }
        if (limit > 0)
            limit = limit <= n ? -1 : limit - n;
        position += n;
    });
    return result;
}
