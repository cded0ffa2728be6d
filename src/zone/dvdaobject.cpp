#include "zone/dvdaobject.h"

#include "zone/dvdazone.h"

QString formatPtsTime(quint32 pts)
{
    quint32 seconds = pts / PTS_PER_SECOND;
    if (pts % PTS_PER_SECOND >= PTS_PER_SECOND / 2)
        ++seconds;
    return QString::asprintf("%02u:%02u:%02u", seconds / 3600, (seconds / 60) % 60, seconds % 60);
}

DVDAObject::~DVDAObject() = default;

int DVDAObject::position() const
{
    if (!up)
        return -1;
    switch (up->kind()) {
    case KindZone: return static_cast<const DVDAZone *>(up)->titlesets.indexOf(this);
    case KindTitleset: return static_cast<const DVDATitleset *>(up)->titles.indexOf(this);
    case KindTitle: return static_cast<const DVDATitle *>(up)->tracks.indexOf(this);
    case KindTrack: return static_cast<const DVDATrack *>(up)->indexes.indexOf(this);
    default: return -1;
    }
}

DVDAObject *DVDAObject::ancestor(DVDAKind wanted) const
{
    for (const DVDAObject *node = this; node; node = node->up) {
        if (node->kind() == wanted)
            return const_cast<DVDAObject *>(node);
    }
    return nullptr;
}

DVDATitleset *DVDAObject::titleset() const
{
    return static_cast<DVDATitleset *>(ancestor(KindTitleset));
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

QString DVDASectorPointer::timeText() const
{
    return formatPtsTime(timePts());
}

quint32 DVDASectorPointer::timePts() const
{
    return sharePts;
}

void DVDATrack::shareLength()
{
    const quint32 trackBlocks = lastBlock() - firstBlock() + 1;
    for (DVDASectorPointer *index : indexes) {
        index->sharePts = 0;
        if (trackBlocks == 0)
            continue;
        const quint32 indexBlocks = index->last - index->first + 1;
        // The product needs up to 64 bits of mantissa; long double keeps every digit on x86.
        const long double share = (long double)timePts() * indexBlocks / trackBlocks;
        index->sharePts = quint32(quint64(share));
    }
}

quint64 DVDATrack::titleStartPts() const
{
    const auto *title = static_cast<const DVDATitle *>(parent());
    if (!title || title->kind() != KindTitle || title->tracks.empty())
        return 0;
    quint64 before = 0;
    for (const DVDATrack *track : title->tracks) {
        if (track == this)
            break;
        before += track->lengthPts;
    }
    return before;
}

quint64 DVDASectorPointer::titleStartPts() const
{
    const auto *track = static_cast<const DVDATrack *>(parent());
    if (!track || track->kind() != KindTrack)
        return 0;
    quint64 start = track->titleStartPts();
    for (const DVDASectorPointer *index : track->indexes) {
        if (index == this)
            break;
        start += index->sharePts;
    }
    return start;
}
