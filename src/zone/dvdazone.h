#pragma once
#include <QDir>
#include <memory>

#include "zone/dvdaobject.h"
#include "zone/dvdatitleset.h"
#include "zone/zoneproblem.h"

class DVDAZone : public DVDAObject {
public:
    explicit DVDAZone(const QDir &zoneDir);
    // The zone whose files the source holds (a folder, or an image's AUDIO_TS folder).
    explicit DVDAZone(std::shared_ptr<ZoneSource> zoneSource);
    ~DVDAZone() override;
    [[nodiscard]] DVDAKind kind() const override { return KindZone; }

    QDir dir; // the zone folder; for an image, the image file's folder
    std::shared_ptr<ZoneSource> source;
    qint32 titlesetCount = 99;
    Children<DVDATitleset> titlesets{this};
    QString discId; // from the information files (discid.h); empty without AUDIO_TS.IFO
    // What could not be read of AUDIO_TS.IFO, or was read from its backup.
    std::vector<ZoneProblem> problems;

private:
    // The titleset at position from its information file, or from the disc's backup copy
    // (ATS_nn_0.BUP) where that one is damaged and the backup is not; a problem says which
    // was read and why, or that the two differ.
    [[nodiscard]] std::unique_ptr<DVDATitleset> readTitleset(int position);
    // The manager file's header (AUDIO_TS.IFO, else AUDIO_TS.BUP), or empty.
    [[nodiscard]] QByteArray managerHeader();
};
