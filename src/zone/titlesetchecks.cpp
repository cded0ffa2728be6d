// What the title table's counts describe, checked against what else the disc says: a
// damaged count or block number otherwise passes in silence (a titleset that vanishes, a
// track that takes the next one's blocks).
#include <algorithm>

#include "base/pts.h"
#include "zone/dvdatitleset.h"

namespace {
enum {
    SMALLEST_RECORD = 12, // an index entry: a table longer than its records by this much lost some
    TITLE_TABLE_AT = 2048,
};

QString seconds(quint64 pts)
{
    return QString::number(double(pts) / PTS_PER_SECOND, 'f', 2) + QLatin1String(" s");
}
} // namespace

void DVDATitleset::checkTitle(const DVDATitle &title, qint64 recordOffset,
                              const std::vector<std::pair<quint32, quint32>> &entries)
{
    const int titleNumber = int(titles.size());
    // The title's length is its tracks' together, to a tick each.
    quint64 tracks = 0;
    for (const DVDATrack *track : title.tracks)
        tracks += track->lengthPts;
    const quint64 slack = quint64(title.tracks.size());
    if (!title.tracks.empty() && (tracks + slack < title.lengthPts || title.lengthPts + slack < tracks))
        addProblem(recordOffset + 4, tr("title %1 is %2 long, its %3 track(s) together %4: a track count or "
                                        "length is damaged").arg(titleNumber).arg(seconds(title.lengthPts))
                                         .arg(title.tracks.size()).arg(seconds(tracks)));
    // Index entries follow each other on the disc, each from the block after the last one's.
    for (size_t i = 1; i < entries.size(); ++i) {
        const auto &[first, last] = entries[i - 1];
        const auto &[next, nextLast] = entries[i];
        if (next <= last)
            addProblem(recordOffset, tr("index entries %1 and %2 of title %3 overlap: blocks %4-%5 and %6-%7")
                                         .arg(i).arg(i + 1).arg(titleNumber).arg(first).arg(last).arg(next)
                                         .arg(nextLast), false);
        else if (next > last + 1)
            addProblem(recordOffset, tr("blocks %1-%2 between index entries %3 and %4 of title %5 belong to no "
                                        "index").arg(quint64(last) + 1).arg(next - 1).arg(i).arg(i + 1)
                                         .arg(titleNumber), false);
    }
}

void DVDATitleset::checkTableEnd(quint64 length, quint64 describedEnd)
{
    if (length < describedEnd + SMALLEST_RECORD)
        return;
    addProblem(TITLE_TABLE_AT + 4, tr("the title table is %1 bytes long, its counts describe %2: a title, "
                                      "track or index count is damaged").arg(length).arg(describedEnd));
}

void DVDATitleset::checkCoverage()
{
    std::vector<std::pair<quint64, quint64>> ranges;
    for (const DVDATitle *title : titles)
        for (const DVDATrack *track : title->tracks)
            for (const DVDASectorPointer *index : track->indexes)
                if (index->first <= index->last)
                    ranges.emplace_back(index->first, index->last);
    if (ranges.empty())
        return;
    std::sort(ranges.begin(), ranges.end());
    // The AOB blocks no index covers, up to the header's last one.
    quint64 next = 0, uncovered = 0, firstFrom = 0, firstTo = 0;
    const auto gap = [&](quint64 from, quint64 to) {
        if (uncovered == 0) {
            firstFrom = from;
            firstTo = to;
        }
        uncovered += to - from + 1;
    };
    for (const auto &[first, last] : ranges) {
        if (first > next)
            gap(next, first - 1);
        next = qMax(next, last + 1);
    }
    if (next <= lastAobBlock)
        gap(next, lastAobBlock);
    if (uncovered > 0)
        addProblem(-1, tr("%1 block(s) of the AOB files belong to no index, the first blocks %2-%3: a "
                          "title, track or index count or a block number is damaged")
                           .arg(uncovered).arg(firstFrom).arg(firstTo), false);
}
