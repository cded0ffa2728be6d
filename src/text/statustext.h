#pragma once
// The texts that show a running extraction.
#include <QString>
#include <QtGlobal>

#include "extraction/extractionstatus.h"

// Share of the object's blocks done, 0 to 100. Also 0 before the first block and for a
// range whose last block lies before its first.
int progressPercent(quint32 firstBlock, quint32 currentBlock, quint32 lastBlock);

// The window's status text: "[Jobs:2] TS:01 TI:02[0] TR:03 BL:00012345", "[Jobs:2]
// Waiting...", "[Jobs:1] Finishing..."; without a command the jobs part is empty and the
// text begins with a blank.
QString extractionStatusText(const ExtractionStatus &status);

// The whole extraction: "2/5 objects  38.4/120.0 MB  14.2x real time  1:05 left"; the speed
// and the time left once a second has passed and something was done. Empty without
// objects.
[[nodiscard]] QString wholeProgressText(const WholeProgress &whole);
