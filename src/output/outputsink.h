#pragma once
// The files one object's output goes to. A sink writes one kind of file; it is opened
// before the first byte or sample, and finishing it says which files it wrote, so that
// whoever drives it can run a command on each.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

#include "base/result.h"

class LoudnessMeter;

struct WrittenFile {
    QString path;       // its name once published; written under stagingPath(path) until then
    QString cueSheet;   // the cue sheet that goes with it (staged the same way), or empty
    bool partial = false; // not complete: it failed part-way, or its object did not finish
    int channels = 0;
    int sampleRate = 0;
    int bits = 0;
    qint64 frames = -1; // decoded files: the sample frames written
    QString crc32;      // decoded files: of the samples as little-endian bytes, as a wave file's
                        // data holds them (samplechecksum.h)
    QByteArray formatMd5; // FLAC files: the MD5 FLAC keeps, as metaflac --show-md5sum prints it
    std::vector<quint32> secondsCrc; // decoded files: the same CRC-32 for each second of audio
    // Decoded files, when asked for: their loudness as measured while they were written;
    // null for a whole title's file, which has its tracks' instead.
    std::shared_ptr<const LoudnessMeter> loudness;
    // A whole title's file: the loudness of each track from its mark on, by track number.
    std::vector<std::pair<int, std::shared_ptr<const LoudnessMeter>>> trackLoudness;
    // Once the run has its albums: "REPLAYGAIN_TRACK_GAIN=-3.52 dB" and the rest; and for a
    // whole title's file a line per track, "track 2: REPLAYGAIN_TRACK_GAIN=...; ...".
    QStringList replayGain;
    QStringList trackReplayGain;
};

class OutputSink {
public:
    virtual ~OutputSink() = default;
    // Creates the files: CreateOutput when one cannot be created (no further one is made).
    [[nodiscard]] virtual Result open() = 0;
    // Finishes every file that is open, in the order they were made, and adds each one
    // left on the disc to *files (under its staging name, stagedfile.h; one that failed
    // part-way marked partial): Succeeded, or WriteOutput (bytes it took never reached a
    // file) or CloseOutput (a file could not be finished), with the file and the system's
    // reason. Nothing is left to finish afterwards.
    [[nodiscard]] virtual Result finish(std::vector<WrittenFile> *files) = 0;
};
