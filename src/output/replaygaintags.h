#pragma once
// ReplayGain tags put into a finished FLAC file in place: the Vorbis comments gain the
// REPLAYGAIN_* fields (any earlier ones replaced) from the padding the file was written
// with, as metaflac does, so the audio is not rewritten.
#include <QString>
#include <QStringList>

#include "base/result.h"

// comments: "REPLAYGAIN_TRACK_GAIN=-3.52 dB" and the like. WriteOutput with the file and
// libFLAC's reason when the file cannot be read or written.
[[nodiscard]] Result writeReplayGainTags(const QString &flacPath, const QStringList &comments);
