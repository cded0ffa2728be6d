#pragma once
// Where a zone's files come from: a folder on disk or the file system of a disc image or
// drive. The zone model reads every IFO and AOB byte through this, so the block addressing
// and the parsers never know which one it is.
#include <QString>
#include <QStringList>
#include <memory>

// One open file of the zone.
class ZoneFile {
public:
    virtual ~ZoneFile() = default;
    // The size in bytes as the file system records it.
    [[nodiscard]] virtual qint64 size() const = 0;
    // Whole 2048-byte blocks from a file-relative block on; the number read, fewer at the
    // end of the data or on a failure.
    [[nodiscard]] virtual int readBlocks(quint32 first, int count, quint8 *buffer) = 0;
    // Up to length bytes from offset; fewer at the end, none on a failure.
    [[nodiscard]] virtual QByteArray read(qint64 offset, qint64 length) = 0;
};

class ZoneSource {
public:
    virtual ~ZoneSource() = default;
    // The zone file of that name, matched without regard to case; null when there is none
    // or it is not a regular file (a pipe or device would block or never end).
    [[nodiscard]] virtual std::unique_ptr<ZoneFile> open(const QString &name) = 0;

    QString origin;     // the zone folder, or the image file or device
    QString volumeName; // the image's volume name; empty for a folder
    bool image = false;
};

// How many of length bytes from offset a file of size bytes can give, and a QByteArray hold.
[[nodiscard]] qint64 readableLength(qint64 size, qint64 offset, qint64 length);

// The name among names that equals wanted without regard to case, the exact spelling
// first; empty when there is none.
[[nodiscard]] QString matchName(const QStringList &names, const QString &wanted);
