#include "extraction/pcmtrackcut.h"

#include <cmath>

#include "base/pts.h"
#include "stream/packetreader.h"
#include "zone/dvdazone.h"

namespace {

// A unit the stream times: where it lies among the title's group-1 frames, and where it
// starts among its block's audio bytes.
struct PlacedUnit {
    qint64 frame = 0;
    int audioOffset = 0;
};

class TitleClock {
public:
    TitleClock(DVDATitleset &titleset_, const StreamInfo &info) : titleset(titleset_)
    {
        const PcmGeometry geometry = pcmGeometry(info);
        rate = info.group1SampleRate;
        const int ratio = info.group2Channels > 0 && info.group2SampleRate > 0
                              ? info.group1SampleRate / info.group2SampleRate : 1;
        cycleBytes = geometry.cycleBytes;
        framesPerCycle = 2 * ratio;
        unitFrames = cycleBytes > 0 ? geometry.unitBytes / cycleBytes * framesPerCycle : 0;
    }

    // The title's first block sets the clock: its first timed unit is at the frame its
    // place among the block's whole unit cycles gives.
    [[nodiscard]] bool start(quint32 block)
    {
        TimedUnit unit;
        if (unitFrames <= 0 || !timedUnit(block, &unit) || unit.audioOffset % cycleBytes != 0)
            return false;
        origin = unit.pts;
        originFrame = unit.audioOffset / cycleBytes * framesPerCycle;
        return true;
    }

    // Where the block's first timed unit lies; false when it has none or its time stamp
    // falls between units (it is no time of this stream).
    [[nodiscard]] bool place(quint32 block, PlacedUnit *placed)
    {
        TimedUnit unit;
        if (!timedUnit(block, &unit) || unit.pts < origin)
            return false;
        const double frames = double(unit.pts - origin) * rate / PTS_PER_SECOND;
        const qint64 units = qint64(std::llround(frames / unitFrames));
        if (std::abs(frames - double(units * unitFrames)) > 2.0)
            return false;
        placed->frame = originFrame + units * unitFrames;
        placed->audioOffset = unit.audioOffset;
        return true;
    }

    // Frames a block can hold, about.
    qint64 blockFrames() const { return (BLOCK_SIZE / qMax(1, cycleBytes) + 1) * framesPerCycle; }

private:
    [[nodiscard]] bool timedUnit(quint32 block, TimedUnit *unit)
    {
        quint8 pack[BLOCK_SIZE];
        return titleset.readBlock(block, pack).ok() && firstTimedPcmUnit(pack, unit);
    }

    DVDATitleset &titleset;
    int rate = 0;
    int cycleBytes = 0;
    int framesPerCycle = 2;
    int unitFrames = 0;
    qint64 origin = 0;
    qint64 originFrame = 0;
};

} // namespace

bool cutPcmTrack(const DVDATrack &track, DVDATitleset &titleset, PcmTrackCut *cut)
{
    const auto *title = static_cast<const DVDATitle *>(track.parent());
    if (!title || title->kind() != KindTitle || track.indexes.empty()
        || track.streamInfo.subStreamId != SUBSTREAM_PCM)
        return false;
    const DVDATrack *opening = nullptr;
    for (const DVDATrack *t : title->tracks)
        if (!opening && !t->indexes.empty())
            opening = t;
    const int rate = track.streamInfo.group1SampleRate;
    TitleClock clock(titleset, track.streamInfo);
    if (!opening || rate <= 0 || !clock.start(opening->firstBlock()))
        return false;

    // Decoding starts at the first timed unit of the track's first block, or of a block
    // before it when the track begins earlier (in the block before, or in its bytes ahead
    // of its own first unit).
    enum { MOST_BACK = 3 };
    const qint64 start = ptsToSamples(track.titleStartPts(), rate);
    quint32 first = track.firstBlock();
    PlacedUnit unit;
    if (!clock.place(first, &unit))
        return false;
    for (int back = 0; unit.frame > start; ++back) {
        if (back == MOST_BACK || first <= opening->firstBlock() || !clock.place(first - 1, &unit))
            return false;
        --first;
    }
    // Further off than a few blocks, the time stamps and the lengths disagree.
    if (start - unit.frame > 4 * clock.blockFrames())
        return false;

    // The track ends where the next one begins; that may be in the block after its last.
    const DVDATrack *next = nullptr;
    for (size_t k = 0; k + 1 < title->tracks.size(); ++k)
        if (title->tracks[k] == &track)
            next = title->tracks[k + 1];
    // When the next track's first block holds this one's end, the stream runs on into it
    // (its timed unit lies near that end).
    const qint64 end = ptsToSamples(track.titleStartPts() + track.lengthPts, rate);
    quint32 last = track.lastBlock();
    // A track whose blocks hold much more than its length is not where its length says.
    PlacedUnit ending;
    if (next && (!clock.place(last, &ending) || ending.frame > end + 2 * clock.blockFrames()))
        return false;
    PlacedUnit after;
    if (next && !next->indexes.empty() && next->firstBlock() == last + 1 && last < titleset.lastAobBlock
        && clock.place(last + 1, &after) && std::abs(after.frame - end) <= 2 * clock.blockFrames())
        ++last;

    cut->first = first;
    cut->last = last;
    cut->skip = unit.audioOffset;
    cut->window.drop = start - unit.frame;
    // The title's last track runs to the end of its stream.
    cut->window.keep = next ? end - start : -1;
    return true;
}
