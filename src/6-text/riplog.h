#pragma once
// What an extraction wrote, said at its end and kept beside the files: a summary line,
// and the rip log "kestrova-rip.log" (plain text, a record appended per run), as users of
// CD rippers keep with their rips.
#include <QString>

#include "1-base/result.h"
#include "5-extraction/extraction.h"

// "4 files written, 120.5 MB, in 0:01:12, 1 failure".
[[nodiscard]] QString runSummaryText(const ExtractionReport &report);

// The run's record: the program and version, the zone (and the image's label), the
// options, and per object its files with sample count, duration and the MD5 of the audio
// samples, what verify counts, the command on each file and its exit status, and the result.
[[nodiscard]] QString ripLogText(const ExtractionReport &report);

// Appends the record to "kestrova-rip.log" in the output folder; the failure names it.
[[nodiscard]] Result appendRipLog(const ExtractionReport &report);
