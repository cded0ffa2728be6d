#pragma once
// Where the tracks and indexes of a whole title begin in its file, as times from the
// title's start (90 kHz ticks, as the disc gives them); each file turns them into
// samples at its own rate. The output writes them three ways: a cue sheet beside the
// file, a CUESHEET block in a FLAC file, cue points with labels in a wave file.
#include <QString>
#include <vector>

#include "base/result.h"

struct TrackMark {
    int track = 0;    // 1 ..
    int index = 1;    // 1 for the track's start, 2 .. for the indexes after its first
    quint64 pts = 0;  // from the title's start
    // Where the stream itself put the mark, when it did: the frame at frameRate (the
    // title's group 1); -1 when only pts is known.
    qint64 frame = -1;
    int frameRate = 0;
    QString title{}, performer{}; // the track's, for the cue sheet (on its index 1 mark)
};

// The sample of a file at sampleRate where the mark falls: its frame scaled to the rate
// when the stream gave one, else its time rounded to the nearest sample.
[[nodiscard]] qint64 markSample(const TrackMark &mark, int sampleRate);

struct TrackMarks {
    QString zone;   // what the cue sheet's REM lines name
    QString title;
    std::vector<TrackMark> marks; // in the order they come
    QString sheetTitle{}, sheetPerformer{}; // the whole title's name and artist, when known

    [[nodiscard]] bool empty() const { return marks.empty(); }
};

// "Track 01", "Track 01 Index 02": how a mark is labelled inside a file.
[[nodiscard]] QString markLabel(const TrackMark &mark);

// The cue sheet of an audio file (FILE "name" WAVE, TRACK nn AUDIO, INDEX nn mm:ss:ff at
// 75 frames a second), positions in the file's own samples.
[[nodiscard]] QString cueSheet(const TrackMarks &marks, const QString &fileName, int sampleRate);

// Writes the cue sheet of the audio file (its final path) at sheetPath, under the sheet's
// staging name (stagedfile.h): CreateOutput or WriteOutput, with the sheet's path and the
// system's reason, when that fails.
[[nodiscard]] Result writeCueSheet(const TrackMarks &marks, const QString &audioPath, const QString &sheetPath, int sampleRate);
