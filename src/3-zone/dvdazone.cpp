#include "3-zone/dvdazone.h"

#include <QFileInfo>

#include "3-zone/folderzonesource.h"

#include "1-base/result.h"

enum { MANAGER_READ_SIZE = 510, TITLESET_COUNT_OFFSET = 63, MAX_TITLESETS = 99 };
static const char MANAGER_FILE_NAME[] = "AUDIO_TS.IFO";
static const char MANAGER_MAGIC[] = "DVDAUDIO-AMG";

// Stamps every node with its path from the zone down; consumers find parents by it.
static void assignPositions(std::vector<DVDATitleset *> &titlesets)
{
    for (size_t a = 0; a < titlesets.size(); ++a) {
        DVDATitleset *titleset = titlesets[a];
        titleset->titlesetPos = qint32(a);
        for (size_t b = 0; b < titleset->titles.size(); ++b) {
            DVDATitle *title = titleset->titles[b];
            title->titlePos = qint32(b);
            title->titlesetPos = qint32(a);
            for (size_t k = 0; k < title->tracks.size(); ++k) {
                DVDATrack *track = title->tracks[k];
                track->trackPos = qint32(k);
                track->titlePos = qint32(b);
                track->titlesetPos = qint32(a);
                for (size_t d = 0; d < track->indexes.size(); ++d) {
                    DVDASectorPointer *index = track->indexes[d];
                    index->indexPos = qint32(d);
                    index->trackPos = qint32(k);
                    index->titlePos = qint32(b);
                    index->titlesetPos = qint32(a);
                }
            }
        }
    }
}

DVDAZone::DVDAZone(const QDir &zoneDir)
    : DVDAZone(std::make_shared<FolderZoneSource>(zoneDir))
{
}

DVDAZone::DVDAZone(std::shared_ptr<ZoneSource> zoneSource)
    : dir(zoneSource->image ? QFileInfo(zoneSource->origin).absoluteDir() : QDir(zoneSource->origin)),
      source(std::move(zoneSource))
{
    kindCode = KindZone;
    currentZone = this;

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
        titlesets.push_back(new DVDATitleset(source, i));

    assignPositions(titlesets);
}

DVDAZone::~DVDAZone()
{
    for (DVDATitleset *titleset : titlesets)
        delete titleset;
    // currentZone names the zone built last: never leave it dangling.
    if (currentZone == this)
        currentZone = nullptr;
}

int DVDAZone::readBlock(int titlesetPosition, quint32 block, quint8 *buffer)
{
    if (titlesetPosition < 0 || size_t(titlesetPosition) >= titlesets.size())
        return ErrNoTitleset;
    return titlesets[titlesetPosition]->readBlock(block, buffer);
}
