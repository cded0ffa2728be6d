#pragma once
// An output file appears under its own name only once it is complete. It is written under
// a hidden name beside it (".NAME.kestrova"), and renamed to NAME when the object it
// belongs to is done: the rename replaces a file of that name at once, so an earlier rip
// is untouched until then. An object that failed or was cancelled leaves nothing behind,
// or, when asked, what it wrote under NAME.partial.EXT.
#include <QString>

#include "base/result.h"

// Where the file that is to be finalPath is written.
[[nodiscard]] QString stagingPath(const QString &finalPath);
// Where the part of it that was written is kept when the object did not complete:
// "dir/track-01.partial.flac" for "dir/track-01.flac".
[[nodiscard]] QString partialPath(const QString &finalPath);

// Gives the staged file its name, replacing what had it: WriteOutput with the name and the
// system's reason when it cannot.
[[nodiscard]] Result publishStaged(const QString &finalPath);
// Keeps the staged file under partialPath (replacing what had that name).
[[nodiscard]] Result keepStagedPartial(const QString &finalPath);
// Removes the staged file, if there is one.
void discardStaged(const QString &finalPath);

// "No space left on device": the system's reason for the last failed call of this thread.
[[nodiscard]] QString systemReason();
