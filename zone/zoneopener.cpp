#include "zone/zoneopener.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "zone/dvdazone.h"

std::unique_ptr<DVDAZone> openZone(const QString &path, QString *error)
{
    const QFileInfo info(path);
    if (!info.exists()) {
        *error = QCoreApplication::translate("ZoneOpener", "'%1': no such file or folder").arg(path);
        return nullptr;
    }
    const QDir folder = info.isDir() ? QDir(info.absoluteFilePath()) : info.absoluteDir();
    auto zone = std::make_unique<DVDAZone>(folder);
    if (zone->titlesets.empty()) {
        *error = QCoreApplication::translate(
                     "ZoneOpener",
                     "'%1' holds no DVD-Audio zone: AUDIO_TS.IFO is missing, unreadable or "
                     "not valid")
                     .arg(QDir::toNativeSeparators(folder.path()));
        return nullptr;
    }
    return zone;
}
