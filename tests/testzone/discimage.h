#pragma once
// Disc images of written zones: the zone goes into an AUDIO_TS folder (or another name)
// and genisoimage packs it into a UDF image, information files first so that a cut near
// the end of the image falls into the AOB data.
#include <QString>

#include "testzone.h"

namespace testzone {

struct ImageLayout {
    QString volume = QStringLiteral("KESTROVA_TEST");
    QString folder = QStringLiteral("AUDIO_TS"); // the zone folder's name in the image
    bool lowerCase = false;                      // the zone's file names in lower case
};

// Writes the zone and packs it into imagePath; false (with a warning) on a failure.
bool writeImage(const Zone &zone, const QString &imagePath, const ImageLayout &layout = {});

// Renames every file of the folder to its lower-case name.
bool lowerCaseNames(const QString &dir);

} // namespace testzone
