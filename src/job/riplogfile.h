#pragma once
// The rip log beside the files: "kestrova-rip.log" in the output folder, a record appended
// per run.
#include "base/result.h"

struct ExtractionReport;

// The log's name in the output folder.
inline constexpr char RIP_LOG_NAME[] = "kestrova-rip.log";

// Where the run's record goes.
[[nodiscard]] QString ripLogPath(const ExtractionReport &report);

// Appends the run's record; the failure names the file and the system's reason.
[[nodiscard]] Result appendRipLog(const ExtractionReport &report);
