#pragma once
// Opening an output file by name without ever writing through a symbolic link that
// happens to carry the name (it could point at the zone's own files, or anywhere).
#include <QFile>
#include <QString>

// Opens path read-write as an empty file. A symbolic link at path is removed first, so
// the file is made in its place and the link's target stays untouched. extra adds open
// modes (Unbuffered for a writer that buffers by itself).
[[nodiscard]] bool openOutputFile(QFile &file, const QString &path,
                                  QIODevice::OpenMode extra = QIODevice::NotOpen);

// Removes the output file at path, only when it is a regular file (never a device or
// anything else the name may stand for); false when something was left.
[[nodiscard]] bool removeOutputFile(const QString &path);
