#pragma once
// What an extraction wrote, said at its end and kept beside the files: a summary line,
// and the record of the rip log (plain text, a record appended per run), as users of CD
// rippers keep with their rips.
#include <QString>

#include "base/result.h"
#include "extraction/extraction.h"

// "4 files written, 120.5 MB, in 0:01:12, 1 failure".
[[nodiscard]] QString runSummaryText(const ExtractionReport &report);

// The run's record: the program and version, the zone (and the image's label), the
// options, and per object its files with sample count, duration, the CRC-32 of the audio
// samples (and a FLAC file's own MD5), what verify counts, the command on each file and its
// exit status, and the result.
// The record begins with "==== Kestrova", names the libraries that decoded and encoded,
// and ends with "Record SHA-256: " and the SHA-256 of the lines before it: an edit of the
// record shows, but nothing proves who wrote it (there is no signature).
[[nodiscard]] QString ripLogText(const ExtractionReport &report);

// Whether one record's last line is the SHA-256 of its text before it.
[[nodiscard]] bool recordIntact(const QString &record);

// The last line of an extraction: what came of it, in words that match its exit status.
// "Extraction succeeded." only when every object was extracted clean, its command (if
// any) succeeded and the rip log was written; "Extracted 12 files; 1 damaged.",
// "Extracted 11 of 12 objects; 1 failed." (going on past failures); a stop or the first
// failure's own message otherwise. objectsLeftOut: damage in the zone hid objects that
// the selection could have held; log: how appending the rip log went.
[[nodiscard]] QString outcomeText(const ExtractionReport &report, bool objectsLeftOut, const Result &log);
// Whether the run counts as a success by it (exit status 0).
[[nodiscard]] bool outcomeClean(const ExtractionReport &report, bool objectsLeftOut, const Result &log);
