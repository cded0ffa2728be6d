#pragma once
// The texts that show a running extraction.
#include <QString>
#include <QtGlobal>

#include "extraction/extractionstatus.h"

// Share of the object's blocks done, 0 to 100. Also 0 before the first block and for a
// range whose last block lies before its first.
[[nodiscard]] int progressPercent(quint32 firstBlock, quint32 currentBlock, quint32 lastBlock);

// The window's status text, in words: "Track 3 of 12 · 1:05 left", "Tracks 3-4 of 12"
// with two workers, "Waiting for the command..." while the command holds the run back,
// "Finishing: the command runs on the last files..." once only it runs; while the command
// has files waiting " · files waiting for the command: 2" follows.
[[nodiscard]] QString extractionStatusText(const ExtractionStatus &status);

// The whole extraction: "2/5 objects  38.4/120.0 MB read  14.2x real time  1:05 left"; the
// speed and the time left once a second has passed and something was done. Empty without
// objects. The bytes are those read from the disc, not those written.
[[nodiscard]] QString wholeProgressText(const WholeProgress &whole);

// The window's right side of the status bar: "38.4 of 120.0 MB read · 14.2x real time".
[[nodiscard]] QString readProgressText(const WholeProgress &whole);

// Share of the whole extraction's bytes read, 0 to 100.
[[nodiscard]] int wholePercent(const WholeProgress &whole);
