#include "window/recentzones.h"

#include <QFileInfo>

#include "window/usersettings.h"

namespace {
const char recentZonesKey[] = "RecentZones";
}

QStringList recentzones::list()
{
    QStringList existing;
    for (const QString &path : UserSettings().value(QLatin1String(recentZonesKey)).toStringList())
        if (QFileInfo::exists(path))
            existing << path;
    return existing;
}

void recentzones::add(const QString &path)
{
    UserSettings settings;
    QStringList zones = settings.value(QLatin1String(recentZonesKey)).toStringList();
    zones.removeAll(path);
    zones.prepend(path);
    settings.setValue(QLatin1String(recentZonesKey), zones.mid(0, MAX_ZONES));
}

void recentzones::clear()
{
    UserSettings().remove(QLatin1String(recentZonesKey));
}
