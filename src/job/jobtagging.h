#pragma once
// What tags a job's files: the disc's metadata file and the cover, loaded into the options
// in one way for both front ends.
#include <QString>

#include "extraction/extractoptions.h"

class DVDAZone;

// The metadata from metadataPath, else from the disc's own file in the user's data folder
// when there is one; the cover from coverPath, else the one the metadata names (a path
// beside its file). False, *error naming the file and what is wrong, when one cannot be read.
[[nodiscard]] bool loadTagging(ExtractOptions *options, const DVDAZone *zone, QString metadataPath, QString coverPath,
                               QString *error);
