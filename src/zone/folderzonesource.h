#pragma once
// The zone's files in a folder on disk (an AUDIO_TS folder or a copy of it).
#include <QDir>

#include "zone/zonesource.h"

class FolderZoneSource : public ZoneSource {
public:
    explicit FolderZoneSource(const QDir &zoneFolder);
    [[nodiscard]] std::unique_ptr<ZoneFile> open(const QString &name) override;

private:
    QDir folder;
};
