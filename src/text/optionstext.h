#pragma once
// The extraction options record as "field: value" lines, one per field in record order,
// for --dry-run (and so for checking that every flag reaches the record).
#include <QString>

struct ExtractOptions;

QString optionsText(const ExtractOptions &options);
