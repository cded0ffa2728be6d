#pragma once
#include "cli/cliformatter.h"

// The tree as indented lines with the window's labels (two blanks a level), the rows as
// "Parameter: Value" lines.
class TextCliFormatter : public CliFormatter {
public:
    [[nodiscard]] QByteArray zoneTree(DVDAZone *zone) override;
    [[nodiscard]] QByteArray propertyRows(const DVDAObject *object) override;
};
