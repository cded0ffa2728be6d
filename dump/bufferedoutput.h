#pragma once
// Bytes gathered in memory and handed to a file in large writes: with a write per pack
// or per unit, the system's cost per call was what an extraction spent most on. The
// buffer starts at FIRST_SIZE, so that a full disc shows in the first writes, and
// doubles with each write that went through up to LARGEST_SIZE.
#include <vector>

#include <QFile>

class BufferedOutput {
public:
    enum { FIRST_SIZE = 64 * 1024, LARGEST_SIZE = 256 * 1024 };

    // Gathers for file, which is open Unbuffered: QFile's own buffer would only copy the
    // bytes once more.
    void start(QFile *file);
    // Appends bytes; false once bytes could not be written to the file.
    [[nodiscard]] bool write(const quint8 *data, qint64 count);
    // Room for up to count bytes after the gathered ones, for a writer that lays its
    // bytes out in place instead of copying them in; commit then appends the bytes it
    // filled. Null (nothing to commit) once bytes could not be written.
    quint8 *reserve(qint64 count);
    void commit(qint64 count) { used += count; }
    // Hands the gathered bytes to the file; false if any bytes could not be written.
    [[nodiscard]] bool flush();
    // Drops the buffer's memory: the file is finished.
    void release();

private:
    QFile *file = nullptr;
    std::vector<quint8> buffer; // its first `used` bytes are not yet handed to the file
    qint64 used = 0;
    bool writeFailed = false; // some bytes never reached the file
};
