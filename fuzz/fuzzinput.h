#pragma once
// How the fuzz targets cut one input into the pieces they feed to the code under test.
#include <QByteArray>
#include <QList>
#include <cstddef>
#include <cstdint>

namespace fuzzinput {

// Pieces of the input, each led by its length as two little-endian bytes; the last piece
// takes whatever is left. A length running past the end is cut.
inline QList<QByteArray> split(const uint8_t *data, size_t size, int pieces)
{
    QList<QByteArray> parts;
    size_t at = 0;
    for (int k = 0; k < pieces; ++k) {
        size_t length = size - at;
        if (k + 1 < pieces) {
            length = at + 2 <= size ? size_t(data[at] | data[at + 1] << 8) : 0;
            at = qMin(at + 2, size);
            length = qMin(length, size - at);
        }
        parts << QByteArray(reinterpret_cast<const char *>(data + at), qsizetype(length));
        at += length;
    }
    return parts;
}

// The inverse of split, for the seed corpus.
inline QByteArray join(const QList<QByteArray> &parts)
{
    QByteArray joined;
    for (int k = 0; k < parts.size(); ++k) {
        if (k + 1 < parts.size()) {
            const int length = qMin(int(parts[k].size()), 0xFFFF);
            joined += char(length & 0xFF);
            joined += char(length >> 8);
            joined += parts[k].left(length);
        } else {
            joined += parts[k];
        }
    }
    return joined;
}

// A folder for files the targets write, in memory where the system offers one.
QString scratchFolder();

} // namespace fuzzinput
