#pragma once
// The rip log beside the files: "kestrova-rip.log" in the output folder, a record appended
// per run.
#include "base/result.h"

struct ExtractionReport;

// Where the run's record goes.
[[nodiscard]] QString ripLogPath(const ExtractionReport &report);

// Appends the run's record; the failure names the file and the system's reason.
[[nodiscard]] Result appendRipLog(const ExtractionReport &report);
