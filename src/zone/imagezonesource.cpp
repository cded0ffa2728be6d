#include "zone/imagezonesource.h"

#include <QCoreApplication>
#include <QFile>
#include <QMutex>
#include <QMutexLocker>

#include <udfread/udfread.h>
#include <unistd.h>

namespace {

enum {
    BLOCK_BYTES = 2048,
    RECOGNITION_FIRST_SECTOR = 16, // the volume recognition sequence starts at byte 32768
    RECOGNITION_SECTORS = 16,
};

QString tr(const char *text)
{
    return QCoreApplication::translate("ImageZoneSource", text);
}

} // namespace

// The open image: libudfread keeps one read position per volume, so every read of every
// file takes the lock.
struct ImageVolume {
    ~ImageVolume()
    {
        if (udf)
            udfread_close(udf);
    }
    udfread *udf = nullptr;
    QMutex lock;
};

namespace {

class ImageFile : public ZoneFile {
public:
    ImageFile(std::shared_ptr<ImageVolume> shared, UDFFILE *opened)
        : volume(std::move(shared)), file(opened), bytes(udfread_file_size(opened))
    {
    }
    ~ImageFile() override
    {
        QMutexLocker locker(&volume->lock);
        udfread_file_close(file);
    }

    qint64 size() const override { return bytes; }

    [[nodiscard]] int readBlocks(quint32 first, int count, quint8 *buffer) override
    {
        if (count <= 0)
            return 0;
        QMutexLocker locker(&volume->lock);
        // Blocks past the end of a cut image come back as a short count.
        return int(udfread_read_blocks(file, buffer, first, quint32(count), 0));
    }

    QByteArray read(qint64 offset, qint64 wanted) override
    {
        QByteArray result;
        const qint64 length = readableLength(bytes, offset, wanted);
        if (length <= 0)
            return result;
        QMutexLocker locker(&volume->lock);
        if (udfread_file_seek(file, offset, UDF_SEEK_SET) != offset)
            return result;
        result.resize(int(length));
        const ssize_t got = udfread_file_read(file, result.data(), size_t(length));
        result.resize(got > 0 ? int(got) : 0);
        return result;
    }

private:
    std::shared_ptr<ImageVolume> volume;
    UDFFILE *file;
    qint64 bytes;
};

// The names of a folder's entries of one type.
QStringList entries(udfread *udf, const QString &folder, unsigned type)
{
    QStringList names;
    UDFDIR *dir = udfread_opendir(udf, QFile::encodeName(folder).constData());
    if (!dir)
        return names;
    udfread_dirent entry;
    while (udfread_readdir(dir, &entry)) {
        if (entry.d_type == type)
            names.append(QString::fromUtf8(entry.d_name));
    }
    udfread_closedir(dir);
    return names;
}

} // namespace

bool looksLikeUdfImage(const QString &path)
{
    // Read at an offset without seeking: a drive without a disc (or an empty device) fails
    // the seek, which QFile would report on standard error before our own message.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QByteArray area(RECOGNITION_SECTORS * BLOCK_BYTES, '\0');
    const ssize_t got = ::pread(file.handle(), area.data(), size_t(area.size()),
                                off_t(RECOGNITION_FIRST_SECTOR) * BLOCK_BYTES);
    area.truncate(got > 0 ? qsizetype(got) : 0);
    for (int at = 0; at + 6 <= area.size(); at += BLOCK_BYTES) {
        const QByteArray id = area.mid(at + 1, 5);
        if (id == "NSR02" || id == "NSR03")
            return true;
    }
    return false;
}

std::unique_ptr<ImageZoneSource> ImageZoneSource::openImage(const QString &imagePath, QString *error)
{
    if (!looksLikeUdfImage(imagePath)) {
        *error = tr("'%1' is not a UDF disc image").arg(imagePath);
        return nullptr;
    }
    auto volume = std::make_shared<ImageVolume>();
    volume->udf = udfread_init();
    if (!volume->udf || udfread_open(volume->udf, QFile::encodeName(imagePath).constData()) < 0) {
        if (volume->udf)
            udfread_close(volume->udf);
        volume->udf = nullptr;
        *error = tr("'%1': the disc image's file system cannot be read").arg(imagePath);
        return nullptr;
    }
    const QString folder = matchName(entries(volume->udf, QStringLiteral("/"), UDF_DT_DIR),
                                     QStringLiteral("AUDIO_TS"));
    if (folder.isEmpty()) {
        *error = tr("'%1': the disc image has no AUDIO_TS folder").arg(imagePath);
        return nullptr;
    }
    std::unique_ptr<ImageZoneSource> source(new ImageZoneSource);
    source->zoneFolder = QLatin1Char('/') + folder;
    source->fileNames = entries(volume->udf, source->zoneFolder, UDF_DT_REG);
    const char *volumeId = udfread_get_volume_id(volume->udf);
    source->volumeName = volumeId ? QString::fromUtf8(volumeId) : QString();
    source->origin = imagePath;
    source->image = true;
    source->volume = std::move(volume);
    return source;
}

std::unique_ptr<ZoneFile> ImageZoneSource::open(const QString &name)
{
    const QString found = matchName(fileNames, name);
    if (found.isEmpty())
        return nullptr;
    const QByteArray path = QFile::encodeName(zoneFolder + QLatin1Char('/') + found);
    QMutexLocker locker(&volume->lock);
    UDFFILE *file = udfread_file_open(volume->udf, path.constData());
    if (!file)
        return nullptr;
    locker.unlock();
    return std::make_unique<ImageFile>(volume, file);
}
