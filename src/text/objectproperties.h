#pragma once
// The Parameter/Value rows of the properties pane, computed as data so the window,
// the command line and the tests show the same rows.
#include <QList>
#include <QString>

class DVDAObject;

struct PropertyRow {
    QString label;
    QString value;
};

// Rows for one object (none for null; for the zone, one "Problem" row for each part
// that could not be read). Reads up to three blocks of a track or index for the stream
// size estimate.
[[nodiscard]] QList<PropertyRow> objectProperties(const DVDAObject *object);
