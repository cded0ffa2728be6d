#pragma once
// Selectors name zone objects by the numbers the tree shows: "TS", "TS/TITLE",
// "TS/TITLE/TRACK", "TS/TITLE/TRACK/INDEX" and "all". A title may carry its tag in
// brackets ("1/2[1]") to tell apart two titles of the same number.
#include <QList>
#include <QString>
#include <QStringList>

#include "text/objectselector.h"

class DVDAObject;
class DVDAZone;

// The tracks and indexes that the selectors name, in the order given, each once.
// TS, TS/TITLE and all stand for their tracks. False with a message naming the first
// selector that is malformed or names nothing; then nothing is returned.
// *malformed (when given) says whether a selector could not be read at all, rather than
// naming nothing in this zone.
[[nodiscard]] bool selectExtractObjects(DVDAZone *zone, const QStringList &selectors,
                          QList<DVDAObject *> *objects, QString *error, bool *malformed = nullptr);

// Whether a selector names a group of tracks (all, a titleset, a title) that the zone's
// damage may have left incomplete: a problem that hides objects of the zone, or of the
// titleset the group lies in.
[[nodiscard]] bool groupsMayLackObjects(const QStringList &selectors, const DVDAZone *zone);

// The one titleset, title, track or index that the selector names, as listed in the tree.
// Null with a message when it is malformed, names nothing or names more than one object.
[[nodiscard]] DVDAObject *selectOneObject(DVDAZone *zone, const QString &selector, QString *error);

