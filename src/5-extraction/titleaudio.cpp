#include "5-extraction/titleaudio.h"

#include "3-zone/dvdazone.h"
#include "5-extraction/objectnames.h"

namespace {
bool sameFormat(const StreamInfo &a, const StreamInfo &b)
{
    return a.subStreamId == b.subStreamId && a.channelAssignment == b.channelAssignment
           && a.group1Channels == b.group1Channels && a.group1SampleRate == b.group1SampleRate
           && a.group1Bits == b.group1Bits && a.group2Channels == b.group2Channels
           && a.group2SampleRate == b.group2SampleRate && a.group2Bits == b.group2Bits;
}

QString zoneName(const DVDAObject &node)
{
    const auto *zone = static_cast<const DVDAZone *>(node.ancestor(KindZone));
    if (!zone)
        return QString();
    if (zone->source && !zone->source->volumeName.isEmpty())
        return zone->source->volumeName;
    return zone->source ? zone->source->origin : zone->dir.absolutePath();
}
} // namespace

Result titleAudio(const DVDATitle &title, TitleAudio *audio)
{
    TitleAudio found;
    for (const DVDATrack *track : title.tracks) {
        found.lengthPts += track->lengthPts;
        if (track->indexes.empty())
            continue; // no blocks, no audio
        if (!found.opening) {
            found.opening = track;
            found.first = track->firstBlock();
            found.last = track->lastBlock();
            continue;
        }
        if (!sameFormat(track->streamInfo, found.opening->streamInfo))
            return ResultCode::TitleFormats;
        // A track may share its first block with the end of the one before.
        if (track->firstBlock() > qint64(found.last) + 1 || track->firstBlock() < found.first)
            return ResultCode::TitleGap;
        found.last = qMax(found.last, track->lastBlock());
    }
    if (!found.opening || found.first > found.last)
        return ResultCode::BlockNotFound;
    *audio = found;
    return ResultCode::Succeeded;
}

TrackMarks titleMarks(const DVDATitle &title)
{
    TrackMarks marks;
    marks.zone = zoneName(title);
    marks.title = objectBaseName(&title);
    for (const DVDATrack *track : title.tracks) {
        marks.marks.push_back({track->number, 1, track->titleStartPts()});
        for (size_t k = 1; k < track->indexes.size(); ++k)
            marks.marks.push_back({track->number, int(k) + 1, track->indexes[k]->titleStartPts()});
    }
    return marks;
}
