#include "output/flaccuesheet.h"

#include <QtEndian>

#include "base/pts.h"

namespace {
enum { CATALOG = 128, RESERVED = 259, ISRC = 12, TRACK_RESERVED = 14, INDEX_RESERVED = 3,
       LEAD_OUT = 255 };

void putBe64(QByteArray &b, quint64 v)
{
    char be[8];
    qToBigEndian(v, be);
    b.append(be, 8);
}

// One track: its offset and number, no ISRC, audio without pre-emphasis, its indexes.
void putTrack(QByteArray &b, quint64 offset, int number, const QByteArray &indexes, int indexCount)
{
    putBe64(b, offset);
    b.append(char(number));
    b.append(ISRC + TRACK_RESERVED, '\0');
    b.append(char(indexCount));
    b.append(indexes);
}
} // namespace

QByteArray flacCueSheet(const TrackMarks &marks, int sampleRate, quint64 totalSamples)
{
    QByteArray tracks;
    int trackCount = 0;
    for (size_t k = 0; k < marks.marks.size();) {
        const TrackMark &start = marks.marks[k];
        const quint64 offset = quint64(markSample(start, sampleRate));
        QByteArray indexes;
        int indexCount = 0;
        for (; k < marks.marks.size() && marks.marks[k].track == start.track; ++k) {
            const quint64 at = quint64(markSample(marks.marks[k], sampleRate));
            if (at > totalSamples || at < offset)
                continue;
            putBe64(indexes, at - offset);
            indexes.append(char(marks.marks[k].index));
            indexes.append(INDEX_RESERVED, '\0');
            ++indexCount;
        }
        // A track needs an index point; one that begins past the end is not in the file.
        if (offset >= totalSamples || indexCount == 0)
            continue;
        putTrack(tracks, offset, start.track, indexes, indexCount);
        ++trackCount;
    }
    if (trackCount == 0 && marks.empty())
        return QByteArray();
    QByteArray body(CATALOG, '\0');
    putBe64(body, 0); // lead-in
    body.append(RESERVED, '\0'); // not a CD, and the reserved bits
    body.append(char(trackCount + 1));
    body.append(tracks);
    putTrack(body, totalSamples, LEAD_OUT, QByteArray(), 0);
    return body;
}
