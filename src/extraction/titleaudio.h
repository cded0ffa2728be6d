#pragma once
// A whole title as one stream: the blocks from its first track's start to its last
// track's end, read in one go so that nothing is lost or doubled where one track ends
// inside a block and the next begins, and where its tracks and indexes begin in it.
#include <QStringList>
#include <QtGlobal>
#include <vector>

#include "base/result.h"
#include "output/trackmarks.h"

class AOBObject;
class DVDATitle;
struct DiscMetadata;

struct TitleAudio {
    const AOBObject *opening = nullptr; // its first track: the stream's format and first audio byte
    quint32 first = 0;
    quint32 last = 0;
    quint64 lengthPts = 0; // the tracks' lengths together
};

// The title's blocks: TitleFormats when its tracks are not all of one stream format,
// TitleGap when a track does not begin where the one before it ends (or earlier),
// BlockNotFound when no track has blocks.
[[nodiscard]] Result titleAudio(const DVDATitle &title, TitleAudio *audio);

// A mark at each track's start and at each of its later indexes, from the title's start:
// the lengths of the tracks before it (and the shares of the indexes before it); with
// the disc's metadata, each track's title and artist, and the title's.
[[nodiscard]] TrackMarks titleMarks(const DVDATitle &title, const DiscMetadata *metadata = nullptr);

// A place in a title's stream whose frame the decoding notes on its way: an audio byte
// of a block (counted from the block's first audio byte).
struct StreamPoint {
    qint64 block = 0;
    int offset = 0;
    qint64 frames = -1; // frames decoded before it; -1 until reached
};

// Where the title's stream shows its tracks' starts, in the order of the stream. An MLP
// track begins at its first major sync, exactly; a PCM track somewhere in its first
// block or the one before (the index table gives blocks, authoring may leave a shared
// pack to either track): the starts of those blocks and of the one after.
[[nodiscard]] std::vector<StreamPoint> trackStartPoints(const DVDATitle &title);

// The marks checked against the frames decoded at the points: a track start that the
// stream places elsewhere (MLP: more than a sample off; PCM: outside its blocks) takes the
// stream's frame (at rate, group 1's), and a note says so.
[[nodiscard]] TrackMarks streamCheckedMarks(const DVDATitle &title, const TrackMarks &marks,
                              const std::vector<StreamPoint> &points, int rate, QStringList *notes);
