#pragma once
// Where a PCM track of a title begins and ends inside the packs it may share with the
// tracks before and after it. The index table gives blocks, and authoring leaves a pack
// that two tracks share to one of them (often the one before); the track's own samples
// are those from its start time (the lengths of the tracks before it) for its length.
//
// The stream places a block's samples in the title: the time stamp of the first access
// unit a pack's header points at (90 kHz ticks from the title's first one; a PCM access
// unit lasts 40 samples at 44.1 or 48 kHz and their multiples, so it is placed to the
// sample). Decoding starts at that unit and drops the frames up to the track's start.
#include "base/result.h"
#include "stream/framewindow.h"

class DVDATitleset;
class DVDATrack;

struct PcmTrackCut {
    quint32 first = 0; // the blocks to read
    quint32 last = 0;
    int skip = 0;      // audio bytes of the first block before the unit decoding starts at
    FrameWindow window; // of the frames decoded from there, the track's
};

// False when the stream's time stamps cannot place the track (a stream without them, or
// with ones that disagree with its lengths): it is then read by its whole blocks.
[[nodiscard]] bool cutPcmTrack(const DVDATrack &track, DVDATitleset &titleset, PcmTrackCut *cut);
