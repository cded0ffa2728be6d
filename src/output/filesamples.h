#pragma once
// The samples a finished WAV or FLAC file holds, read back to be checked against the rip
// log: how many frames, and the CRC-32 of the samples as a wave file's data holds them
// (samplechecksum.h), which is the same for a track's WAV and its FLAC. A FLAC file is
// decoded by libFLAC; a wave file's data chunk is read as it is.
#include <QString>
#include <QtGlobal>
#include <vector>

struct FileSamples {
    QString error; // why the file cannot be read; empty when it was
    qint64 frames = 0;
    quint32 crc = 0;
    std::vector<quint32> seconds; // the CRC-32 of each second, as the rip log gives them
    int channels = 0, sampleRate = 0, bits = 0;
};

[[nodiscard]] FileSamples readFileSamples(const QString &path);
