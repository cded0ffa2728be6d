#pragma once
// The checksum the rip log gives each file: the CRC-32 (of zlib and ZIP, as CD rippers'
// logs give one per track) of the samples as a wave file's data holds them. It runs at
// some 2 GB/s where MD5 runs at 0.6, and FFmpeg reproduces it from a WAV or a FLAC file
// alike: ffmpeg -i FILE -c:a pcm_s24le -f hash -hash crc32 - (pcm_s16le for 16 bits).
#include <QString>
#include <QtGlobal>

// The CRC-32 carried on from crc (0 to begin) over count bytes.
[[nodiscard]] quint32 crc32Of(quint32 crc, const quint8 *data, qint64 count);
// "8 lowercase hex digits", as ffmpeg prints it.
QString crc32Text(quint32 crc);
