#pragma once
// Bytes gathered in memory and handed to a file in large writes: with a write per pack
// or per unit, the system's cost per call was what an extraction spent most on. The
// buffer starts at FIRST_SIZE, so that a full disc shows in the first writes, and
// doubles with each write that went through up to LARGEST_SIZE. From then on, while a
// background slot is to be had, a full buffer is written in the background while the bytes
// after it gather in a second one, so a failed write shows at the next hand-over, or at
// the last flush.
#include <vector>

#include <QFile>

#include "output/backgroundwrite.h"

class BufferedOutput {
public:
    // Written in the background, the buffers hold BACKGROUND_SIZE each: every hand-over
    // wakes a thread, which costs tens of microseconds on a virtual machine, and a MiB per
    // hand-over keeps that a small part of the write.
    enum { FIRST_SIZE = 64 * 1024, LARGEST_SIZE = 256 * 1024, BACKGROUND_SIZE = 1024 * 1024 };

    // Gathers for file, which is open Unbuffered: QFile's own buffer would only copy the
    // bytes once more. With checksum, the CRC-32 of the bytes is taken as they are written.
    // bytesPerSecond: with checksum, a second of the samples, for the CRC-32 of each.
    void start(QFile *file, bool checksum = false, qint64 bytesPerSecond = 0);
    // The CRC-32 of every byte written or committed since start (and of each second), taken
    // on whichever thread writes them (the background one, mostly); final after a flush.
    [[nodiscard]] quint32 crc() const { return checksum.whole(); }
    [[nodiscard]] const std::vector<quint32> &secondsCrc() const { return checksum.seconds(); }
    // Appends bytes; false once bytes could not be written to the file.
    [[nodiscard]] bool write(const quint8 *data, qint64 count);
    // Room for up to count bytes after the gathered ones, for a writer that lays its
    // bytes out in place instead of copying them in; commit then appends the bytes it
    // filled. Null (nothing to commit) once bytes could not be written.
    [[nodiscard]] quint8 *reserve(qint64 count);
    void commit(qint64 count) { used += count; }
    // Hands the gathered bytes to the file and waits until they are in it; false if any
    // bytes could not be written.
    [[nodiscard]] bool flush();
    // Drops the buffers' memory and the background slot: the file is finished.
    void release();
    // Whether bytes that write or commit had taken could not be written to the file later,
    // in the background: the failure a write in line would have reported as it happened.
    [[nodiscard]] bool lostTakenBytes() const { return backgroundFailed; }

private:
    // Starts writing the gathered bytes in the background and goes on in the other buffer.
    [[nodiscard]] bool handOver();

    QFile *file = nullptr;
    std::vector<quint8> buffer; // its first `used` bytes are not yet handed to the file
    std::vector<quint8> spare;  // being written in the background, or free
    BackgroundWrite background;
    qint64 used = 0;
    SampleCrc checksum;
    bool checksummed = false;
    bool writeFailed = false; // some bytes never reached the file
    bool backgroundFailed = false; // ...and they were written in the background
};
