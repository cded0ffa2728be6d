#pragma once
// Opens a zone from what the user names, for the window and the command line alike: a
// zone folder, any file in it, or a disc image file or drive holding AUDIO_TS.
#include <memory>

#include <QDir>
#include <QString>

class DVDAZone;

// The zone at the path as the window shows it: a folder without a valid AUDIO_TS.IFO
// gives a zone without titlesets. Null and a message only when the path names a disc
// image that cannot be read, or something that is neither a folder, a file nor a drive.
[[nodiscard]] std::unique_ptr<DVDAZone> loadZone(const QString &path, QString *error);

// As loadZone, for the command line: also null and a message when the path does not
// exist or holds no readable zone (a zone without titlesets).
[[nodiscard]] std::unique_ptr<DVDAZone> openZone(const QString &path, QString *error);

// True when the path names a disc image or drive rather than a zone folder or a file in
// one: a block device, an .iso or .img file, or any file that starts like a UDF volume.
[[nodiscard]] bool isDiscImagePath(const QString &path);

// The place a path the user names stands for: a disc image, drive or folder itself, any
// other file its folder (a file manager passes AUDIO_TS.IFO for the zone).
[[nodiscard]] QDir zoneLocation(const QString &path);
