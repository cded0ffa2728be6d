#include "extraction/titleaudio.h"
#include "extraction/nametemplate.h"

#include <QCoreApplication>
#include <algorithm>

#include "base/pts.h"
#include "zone/dvdazone.h"
#include "extraction/objectnames.h"

namespace {
[[nodiscard]] bool sameFormat(const StreamInfo &a, const StreamInfo &b)
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

TrackMarks titleMarks(const DVDATitle &title, const DiscMetadata *metadata)
{
    const auto field = [metadata](const DVDAObject *object, const char *name) {
        return objectField(object, metadata, QLatin1String(name)).value_or(QString());
    };
    TrackMarks marks;
    marks.zone = zoneName(title);
    marks.title = objectBaseName(&title);
    marks.sheetTitle = field(&title, "tracktitle");
    marks.sheetPerformer = field(&title, "artist");
    for (const DVDATrack *track : title.tracks) {
        marks.marks.push_back({track->number, 1, track->titleStartPts()});
        marks.marks.back().title = field(track, "tracktitle");
        marks.marks.back().performer = field(track, "artist");
        for (size_t k = 1; k < track->indexes.size(); ++k)
            marks.marks.push_back({track->number, int(k) + 1, track->indexes[k]->titleStartPts()});
    }
    return marks;
}

namespace {

[[nodiscard]] bool isMlp(const DVDATitle &title)
{
    return !title.tracks.empty() && title.tracks.front()->streamInfo.subStreamId == SUBSTREAM_MLP;
}

qint64 framesAt(const std::vector<StreamPoint> &points, qint64 block, int offset)
{
    for (const StreamPoint &point : points)
        if (point.block == block && point.offset == offset)
            return point.frames;
    return -1;
}

} // namespace

std::vector<StreamPoint> trackStartPoints(const DVDATitle &title)
{
    std::vector<StreamPoint> points;
    const bool mlp = isMlp(title);
    bool opening = true;
    for (const DVDATrack *track : title.tracks) {
        if (track->indexes.empty())
            continue;
        const qint64 first = track->firstBlock();
        if (opening) {
            opening = false; // the first track begins at frame 0
        } else if (mlp) {
            if (track->streamInfo.majorSyncOffset >= 0)
                points.push_back({first, track->streamInfo.majorSyncOffset});
        } else {
            for (qint64 block = first - 1; block <= first + 1; ++block)
                points.push_back({block, 0});
        }
    }
    std::sort(points.begin(), points.end(), [](const StreamPoint &a, const StreamPoint &b) {
        return a.block != b.block ? a.block < b.block : a.offset < b.offset;
    });
    // One mark at a time: two points of one block (MLP tracks that begin in the same
    // block) keep the first.
    points.erase(std::unique(points.begin(), points.end(),
                             [](const StreamPoint &a, const StreamPoint &b) { return a.block == b.block; }),
                 points.end());
    return points;
}

TrackMarks streamCheckedMarks(const DVDATitle &title, const TrackMarks &marks,
                              const std::vector<StreamPoint> &points, int rate, QStringList *notes)
{
    TrackMarks checked = marks;
    if (rate <= 0)
        return checked;
    const bool mlp = isMlp(title);
    for (TrackMark &mark : checked.marks) {
        if (mark.index != 1 || mark.track < 2 || mark.track > int(title.tracks.size()))
            continue;
        const DVDATrack *track = title.tracks[size_t(mark.track - 1)];
        if (track->indexes.empty())
            continue;
        const qint64 first = track->firstBlock();
        const qint64 byLengths = ptsToSamples(mark.pts, rate);
        qint64 byStream = -1;
        if (mlp) {
            const qint64 at = framesAt(points, first, track->streamInfo.majorSyncOffset);
            if (at >= 0 && qAbs(at - byLengths) > 1)
                byStream = at;
        } else {
            // Block starts are known to the frames of the unit cycle the unpacker holds
            // back (at most 8: group 2 at a quarter of group 1's rate).
            const qint64 slack = 8;
            const qint64 from = framesAt(points, first - 1, 0), to = framesAt(points, first + 1, 0);
            const qint64 start = framesAt(points, first, 0);
            if (start >= 0 && ((from >= 0 && byLengths < from - slack) || (to >= 0 && byLengths > to + slack)))
                byStream = start;
        }
        if (byStream < 0)
            continue;
        notes->append(QCoreApplication::translate("TitleAudio",
                                                  "track %1 starts at sample %2 of the title by its stream, %3 by "
                                                  "the lengths of the tracks before it: the stream's is marked")
                          .arg(mark.track).arg(byStream).arg(byLengths));
        mark.frame = byStream;
        mark.frameRate = rate;
    }
    return checked;
}
