#pragma once
// ReplayGain 2.0 for a run that measured its files: each file's track gain and peak, and
// the album's over the files of each title (or of the whole selection when the options
// say so), set in every FLAC file's tags and kept with the files for the rip log.
#include "base/result.h"

struct ExtractionReport;

// Fills every measured file's replayGain and tags the FLAC files still there (a command may
// have moved or deleted one); the first file that cannot be tagged, with the reason.
[[nodiscard]] Result applyReplayGain(ExtractionReport *report);
