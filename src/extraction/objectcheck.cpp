#include "extraction/objectcheck.h"

#include "stream/packetreader.h"
#include "base/streaminfo.h"

namespace {
// Whether a packet's header gives another format than the track's.
[[nodiscard]] bool otherFormat(const StreamInfo &track, const quint8 *header, int length)
{
    StreamInfo seen;
    parseStreamHeader(seen, header, length);
    return seen.channelAssignment >= 0  // a header long enough to tell
        && (seen.channelAssignment != track.channelAssignment
            || seen.group1Bits != track.group1Bits || seen.group2Bits != track.group2Bits
            || seen.group1SampleRate != track.group1SampleRate
            || seen.group2SampleRate != track.group2SampleRate);
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
    return decoderErrors() + unreadableBlocks + headerMismatches + sequenceGaps + damagedPackets + lostPackets
           + (missingFrames > 0 ? 1 : 0) + (extraFrames > 0 ? 1 : 0);
}

void ObjectCheck::noteProblemAt(qint64 ms)
{
    if (ms >= 0 && (firstProblemMs < 0 || ms < firstProblemMs))
        firstProblemMs = ms;
}

void checkPcmPack(ObjectCheck &check, const StreamInfo &track, const quint8 *pack, qint64 ms)
{
    // Private packets of other sub-streams (text, say) are neither audio nor a gap; MLP
    // is foreign.
    bool privateData = false, audio = false, foreign = false;
    forEachPrivatePacket(pack, [&](const quint8 *payload, int length, PacketLength, const quint8 *) {
        privateData = true;
        if (length < 1 || (payload[0] != SUBSTREAM_PCM && payload[0] != SUBSTREAM_MLP))
            return;
        audio = audio || payload[0] == SUBSTREAM_PCM;
        foreign = foreign || payload[0] == SUBSTREAM_MLP;
        foreign = foreign || (payload[0] == SUBSTREAM_PCM && otherFormat(track, payload, length));
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
