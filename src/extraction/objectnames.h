#pragma once
// The names an extraction gives its files: a base name per object, and the suffix of a
// stored stream.
#include <QList>
#include <QString>
#include <QStringList>

#include "output/samplefilesink.h"

class DVDAObject;
struct DiscMetadata;
struct StreamInfo;

// "track-01-01[1]-03" / "index-10-12[0]-05": titleset, title number, title tag and
// track or index number; "title-01-01[1]" for a whole title. Empty for a node that is
// none of these.
[[nodiscard]] QString objectBaseName(const DVDAObject *object);

// The objects' base names, each once: an object whose name an earlier one of the list
// has (titles of the same number and tag on a damaged disc) gets name-2, name-3, ...
[[nodiscard]] QList<QString> uniqueBaseNames(const QList<DVDAObject *> &objects);

// The user's name template with the object's fields filled in (nametemplate.h), those of
// the metadata too when it is given; %channels%, %bits% and %rate% are left for each
// file. A '/' of the template makes a subfolder; one in a field's value, a '"' or a
// control character becomes '_'.
[[nodiscard]] QString templatedBaseName(const QString &nameTemplate, const DVDAObject *object,
                                        const DiscMetadata *metadata = nullptr);

// Why a file an extraction names may not be written at path in folder; the part of the
// path it is about in *part.
enum class NamedPathProblem {
    None,
    Outside,   // an absolute path, "..", or a subfolder that is a link out of the folder
    EmptyPart, // "a//b", a folder or file name with nothing in it ("/.flac" from an empty field)
    HiddenPart, // a folder or file name that starts with '.', as ".flac" or "./"
};
[[nodiscard]] NamedPathProblem namedPathProblem(const QString &folder, const QString &path, QString *part);

// The base names an extraction gives the objects: from the template, or the unique names
// above when it is empty.
[[nodiscard]] QList<QString> extractionBaseNames(const QList<DVDAObject *> &objects,
                                                 const QString &nameTemplate,
                                                 const DiscMetadata *metadata = nullptr);

// The Vorbis comments of an object's FLAC files: TRACKNUMBER, TRACKTOTAL (the tracks of
// its title), INDEXNUMBER for an index, ENCODER (this program and its version), those of
// the disc's metadata (when given), then the user's own "NAME=value" tags, which replace
// those of the same name.
[[nodiscard]] QStringList objectComments(const DVDAObject *object, const QStringList &userTags,
                           const DiscMetadata *metadata = nullptr);

// Where a decoded file of a layout goes, with extension ("wav", "flac"): base and
// "-[L-R]-24-96000.wav"; or, when base is a name template, base with the file's fields
// filled in (%channels% "L-R", %bits%, %rate%), then the extension. marked: the cue sheet
// beside it, the same name ending in ".cue".
[[nodiscard]] FileName layoutFileName(const QString &base, const LayoutFile &file, const QString &extension,
                                      bool templated, bool marked);

// "-[L-R]-24-96000.pcm": channel names by group, group-1 bits and rate, stream type
// (".pcm", ".mlp", or ".raw" for a stream of unknown type, without the rest).
[[nodiscard]] QString storeSuffix(const StreamInfo &info);
// Where a stored stream goes: base and storeSuffix, or base as a name template with the
// stream's fields filled in and its extension.
[[nodiscard]] QString storePath(const QString &base, const StreamInfo &info, bool templated);
