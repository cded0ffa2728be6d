#pragma once
// The files an extraction will write, known before it starts: a second rip into the same
// folder must not replace the first without being asked.
#include <QDir>
#include <QList>
#include <QStringList>

#include "extraction/extractoptions.h"

class DVDAObject;

// Every path an extraction of the objects (as Extraction::start takes them) with the
// options writes, in object order: each layout's files and cue sheets, under the names
// the extraction gives them. Objects that write nothing are left out.
[[nodiscard]] QStringList plannedFiles(const QList<DVDAObject *> &objects, const ExtractOptions &options);
// The paths one object's extraction writes, its files named from basePath.
[[nodiscard]] QStringList plannedFilesOf(const DVDAObject *object, const QString &basePath,
                                         const ExtractOptions &options);
// Makes the subfolders of folder that the paths lie in (a name template's '/'), never the
// folder itself: a folder that has gone (a drive unplugged) is not made again elsewhere.
// A subfolder that cannot be made shows when its file cannot be created. Its own QDir of
// the path: workers call it at once.
void makeSubfolders(const QString &folderPath, const QStringList &paths);
// The same paths by object: an entry per object, empty for one that writes nothing.
[[nodiscard]] QList<QStringList> plannedFilesByObject(const QList<DVDAObject *> &objects,
                                                      const ExtractOptions &options);

// Those of the planned paths at which something exists already (a file, a folder, a link).
[[nodiscard]] QStringList existingPlannedFiles(const QStringList &planned);

// The first path the extraction would write twice (a name template that leaves out what
// tells two objects or two files apart); empty when every file has a name of its own.
[[nodiscard]] QString repeatedPlannedFile(const QStringList &planned);

// The first planned file whose name, or the temporary name it is written under, is longer
// than the file system of folder allows (*limit bytes); empty when every one fits.
[[nodiscard]] QString tooLongPlannedName(const QStringList &planned, const QDir &folder, int *limit);
