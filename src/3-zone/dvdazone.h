#pragma once
#include <QDir>
#include <memory>

#include "3-zone/dvdaobject.h"
#include "3-zone/dvdatitleset.h"

class DVDAZone : public DVDAObject {
public:
    explicit DVDAZone(const QDir &zoneDir);
    // The zone whose files the source holds (a folder, or an image's AUDIO_TS folder).
    explicit DVDAZone(std::shared_ptr<ZoneSource> zoneSource);
    ~DVDAZone() override;
    DVDAKind kind() const override { return KindZone; }

    QDir dir; // the zone folder; for an image, the image file's folder
    std::shared_ptr<ZoneSource> source;
    qint32 titlesetCount = 99;
    Children<DVDATitleset> titlesets{this};
};
