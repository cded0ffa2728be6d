#pragma once
// A whole title as one stream: the blocks from its first track's start to its last
// track's end, read in one go so that nothing is lost or doubled where one track ends
// inside a block and the next begins, and where its tracks and indexes begin in it.
#include <QtGlobal>

#include "1-base/result.h"
#include "4-output/trackmarks.h"

class AOBObject;
class DVDATitle;

struct TitleAudio {
    const AOBObject *opening = nullptr; // its first track: the stream's format and first audio byte
    quint32 first = 0;
    quint32 last = 0;
    quint64 lengthPts = 0; // the tracks' lengths together
};

// The title's blocks: TitleFormats when its tracks are not all of one stream format,
// TitleGap when a track does not begin where the one before it ends (or earlier),
// BlockNotFound when no track has blocks.
Result titleAudio(const DVDATitle &title, TitleAudio *audio);

// A mark at each track's start and at each of its later indexes, from the title's start.
TrackMarks titleMarks(const DVDATitle &title);
