#pragma once
// One stereo 16-bit 48000 Hz track in a written zone, MLP (400 access units) or PCM
// (1 s), clean or with one kind of damage, and where in the track's time the damage lies.
#include <QString>
#include <memory>

#include "extraction/objectcheck.h"
#include "packs.h"
#include "testzone.h"

class AOBObject;
class DVDAZone;

struct DamagedTrack {
    // damage: "" none; MLP: "flip audio" (a byte mid-way into an access unit without a
    // major sync), "flip major sync checksum"; PCM: "change header" (a pack's bit code),
    // "zero pack"; both: "truncate" (the AOB file cut two thirds in).
    DamagedTrack(bool mlp, const QString &damage);
    ~DamagedTrack();
    AOBObject *track() const;
    ObjectCheck verify() const; // the dump driver in Verify mode

    packs::PackedStream packed;
    qint64 units = 0;         // access units (MLP) or packs (PCM) in the stream
    qint64 readablePacks = 0;
    qint64 damageMs = -1;     // where the damage begins
    qint64 unitMs = 0;        // one access unit or pack, rounded up: the time's tolerance
    std::unique_ptr<testzone::ZoneFolder> folder;
    std::unique_ptr<DVDAZone> zone;
};
