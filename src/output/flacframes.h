#pragma once
// FLAC frames encoded apart and put in one stream: each piece of a stream is encoded by
// an encoder of its own, which numbers its frames from 0. A frame header carries the
// frame's number, guarded by the header's CRC-8 and the frame's CRC-16; giving a frame its
// number in the whole stream means rewriting both.
#include <QtGlobal>
#include <vector>

namespace flacframes {

// CRC-8 (x^8 + x^2 + x + 1) and CRC-16 (x^16 + x^15 + x^2 + 1) as FLAC computes them:
// most significant bit first, starting from 0.
[[nodiscard]] quint8 crc8(const quint8 *data, size_t size);
[[nodiscard]] quint16 crc16(const quint8 *data, size_t size);

// The frame of `size` bytes at `frame`, numbered `number` instead, appended to *out.
// False (nothing appended) when the bytes are no fixed-blocksize frame header: a frame
// of a variable-blocksize stream, or cut short.
[[nodiscard]] bool renumber(const quint8 *frame, size_t size, quint64 number,
                            std::vector<quint8> *out);

// The number in a frame header (-1 when it is none); for the tests and checks.
[[nodiscard]] qint64 frameNumber(const quint8 *frame, size_t size);

} // namespace flacframes
