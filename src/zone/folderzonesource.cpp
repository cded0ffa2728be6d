#include "zone/folderzonesource.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

enum { BLOCK_BYTES = 2048 };

// Positioned reads: no seek, and no shared file position between threads.
class FolderFile : public ZoneFile {
public:
    FolderFile(int descriptor, qint64 fileSize) : fd(descriptor), bytes(fileSize) {}
    ~FolderFile() override { ::close(fd); }

    qint64 size() const override { return bytes; }

    [[nodiscard]] int readBlocks(quint32 first, int count, quint8 *buffer) override
    {
        const qint64 got = readAt(qint64(first) * BLOCK_BYTES, buffer, qint64(count) * BLOCK_BYTES);
        return int(got / BLOCK_BYTES);
    }

    QByteArray read(qint64 offset, qint64 wanted) override
    {
        const qint64 length = readableLength(bytes, offset, wanted);
        QByteArray bytesRead(int(length), Qt::Uninitialized);
        const qint64 got = readAt(offset, reinterpret_cast<quint8 *>(bytesRead.data()), length);
        bytesRead.truncate(int(got));
        return bytesRead;
    }

private:
    // Up to length bytes; stops at the end of the file or at an error.
    qint64 readAt(qint64 offset, quint8 *buffer, qint64 length)
    {
        qint64 done = 0;
        while (done < length) {
            const ssize_t n = ::pread(fd, buffer + done, size_t(length - done), off_t(offset + done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            done += n;
        }
        return done;
    }

    int fd;
    qint64 bytes;
};

} // namespace

FolderZoneSource::FolderZoneSource(const QDir &zoneFolder)
    : folder(zoneFolder)
{
    origin = zoneFolder.path();
}

std::unique_ptr<ZoneFile> FolderZoneSource::open(const QString &name)
{
    QString found = name;
    if (!QFileInfo::exists(folder.filePath(name))) {
        const QStringList names = folder.entryList(QDir::AllEntries | QDir::System | QDir::Hidden
                                                   | QDir::NoDotAndDotDot);
        found = matchName(names, name);
        if (found.isEmpty())
            return nullptr;
    }
    const QByteArray path = QFile::encodeName(folder.filePath(found));
    // Non-blocking, so that opening a pipe returns at once; it is refused just after.
    const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    struct stat status;
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<FolderFile>(fd, qint64(status.st_size));
}
