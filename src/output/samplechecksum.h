#pragma once
// The checksum the rip log gives each file: the CRC-32 (of zlib and ZIP, as CD rippers'
// logs give one per track) of the samples as a wave file's data holds them. It runs at
// some 2 GB/s where MD5 runs at 0.6, and FFmpeg reproduces it from a WAV or a FLAC file
// alike: ffmpeg -i FILE -c:a pcm_s24le -f hash -hash crc32 - (pcm_s16le for 16 bits).
#include <QString>
#include <QtGlobal>
#include <vector>

// The CRC-32 of a file's samples as they are written, whole and for each second of audio
// (the last second as long as the audio), so that a check years later can say where a file
// changed, not only that it did.
class SampleCrc {
public:
    // bytesPerSecond: a second's samples, rate times frame size; 0 keeps no seconds.
    void start(qint64 bytesPerSecond);
    void add(const quint8 *data, qint64 count);
    // The whole file's: the seconds' CRCs combined (zlib's crc32_combine), so that every
    // byte is read once.
    [[nodiscard]] quint32 whole() const;
    [[nodiscard]] const std::vector<quint32> &seconds() const { return secondsDone; }

private:
    quint32 all = 0; // of the seconds before the one under way; of everything without seconds
    quint32 second = 0;
    qint64 perSecond = 0;
    qint64 inSecond = 0;
    std::vector<quint32> secondsDone; // with the one under way once it holds a byte
};

// The CRC-32 carried on from crc (0 to begin) over count bytes.
[[nodiscard]] quint32 crc32Of(quint32 crc, const quint8 *data, qint64 count);
// "8 lowercase hex digits", as ffmpeg prints it.
[[nodiscard]] QString crc32Text(quint32 crc);
