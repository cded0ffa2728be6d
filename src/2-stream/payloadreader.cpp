#include "2-stream/payloadreader.h"

#include "1-base/streaminfo.h"
#include "2-stream/packetreader.h"
#include "2-stream/streamdumper.h"

namespace {
// The offset from the sub-stream id at which a PCM header's pointer places the first
// access unit that starts in its packet (the pointer counts from its own last byte).
int pointedUnit(const quint8 *payload)
{
    return 5 + ((payload[4] << 8) | payload[5]);
}
} // namespace

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
    forEachPrivatePacket(pack, [&](const quint8 *payload, int length, PacketLength packetLength, const quint8 *) {
        // Once a write failed, the rest of the pack is not written after it.
        if (result.failed())
            return;
        int header = privateHeaderLength(payload, length);
        bool badHeader = false;
        if (payload[0] == SUBSTREAM_PCM) {
            if (pcmHeaderHolds(payload, length)) {
                pcmHeader = payload[3];
                notePcmUnits(payload, length);
            } else {
                badHeader = true;
                header = qMin(4 + repairedPcmHeader(payload, length), length);
            }
        }
        if (packetLength == PacketLength::Damaged || badHeader)
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
