#include "2-stream/payloadreader.h"

#include "1-base/streaminfo.h"
#include "2-stream/packetreader.h"
#include "2-stream/streamdumper.h"

Result PayloadReader::read(const quint8 *pack, int skipBytes, int limitBytes)
{
    if (skipBytes > 0)
        skip = skipBytes;
    if (limitBytes > 0)
        limit = limitBytes;
    Result result;
    forEachPrivatePacket(pack, [&](const quint8 *payload, int length, bool badLength) {
        // Once a write failed, the rest of the pack is not written after it.
        if (result.failed())
            return;
        int header = privateHeaderLength(payload, length);
        const bool badHeader = pcmHeader > 0 && length > 4 && payload[0] == SUBSTREAM_PCM
                               && payload[3] != pcmHeader;
        if (badHeader)
            header = qMin(4 + pcmHeader, length);
        if (badLength || badHeader)
            ++damaged;
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
        if (!wholeSkipped && limit != -1 && end > begin)
            result = target.write(begin, int(end - begin));
        if (limit > 0)
            limit = limit <= n ? -1 : limit - n;
    });
    return result;
}
