#pragma once
#include "cli/cliformatter.h"

// The tree as indented lines with the window's labels (two blanks a level), the rows as
// "Parameter: Value" lines.
class TextCliFormatter : public CliFormatter {
public:
    QByteArray zoneTree(DVDAZone *zone) override;
    QByteArray propertyRows(const DVDAObject *object) override;
};
