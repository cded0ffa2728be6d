#pragma once
// The in-memory tree of a DVD-Audio zone: zone, titlesets, titles, tracks, indexes.
// Nodes hold no parent pointers; a consumer goes down from the zone by the position
// fields. Ownership is strictly downward.
#include <QMetaType>
#include <QString>
#include <QtGlobal>
#include <vector>

#include "1-base/streaminfo.h"

enum DVDAKind : qint32 {
    KindIndex = 2,
    KindTrack = 3,
    KindTitle = 4,
    KindTitleset = 5,
    KindZone = 6,
};

enum { PTS_PER_SECOND = 90000 };

// 90 kHz ticks as "hh:mm:ss", rounded to the nearest second (a half rounds up).
QString formatPtsTime(quint32 pts);

class DVDAZone;
// The zone built last; null before the first one and after it is destroyed.
extern DVDAZone *currentZone;

class DVDAObject {
public:
    virtual ~DVDAObject();
    virtual qint32 kind() const { return kindCode; }

    qint32 kindCode = 0;
    qint32 indexPos = -1;
    qint32 trackPos = -1;
    qint32 titlePos = -1;
    qint32 titlesetPos = -1;
};

// A track or an index: a run of blocks of its titleset's AOB area.
class AOBObject : public DVDAObject {
public:
    virtual QString timeText() const = 0;
    virtual quint32 timePts() const = 0;
    virtual quint32 firstBlock() const = 0;
    virtual quint32 lastBlock() const = 0;

    StreamInfo streamInfo;
};

class DVDASectorPointer;

// The owning nodes delete their children: a copy would delete them twice.
class DVDATrack : public AOBObject {
    Q_DISABLE_COPY(DVDATrack)
public:
    DVDATrack();
    ~DVDATrack() override;
    QString timeText() const override;
    quint32 timePts() const override;
    quint32 firstBlock() const override;
    quint32 lastBlock() const override;
    // Gives each index its share of the track's duration by block count. Called once the
    // indexes are in place, so an index knows its duration without looking up its track.
    void shareLength();

    std::vector<DVDASectorPointer *> indexes;
    qint32 firstIndexNumber = 0;
    qint32 number = 0;
    quint32 lengthPts = 0;
};

// An index of a track (the disc calls it a sector pointer).
class DVDASectorPointer : public AOBObject {
public:
    DVDASectorPointer();
    QString timeText() const override;
    quint32 timePts() const override; // the track's duration shared out by block count
    quint32 firstBlock() const override { return first; }
    quint32 lastBlock() const override { return last; }

    qint32 number = 0;
    quint32 first = 0;
    quint32 last = 0;
    quint32 sharePts = 0; // set by the owning track's shareLength; 0 outside a track
};

class DVDATitle : public DVDAObject {
    Q_DISABLE_COPY(DVDATitle)
public:
    DVDATitle();
    ~DVDATitle() override;
    int number() const { return numberOf(titleId); }
    int tag() const { return tagOf(titleId); }
    // The same from a title id held elsewhere (the extraction's progress record).
    static int numberOf(qint32 id) { return id & 0x7F; }
    static int tagOf(qint32 id) { return (id >> 7) & 1; }

    std::vector<DVDATrack *> tracks;
    qint32 titleId = 0;      // bits 0-6 the title number, bit 7 the tag
    quint32 lengthPts = 0;
};

// Tree items and the extraction thread's queued signals carry plain node pointers.
Q_DECLARE_METATYPE(DVDAObject *)
