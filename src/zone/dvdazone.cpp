#include "zone/dvdazone.h"
#include "zone/discid.h"

#include <QFileInfo>

#include "zone/folderzonesource.h"

#include <QCoreApplication>

enum { MANAGER_READ_SIZE = 510, TITLESET_COUNT_OFFSET = 63, MAX_TITLESETS = 99 };
static const char MANAGER_FILE_NAME[] = "AUDIO_TS.IFO";
static const char MANAGER_BACKUP_NAME[] = "AUDIO_TS.BUP";
static const char MANAGER_MAGIC[] = "DVDAUDIO-AMG";

namespace {
QString tr(const char *text)
{
    return QCoreApplication::translate("DVDAZone", text);
}

[[nodiscard]] bool hidesObjects(const std::vector<ZoneProblem> &problems)
{
    for (const ZoneProblem &problem : problems)
        if (problem.hidesObjects)
            return true;
    return false;
}

// The whole file, or a null array when it cannot be read (information files are small).
QByteArray wholeFile(ZoneSource &source, const QString &name)
{
    enum { MOST = 1 << 21 };
    const std::unique_ptr<ZoneFile> file = source.open(name);
    if (!file || file->size() > MOST)
        return QByteArray();
    return file->read(0, file->size());
}
} // namespace

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
    const QByteArray header = managerHeader();
    if (header.isEmpty())
        return;

    titlesetCount = qMin(int(quint8(header[TITLESET_COUNT_OFFSET])), int(MAX_TITLESETS));
    titlesets.reserve(titlesetCount);
    // A titleset is kept whatever its own parse gives, so place i always holds number i + 1.
    for (int i = 0; i < titlesetCount; ++i)
        titlesets.add(readTitleset(i));
    discId = ::discId(*source, titlesetCount);
}

QByteArray DVDAZone::managerHeader()
{
    // Why a copy is no manager file; empty when it is one.
    const auto damage = [this](const char *name, QByteArray *header) {
        const std::unique_ptr<ZoneFile> file = source->open(QLatin1String(name));
        if (!file)
            return tr("cannot open the file (missing, or not a regular file)");
        *header = file->read(0, MANAGER_READ_SIZE);
        if (header->size() < MANAGER_READ_SIZE)
            return tr("header cut short: %1 of %2 bytes").arg(header->size()).arg(int(MANAGER_READ_SIZE));
        if (!header->startsWith(MANAGER_MAGIC))
            return tr("not an audio manager file (no \"%1\" at the start)").arg(QLatin1String(MANAGER_MAGIC));
        return QString();
    };
    QByteArray main, backup;
    const QString mainDamage = damage(MANAGER_FILE_NAME, &main);
    const QString backupDamage = damage(MANAGER_BACKUP_NAME, &backup);
    if (mainDamage.isEmpty()) {
        const QByteArray info = wholeFile(*source, QLatin1String(MANAGER_FILE_NAME));
        const QByteArray copy = wholeFile(*source, QLatin1String(MANAGER_BACKUP_NAME));
        if (backupDamage.isEmpty() && !info.isNull() && !copy.isNull() && info != copy)
            problems.push_back({QLatin1String(MANAGER_FILE_NAME), -1,
                                tr("differs from its backup AUDIO_TS.BUP; the .IFO is read"), false, 0});
        return main;
    }
    if (backupDamage.isEmpty()) {
        problems.push_back({QLatin1String(MANAGER_BACKUP_NAME), -1,
                            tr("read from AUDIO_TS.BUP: AUDIO_TS.IFO: %1").arg(mainDamage), false, 0});
        return backup;
    }
    problems.push_back({QLatin1String(MANAGER_FILE_NAME), -1, mainDamage, true, 0});
    return QByteArray();
}

std::unique_ptr<DVDATitleset> DVDAZone::readTitleset(int position)
{
    auto main = std::make_unique<DVDATitleset>(source, position);
    const QString backupName = QString::asprintf("ATS_%02d_0.BUP", position + 1);
    if (!hidesObjects(main->problems)) {
        // Both copies sound but not alike: one of them is damaged where no check sees it.
        const QByteArray backup = wholeFile(*source, backupName);
        const QByteArray info = wholeFile(*source, main->infoName);
        if (!backup.isNull() && !info.isNull() && backup != info)
            main->problems.push_back({main->infoName, -1,
                                      tr("differs from its backup %1; the .IFO is read").arg(backupName), false,
                                      main->number});
        return main;
    }
    // A backup the same as the damaged file is as damaged.
    const QByteArray backupBytes = wholeFile(*source, backupName);
    if (backupBytes.isNull() || backupBytes == wholeFile(*source, main->infoName))
        return main;
    auto backup = std::make_unique<DVDATitleset>(source, position, true);
    if (hidesObjects(backup->problems))
        return main;
    QStringList why;
    for (const ZoneProblem &problem : main->problems)
        if (problem.hidesObjects)
            why << problemText(problem);
    backup->problems.insert(backup->problems.begin(),
                            {backupName, -1, tr("read from %1: %2").arg(backupName, why.join(QStringLiteral("; "))),
                             false, backup->number});
    return backup;
}

DVDAZone::~DVDAZone() = default;
