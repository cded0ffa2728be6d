#include "zone/zoneopener.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

#include "zone/dvdazone.h"
#include "zone/folderzonesource.h"
#include "zone/imagezonesource.h"

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("ZoneOpener", text);
}

// The file type as stat tells it, following links; 0 when it cannot be told.
mode_t fileType(const QString &path)
{
    struct stat status;
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return 0;
    return status.st_mode & S_IFMT;
}

// A mounted disc's root (or a copy of one) holds the zone in its AUDIO_TS folder, in
// whatever case the file system shows it; a folder with the zone's files is the zone.
QDir zoneFolder(const QDir &folder)
{
    const QStringList files = folder.entryList(QDir::Files | QDir::Hidden);
    for (const QString &name : files)
        if (name.compare(QLatin1String("AUDIO_TS.IFO"), Qt::CaseInsensitive) == 0)
            return folder;
    const QStringList folders = folder.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
    for (const QString &name : folders)
        if (name.compare(QLatin1String("AUDIO_TS"), Qt::CaseInsensitive) == 0)
            return QDir(folder.filePath(name));
    return folder;
}

} // namespace

bool isDiscImagePath(const QString &path)
{
    const mode_t type = fileType(path);
    if (type == S_IFBLK)
        return true;
    if (type != S_IFREG)
        return false;
    const QString suffix = QFileInfo(path).suffix();
    if (suffix.compare(QLatin1String("iso"), Qt::CaseInsensitive) == 0
        || suffix.compare(QLatin1String("img"), Qt::CaseInsensitive) == 0)
        return true;
    return looksLikeUdfImage(path);
}

QDir zoneLocation(const QString &path)
{
    const QFileInfo info(path);
    if (isDiscImagePath(path) || info.isDir())
        return QDir(info.absoluteFilePath());
    return info.absoluteDir();
}

std::unique_ptr<DVDAZone> loadZone(const QString &path, QString *error)
{
    const QFileInfo info(path);
    const mode_t type = fileType(path);
    std::shared_ptr<ZoneSource> source;
    if (type == S_IFDIR || type == 0) {
        // A folder that is not there gives an empty zone, like one without a zone.
        source = std::make_shared<FolderZoneSource>(zoneFolder(QDir(info.absoluteFilePath())));
    } else if (isDiscImagePath(path)) {
        source = ImageZoneSource::openImage(info.absoluteFilePath(), error);
        if (!source)
            return nullptr;
    } else if (type == S_IFREG) {
        source = std::make_shared<FolderZoneSource>(info.absoluteDir());
    } else {
        // A pipe or socket would block the first read.
        *error = tr("'%1' is not a folder, a file or a disc drive").arg(path);
        return nullptr;
    }
    return std::make_unique<DVDAZone>(source);
}

std::unique_ptr<DVDAZone> openZone(const QString &path, QString *error)
{
    if (!QFileInfo::exists(path)) {
        *error = tr("'%1': no such file or folder").arg(path);
        return nullptr;
    }
    std::unique_ptr<DVDAZone> zone = loadZone(path, error);
    if (zone && zone->titlesets.empty()) {
        *error = tr("'%1' holds no DVD-Audio zone: AUDIO_TS.IFO is missing, unreadable or "
                    "not valid")
                     .arg(QDir::toNativeSeparators(zone->source->origin));
        return nullptr;
    }
    return zone;
}
