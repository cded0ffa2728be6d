#include "2-stream/payloadreader.h"

#include "2-stream/packetreader.h"
#include "2-stream/streamdumper.h"

Result PayloadReader::read(const quint8 *pack, int skipBytes, int limitBytes)
{
    if (skipBytes > 0)
        skip = skipBytes;
    if (limitBytes > 0)
        limit = limitBytes;
    Result result;
    forEachPrivatePacket(pack, [&](const quint8 *payload, int length) {
        // Once a write failed, the rest of the pack is not written after it.
        if (result.failed())
            return;
        const quint8 *audio = payload + privateHeaderLength(payload, length);
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
