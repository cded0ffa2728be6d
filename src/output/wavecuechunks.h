#pragma once
// Track marks in a wave file, the RIFF way: a "cue " chunk of cue points (positions in
// sample frames) and a "LIST" chunk of type "adtl" with a "labl" label for each point.
// Both go after the data chunk.
#include <QByteArray>

#include "output/trackmarks.h"

// The two chunks for the marks that fall within frames; empty when none does.
QByteArray waveCueChunks(const TrackMarks &marks, int sampleRate, qint64 frames);
