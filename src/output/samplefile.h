#pragma once
// One output file of decoded samples, as one file format writes it. Samples come as a
// sample sink lays them out (little-endian, 2 or 3 bytes) and are taken in place: the
// file gives room in its own buffer, the samples are written there, commit takes them.
#include <QByteArray>
#include <QString>
#include <vector>

#include "output/trackmarks.h"

class SampleFile {
public:
    virtual ~SampleFile() = default;
    // Creates (or replaces) the file; false if it cannot be created.
    [[nodiscard]] virtual bool open(const QString &path, int channels, int sampleRate, int bits,
                      int channelMask) = 0;
    // Room for count bytes of samples; null once samples could not be written.
    [[nodiscard]] virtual quint8 *reserve(qint64 count) = 0;
    virtual void commit(qint64 count) = 0;
    // Completes and closes the file; false if that failed.
    [[nodiscard]] virtual bool finish() = 0;
    // After a failed finish: whether samples that commit had taken were lost, rather
    // than the last ones or the header.
    [[nodiscard]] virtual bool lostSamples() const = 0;
    [[nodiscard]] virtual bool isOpen() const = 0;
    [[nodiscard]] virtual QString path() const = 0;
    // After a failed write or finish: the system's reason ("No space left on device").
    [[nodiscard]] virtual QString errorText() const = 0;
    // After a finish: the CRC-32 of every byte commit took (the samples as a wave file's
    // data holds them, samplechecksum.h), taken where the file is written or encoded.
    [[nodiscard]] virtual quint32 samplesCrc() const = 0;
    // After a finish: the same for each second of audio, in order (samplechecksum.h).
    [[nodiscard]] virtual std::vector<quint32> secondsCrc() const { return {}; }
    // After a finish: the MD5 the format keeps of its samples (FLAC's STREAMINFO), as hex;
    // empty for a format that keeps none.
    [[nodiscard]] virtual QByteArray formatMd5() const { return QByteArray(); }

    // Set before open. Where the tracks of a whole title begin, for the formats that
    // carry such marks.
    void setMarks(const TrackMarks &m) { marks = m; }
    // Before finish: the same marks, placed where the decoded stream put them (a file
    // made room for as many marks when it opened).
    void moveMarks(const TrackMarks &m)
    {
        if (m.marks.size() == marks.marks.size())
            marks = m;
    }
    // Set before open: how long the audio is said to be, in 90 kHz ticks (0 unknown), so
    // that a format can make room in its header for what a long file needs.
    void setExpectedLength(quint64 pts) { expectedPts = pts; }

    int channels = 0;
    int sampleRate = 0;
    int bits = 0;

protected:
    TrackMarks marks;
    quint64 expectedPts = 0;
};
