#pragma once
// What "one file per title" extracts for a selection: the titles of the tracks and
// indexes chosen.
#include <QList>

class DVDAObject;

// Each object's title, each title once, in the order the objects name them first; a title
// stands for itself, a titleset for its titles. Other nodes (and null) are kept as they are.
[[nodiscard]] QList<DVDAObject *> wholeTitles(const QList<DVDAObject *> &objects);
