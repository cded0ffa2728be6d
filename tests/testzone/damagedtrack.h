#pragma once
// One track of MLP or PCM in a written zone, clean or with one kind of damage, and where
// in its time the damage lies: for the tests of verification and of the damage a
// conversion reports.
#include <QByteArray>
#include <QList>
#include <QString>
#include <memory>

#include "dump/objectcheck.h"
#include "packs.h"
#include "testzone.h"

class AOBObject;
class DVDAZone;

namespace damagedtrack {

// Stereo 16-bit 48000 Hz: about 0.33 s of MLP (400 access units) or 1 s of PCM.
struct DamagedTrack {
    // damage: "" none, "flip audio" (a byte in the middle of an access unit without a
    // major sync), "flip major sync checksum", "truncate" (the AOB file cut two thirds
    // in), "change header" (a PCM pack's bit code), "zero pack" (a PCM pack).
    DamagedTrack(bool mlp, const QString &damage);
    ~DamagedTrack();
    AOBObject *track() const;
    // dumpObject in that mode with a check; a default check when the result codes differ.
    ObjectCheck run(const QString &basePath, int mode, bool recover = false) const;
    // The time of an audio offset, and how far off a reported time may be: one access
    // unit (MLP) or one pack (PCM).
    qint64 msAt(int offset) const;
    qint64 tolerance() const;
    // The packs of the zone that can still be read.
    int readablePacks() const;

    bool mlp;
    QString damage;
    QByteArray stream;  // the audio as packed (damage included)
    int damageAt = -1;  // the audio offset where the damage begins
    packs::PackedStream packed;
    std::unique_ptr<testzone::ZoneFolder> folder;
    std::unique_ptr<DVDAZone> zone;
};

// Where each access unit of an MLP stream begins, and where the stream ends.
QList<int> unitStarts(const QByteArray &stream);

} // namespace damagedtrack
