#pragma once
// What the zone model could not read: the tree simply lacks those parts, and these
// records say which file, where in it, and what was wrong.
#include <QList>
#include <QString>

class DVDAZone;

struct ZoneProblem {
    QString file;     // "ATS_01_0.IFO"
    qint64 offset;    // byte offset in the file; -1 for the file as a whole
    QString what;     // "title table cut short: 5 of at least 8 bytes"
    // Whether the tree may lack objects because of it (an information file's damage);
    // damage in the AOB files leaves the objects in the tree, and makes them fail.
    bool hidesObjects = true;
    int titleset = 0; // the titleset whose objects it may hide; 0: any of the zone's
};

// "ATS_01_0.IFO, byte 2048: what" or "ATS_02_0.IFO: what".
[[nodiscard]] QString problemText(const ZoneProblem &problem);

// The problems of all titlesets, in titleset order.
[[nodiscard]] QList<ZoneProblem> zoneProblems(const DVDAZone *zone);

// Whether a problem of the zone may have kept objects out of its tree: any of them, or
// (titleset above 0) those of that titleset.
[[nodiscard]] bool problemsHideObjects(const DVDAZone *zone, int titleset = 0);

// True when at least one titleset is an audio titleset with titles.
[[nodiscard]] bool hasAudioTitles(const DVDAZone *zone);
