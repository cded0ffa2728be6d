#include "3-zone/dvdazone.h"

#include <QFileInfo>

#include "3-zone/folderzonesource.h"

enum { MANAGER_READ_SIZE = 510, TITLESET_COUNT_OFFSET = 63, MAX_TITLESETS = 99 };
static const char MANAGER_FILE_NAME[] = "AUDIO_TS.IFO";
static const char MANAGER_MAGIC[] = "DVDAUDIO-AMG";

DVDAZone::DVDAZone(const QDir &zoneDir)
    : DVDAZone(std::make_shared<FolderZoneSource>(zoneDir))
{
}

DVDAZone::DVDAZone(std::shared_ptr<ZoneSource> zoneSource)
    : dir(zoneSource->image ? QFileInfo(zoneSource->origin).absoluteDir() : QDir(zoneSource->origin)),
      source(std::move(zoneSource))
{
    // Until the manager file proves valid the zone holds no titleset; keeping the count
    // at 0 keeps it equal to the length of titlesets for anyone who loops over it.
    titlesetCount = 0;
    const std::unique_ptr<ZoneFile> manager = source->open(QLatin1String(MANAGER_FILE_NAME));
    if (!manager)
        return;
    const QByteArray header = manager->read(0, MANAGER_READ_SIZE);
    if (header.size() < MANAGER_READ_SIZE || !header.startsWith(MANAGER_MAGIC))
        return;

    titlesetCount = qMin(int(quint8(header[TITLESET_COUNT_OFFSET])), int(MAX_TITLESETS));
    titlesets.reserve(titlesetCount);
    // A titleset is kept whatever its own parse gives, so place i always holds number i + 1.
    for (int i = 0; i < titlesetCount; ++i)
        titlesets.add(std::make_unique<DVDATitleset>(source, i));
}

DVDAZone::~DVDAZone() = default;
