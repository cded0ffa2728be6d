#pragma once
// One track or index, or a whole title, dumped: its blocks read in runs, each pack stripped
// to its audio and handed to the dumper, the files finished at the end.
#include <QString>
#include <vector>

#include "base/result.h"
#include "base/streaminfo.h"
#include "output/outputsink.h"
#include "extraction/extractoptions.h"

class AOBObject;
class DVDATitle;
class DVDATitleset;
struct ExtractProgress;
struct ObjectCheck;

// The object's stream description with its collected payload, read again from its
// first blocks: the objects of a zone drop it after parsing, the MLP decoder starts from it.
[[nodiscard]] StreamInfo streamInfoWithPayload(DVDATitleset *titleset, const AOBObject *object);

// Writes the files of the object at basePath + their suffixes and adds those finished to
// *files (when given). The result is also kept in progress.lastResult; the dump stops at
// the next block once progress.stopRequested is set. With check, what was read and decoded
// and the damage found are added to it. In Verify mode no file is written, decoding goes
// on past damage and past unreadable blocks, and only the check is filled.
[[nodiscard]] Result dumpObject(const AOBObject *object, const QString &basePath, const ExtractOptions &options,
                  ExtractProgress &progress, ObjectCheck *check = nullptr,
                  std::vector<WrittenFile> *files = nullptr);

// The title's tracks as one stream into one set of files (with the marks of its tracks
// and indexes), as dumpObject does for one object; TitleFormats or TitleGap where its
// tracks cannot be joined.
[[nodiscard]] Result dumpTitle(const DVDATitle *title, const QString &basePath, const ExtractOptions &options,
                 ExtractProgress &progress, ObjectCheck *check = nullptr,
                 std::vector<WrittenFile> *files = nullptr);
