#pragma once
// The chunks a wave file carries after its data chunk. Track marks, the RIFF way: a "cue "
// chunk of cue points (positions in sample frames) and a "LIST" chunk of type "adtl" with
// a "labl" label for each point. Tags: a "LIST" chunk of type "INFO", as FFmpeg and most
// players read them.
#include <QByteArray>
#include <QStringList>

#include "output/trackmarks.h"

// The two chunks for the marks that fall within frames; empty when none does.
[[nodiscard]] QByteArray waveCueChunks(const TrackMarks &marks, int sampleRate, qint64 frames);

// The INFO chunk of the "NAME=value" comments RIFF has a field for: TITLE (INAM), ARTIST
// (IART), ALBUM (IPRD), DATE (ICRD), GENRE (IGNR), TRACKNUMBER (ITRK), COMMENT (ICMT),
// ENCODER (ISFT); the last of a name wins. Empty when none is among them.
[[nodiscard]] QByteArray waveInfoChunk(const QStringList &comments);
