#pragma once
// The extraction options record as "name: value" lines, one per field in record order,
// each under the command line's name for it ("recover", "keep-going"), for --dry-run and
// the rip log (and so for checking that every flag reaches the record).
#include <QString>

struct ExtractOptions;

[[nodiscard]] QString optionsText(const ExtractOptions &options);
