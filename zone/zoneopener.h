#pragma once
// Opens a zone from what the user names, as the window does: the folder itself, or the
// folder of any file in it.
#include <memory>

#include <QString>

class DVDAZone;

// Null and a message when the path does not exist or its folder holds no readable zone
// (a zone without titlesets).
std::unique_ptr<DVDAZone> openZone(const QString &path, QString *error);
