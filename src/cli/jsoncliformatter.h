#pragma once
#include "cli/cliformatter.h"

// The whole object tree as one JSON document: every node with its fields, its property
// rows and its children; "label" and "selector" where the window's tree lists the node.
// The version of the JSON that info and verify print: raised when a field changes its
// meaning or goes; new fields keep it.
enum { JSON_SCHEMA_VERSION = 1 };

class JsonCliFormatter : public CliFormatter {
public:
    [[nodiscard]] QByteArray zoneTree(DVDAZone *zone) override;
    // The object's node as in zoneTree, children included.
    [[nodiscard]] QByteArray propertyRows(const DVDAObject *object) override;
};
