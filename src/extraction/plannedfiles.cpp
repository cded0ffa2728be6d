#include "extraction/plannedfiles.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <unistd.h>

#include "zone/dvdaobject.h"
#include "output/stagedfile.h"
#include "extraction/objectnames.h"
#include "extraction/objectoutput.h"
#include "extraction/titleaudio.h"

namespace {

// The stream an object's files are made from, and whether they carry track marks.
const AOBObject *openingOf(const DVDAObject *object, bool *marked)
{
    *marked = false;
    if (!object)
        return nullptr;
    if (object->kind() == KindTrack || object->kind() == KindIndex)
        return static_cast<const AOBObject *>(object);
    if (object->kind() != KindTitle)
        return nullptr;
    const auto *title = static_cast<const DVDATitle *>(object);
    TitleAudio audio;
    if (titleAudio(*title, &audio).failed())
        return nullptr;
    *marked = !titleMarks(*title).empty();
    return audio.opening;
}

} // namespace

QStringList plannedFilesOf(const DVDAObject *object, const QString &basePath, const ExtractOptions &options)
{
    bool marked = false;
    const AOBObject *opening = openingOf(object, &marked);
    if (!opening || opening->streamInfo.payloadLength == 0)
        return {};
    return plannedOutputPaths(opening->streamInfo, basePath, options, marked);
}

void makeSubfolders(const QString &folderPath, const QStringList &paths)
{
    const QDir folder(folderPath);
    if (!folder.exists())
        return;
    for (const QString &path : paths) {
        const QString sub = folder.relativeFilePath(QFileInfo(path).path());
        if (sub != QLatin1String(".") && !sub.startsWith(QLatin1String("..")))
            (void)folder.mkpath(sub);
    }
}

QList<QStringList> plannedFilesByObject(const QList<DVDAObject *> &objects, const ExtractOptions &options)
{
    const QList<QString> names = extractionBaseNames(objects, options.nameTemplate, options.metadata.get());
    QList<QStringList> paths;
    for (int k = 0; k < objects.size(); ++k)
        paths << plannedFilesOf(objects.at(k), options.outputDir.path() + QLatin1Char('/') + names.at(k), options);
    return paths;
}

QStringList plannedFiles(const QList<DVDAObject *> &objects, const ExtractOptions &options)
{
    QStringList paths;
    for (const QStringList &files : plannedFilesByObject(objects, options))
        paths << files;
    return paths;
}

QStringList existingPlannedFiles(const QStringList &planned)
{
    QStringList existing;
    for (const QString &path : planned) {
        const QFileInfo entry(path);
        if (entry.exists() || entry.isSymLink()) // a dangling link would be written through
            existing << path;
    }
    return existing;
}

QString repeatedPlannedFile(const QStringList &planned)
{
    QSet<QString> seen;
    for (const QString &path : planned) {
        if (seen.contains(path))
            return path;
        seen.insert(path);
    }
    return QString();
}

QString tooLongPlannedName(const QStringList &planned, const QDir &folder, int *limit)
{
    enum { USUAL_NAME_MAX = 255 };
    const long most = ::pathconf(QFile::encodeName(folder.absolutePath()).constData(), _PC_NAME_MAX);
    *limit = most > 0 ? int(most) : int(USUAL_NAME_MAX);
    for (const QString &path : planned) {
        for (const QString &written : {path, stagingPath(path), partialPath(path)}) {
            if (QFile::encodeName(QFileInfo(written).fileName()).size() > *limit)
                return path;
        }
    }
    return QString();
}
