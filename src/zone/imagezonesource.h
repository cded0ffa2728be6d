#pragma once
// The zone's files inside the UDF file system of a disc image file (.iso, .img) or of a
// drive's block device, read through libudfread without mounting anything.
#include <memory>

#include "zone/zonesource.h"

struct ImageVolume;

class ImageZoneSource : public ZoneSource {
public:
    // Null and a message when the path holds no UDF file system or no AUDIO_TS folder.
    [[nodiscard]] static std::unique_ptr<ImageZoneSource> openImage(const QString &imagePath, QString *error);

    [[nodiscard]] std::unique_ptr<ZoneFile> open(const QString &name) override;

private:
    ImageZoneSource() = default;

    std::shared_ptr<ImageVolume> volume; // shared with the open files, which may outlive us
    QString zoneFolder;                  // "/AUDIO_TS" as spelled in the image
    QStringList fileNames;               // the regular files in it
};

// True when the path starts like a UDF volume (its recognition sequence names NSR02 or
// NSR03), checked before libudfread, which prints its own complaints on anything else.
[[nodiscard]] bool looksLikeUdfImage(const QString &path);
