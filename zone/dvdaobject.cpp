#include "zone/dvdaobject.h"

#include "zone/dvdazone.h"
#include "zone/objectpath.h"

DVDAZone *currentZone = nullptr;

QString formatPtsTime(quint32 pts)
{
    quint32 seconds = pts / PTS_PER_SECOND;
    if (pts % PTS_PER_SECOND >= PTS_PER_SECOND / 2)
        ++seconds;
    return QString::asprintf("%02u:%02u:%02u", seconds / 3600, (seconds / 60) % 60, seconds % 60);
}

DVDAObject::~DVDAObject() = default;

DVDATrack::DVDATrack()
{
    kindCode = KindTrack;
}

DVDATrack::~DVDATrack()
{
    for (DVDASectorPointer *index : indexes)
        delete index;
}

QString DVDATrack::timeText() const
{
    return formatPtsTime(lengthPts);
}

quint32 DVDATrack::timePts() const
{
    return lengthPts;
}

quint32 DVDATrack::firstBlock() const
{
    if (indexes.empty())
        return 0;
    quint32 first = indexes.front()->firstBlock();
    for (const DVDASectorPointer *index : indexes)
        first = qMin(first, index->firstBlock());
    return first;
}

quint32 DVDATrack::lastBlock() const
{
    if (indexes.empty())
        return 0;
    quint32 last = indexes.front()->lastBlock();
    for (const DVDASectorPointer *index : indexes)
        last = qMax(last, index->lastBlock());
    return last;
}

DVDASectorPointer::DVDASectorPointer()
{
    kindCode = KindIndex;
}

QString DVDASectorPointer::timeText() const
{
    return formatPtsTime(timePts());
}

// The owning track, found from the zone down by position; null when the index is not
// (or no longer) part of the current zone.
static const DVDATrack *owningTrack(const DVDASectorPointer *index)
{
    ObjectPath path;
    return resolveObjectPath(currentZone, index, &path) ? path.track : nullptr;
}

quint32 DVDASectorPointer::timePts() const
{
    const DVDATrack *track = owningTrack(this);
    if (!track)
        return 0;
    const quint32 trackBlocks = track->lastBlock() - track->firstBlock() + 1;
    if (trackBlocks == 0)
        return 0;
    const quint32 indexBlocks = last - first + 1;
    // The product needs up to 64 bits of mantissa; long double keeps every digit on x86.
    const long double share = (long double)track->timePts() * indexBlocks / trackBlocks;
    return quint32(quint64(share));
}

DVDATitle::DVDATitle()
{
    kindCode = KindTitle;
}

DVDATitle::~DVDATitle()
{
    for (DVDATrack *track : tracks)
        delete track;
}
