#include "dump/bufferedoutput.h"

#include <cstring>

void BufferedOutput::start(QFile *file_)
{
    file = file_;
    buffer.resize(FIRST_SIZE);
    used = 0;
    writeFailed = false;
}

bool BufferedOutput::write(const quint8 *data, qint64 count)
{
    if (count >= FIRST_SIZE) { // already a large write: no copy
        if (!file || !file->isOpen() || !flush())
            return false;
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
    if (used + count > qint64(buffer.size()) && !flush())
        return nullptr;
    if (count > qint64(buffer.size()))
        buffer.resize(size_t(count));
    return buffer.data() + used;
}

bool BufferedOutput::flush()
{
    if (writeFailed || !file)
        return false;
    writeFailed = used > 0
        && file->write(reinterpret_cast<const char *>(buffer.data()), used) != used;
    used = 0;
    if (!writeFailed && buffer.size() < size_t(LARGEST_SIZE))
        buffer.resize(qMin(2 * buffer.size(), size_t(LARGEST_SIZE)));
    return !writeFailed;
}

void BufferedOutput::release()
{
    std::vector<quint8>().swap(buffer);
    used = 0;
}
