#pragma once
// What becomes of an object's files once its dump ended (stagedfile.h): an object that
// succeeded has every file published under its name; one that failed or was cancelled
// leaves none of them, or with keepPartial each audio file as NAME.partial.EXT (its cue
// sheet, which would name marks past its end, is dropped).
#include <vector>

#include "base/result.h"
#include "output/outputsink.h"

// files: what the dump left under staging names; afterwards what is left on the disc,
// under the names it now has. Returns result, or the failure to publish a file.
[[nodiscard]] Result settleFiles(std::vector<WrittenFile> &files, const Result &result, bool keepPartial);
