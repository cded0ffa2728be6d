#pragma once
// The fixed message of every result code, as the window and the command line show it.
#include <QString>

#include "base/result.h"

// "Extraction succeeded.", "Cannot open .AOB file.", ...; "Unknown error." for a value
// that is no code.
[[nodiscard]] QString resultMessage(ResultCode code);
// The message, then where the failure happened when the result says: "Cannot open .AOB
// file. (ATS_01_2.AOB)".
[[nodiscard]] QString resultText(const Result &result);
