#pragma once
// Track marks as a FLAC CUESHEET metadata block, the kind for audio that is not from a
// CD: no lead-in, offsets in samples, each track's index points relative to the track,
// and the lead-out track (255) at the total sample count.
#include <QByteArray>

#include "output/trackmarks.h"

// The block's body (without its 4-byte block header) for the marks up to totalSamples;
// marks past the end are left out. Empty when there are no marks.
[[nodiscard]] QByteArray flacCueSheet(const TrackMarks &marks, int sampleRate, quint64 totalSamples);
