#pragma once
// The files an extraction will write, known before it starts: a second rip into the same
// folder must not replace the first without being asked.
#include <QList>
#include <QStringList>

#include "extraction/extractoptions.h"

class DVDAObject;

// Every path an extraction of the objects (as Extraction::start takes them) with the
// options writes, in object order: each layout's files and cue sheets, under the names
// the extraction gives them. Objects that write nothing are left out.
[[nodiscard]] QStringList plannedFiles(const QList<DVDAObject *> &objects, const ExtractOptions &options);

// Those of the planned paths at which something exists already (a file, a folder, a link).
[[nodiscard]] QStringList existingPlannedFiles(const QList<DVDAObject *> &objects,
                                               const ExtractOptions &options);

// The first path the extraction would write twice (a name template that leaves out what
// tells two objects or two files apart); empty when every file has a name of its own.
[[nodiscard]] QString repeatedPlannedFile(const QList<DVDAObject *> &objects, const ExtractOptions &options);

// The first planned file whose name, or the temporary name it is written under, is longer
// than the output folder's file system allows (*limit bytes); empty when every one fits.
[[nodiscard]] QString tooLongPlannedName(const QList<DVDAObject *> &objects, const ExtractOptions &options,
                                         int *limit);
