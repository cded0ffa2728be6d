#include "dump/objectcheck.h"

#include "dump/packetreader.h"
#include "dump/streaminfo.h"

namespace {
// Where a PCM sub-stream header (from its id on) gives bits, rates and channels.
const int FORMAT_BYTES[] = {7, 8, 10};

bool holdsFormat(const quint8 *header, int n)
{
    return n > 10 && header[0] == SUBSTREAM_PCM && header[3] > 7;
}
} // namespace

int ObjectCheck::decoderErrors() const
{
    int sum = 0;
    for (int count : errors)
        sum += count;
    return sum;
}

qint64 ObjectCheck::problems() const
{
    return decoderErrors() + unreadableBlocks + headerMismatches + sequenceGaps;
}

void ObjectCheck::noteProblemAt(qint64 ms)
{
    if (ms >= 0 && (firstProblemMs < 0 || ms < firstProblemMs))
        firstProblemMs = ms;
}

void checkPcmPack(ObjectCheck &check, const StreamInfo &track, const quint8 *pack, qint64 ms)
{
    // The track's format is what its first packet's header says. Private packets of
    // other sub-streams (text, say) are neither audio nor a gap; MLP is foreign.
    const bool known = holdsFormat(track.payload, track.payloadLength);
    bool privateData = false, audio = false, foreign = false;
    forEachPrivatePacket(pack, [&](const quint8 *payload, int length) {
        privateData = true;
        if (length < 1 || (payload[0] != SUBSTREAM_PCM && payload[0] != SUBSTREAM_MLP))
            return;
        audio = audio || payload[0] == SUBSTREAM_PCM;
        foreign = foreign || payload[0] == SUBSTREAM_MLP;
        if (!known || !holdsFormat(payload, length))
            return;
        for (int at : FORMAT_BYTES)
            foreign = foreign || payload[at] != track.payload[at];
    });
    if (audio)
        ++check.units;
    if (!privateData)
        ++check.sequenceGaps;
    if (foreign)
        ++check.headerMismatches;
    if (!privateData || foreign)
        check.noteProblemAt(ms);
}
