#pragma once
// What `info` prints, behind one interface so the same data comes out as text or JSON.
#include <QByteArray>

class DVDAObject;
class DVDAZone;

class CliFormatter {
public:
    virtual ~CliFormatter() = default;
    // The zone as a tree.
    [[nodiscard]] virtual QByteArray zoneTree(DVDAZone *zone) = 0;
    // The property rows of one object of the zone.
    [[nodiscard]] virtual QByteArray propertyRows(const DVDAObject *object) = 0;
};
