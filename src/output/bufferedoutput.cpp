#include "output/bufferedoutput.h"

#include <cstring>

#include "output/samplechecksum.h"

void BufferedOutput::start(QFile *file_, bool checksum_, qint64 bytesPerSecond)
{
    checksummed = checksum_;
    checksum.start(bytesPerSecond);
    background.end(); // an earlier file's, had nobody released it
    file = file_;
    buffer.resize(FIRST_SIZE);
    used = 0;
    writeFailed = backgroundFailed = false;
}

bool BufferedOutput::write(const quint8 *data, qint64 count)
{
    if (count >= FIRST_SIZE) { // already a large write: no copy
        if (!file || !file->isOpen() || !flush())
            return false;
        if (checksummed)
            checksum.add(data, count);
        writeFailed = file->write(reinterpret_cast<const char *>(data), count) != count;
        return !writeFailed;
    }
    quint8 *room = reserve(count);
    if (!room)
        return false;
    std::memcpy(room, data, size_t(count));
    commit(count);
    return true;
}

quint8 *BufferedOutput::reserve(qint64 count)
{
    if (!file || !file->isOpen() || count < 0 || writeFailed)
        return nullptr;
    if (used + count > qint64(buffer.size()) && !handOver())
        return nullptr;
    if (count > qint64(buffer.size()))
        buffer.resize(size_t(count));
    return buffer.data() + used;
}

// Called by reserve only, with an open file and no failed write.
bool BufferedOutput::handOver()
{
    // Until the buffer has grown to its largest size, it is written in line: a file of a
    // few hundred KB is done before a thread would have paid for its start. So is every
    // write of a file that finds the background slots taken.
    if (buffer.size() < size_t(LARGEST_SIZE) || !background.claim()) {
        if (!flush())
            return false;
        // Grown here, not in flush: a file's last flush would zero a buffer never used.
        if (buffer.size() < size_t(LARGEST_SIZE))
            buffer.resize(qMin(2 * buffer.size(), size_t(LARGEST_SIZE)));
        return true;
    }
    if (used == 0)
        return true;
    writeFailed = backgroundFailed = !background.start(file, buffer.data(), used, checksummed ? &checksum : nullptr);
    if (writeFailed)
        return false;
    used = 0;
    buffer.swap(spare);
    buffer.resize(qMax(size_t(BACKGROUND_SIZE), spare.size()));
    return true;
}

bool BufferedOutput::flush()
{
    if (!background.wait())
        writeFailed = backgroundFailed = true;
    if (writeFailed || !file)
        return false;
    if (used > 0 && checksummed)
        checksum.add(buffer.data(), used);
    writeFailed = used > 0
        && file->write(reinterpret_cast<const char *>(buffer.data()), used) != used;
    used = 0;
    return !writeFailed;
}

void BufferedOutput::release()
{
    // The write in flight, if any, still reads the other buffer.
    background.end();
    std::vector<quint8>().swap(buffer);
    std::vector<quint8>().swap(spare);
    used = 0;
}
