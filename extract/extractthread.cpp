#include "extract/extractthread.h"

#include <QDir>
#include <QSet>

#include "dump/dumpobject.h"
#include "extract/extractresult.h"
#include "extract/jobqueue.h"
#include "zone/dvdazone.h"
#include "zone/objectpath.h"

namespace {
enum {
    WAIT_POLL_MS = 1000, // how often the wait looks at the job queue again
    STOP_POLL_MS = 50,   // how soon within that second a stop request is seen
};

// name, or the first of name-2, name-3, ... that is not in used.
QString unusedName(const QString &name, const QSet<QString> &used)
{
    QString candidate = name;
    for (int n = 2; used.contains(candidate); ++n)
        candidate = name + QLatin1Char('-') + QString::number(n);
    return candidate;
}
} // namespace

ExtractThread::ExtractThread(DVDAZone *zone_, const QList<DVDAObject *> &objects_,
                             const ExtractOptions &options_, JobQueue *jobs_)
    : zone(zone_), objects(objects_), options(options_), jobs(jobs_)
{
    // itemProcessing crosses to the GUI thread through a queued connection.
    qRegisterMetaType<DVDAObject *>("DVDAObject*");
}

ExtractThread::~ExtractThread()
{
    stop();
    wait();
}

QString ExtractThread::baseName(const DVDAZone *zone, const DVDAObject *object)
{
    ObjectPath path;
    if (!object || !resolveObjectPath(zone, object, &path) || !path.track)
        return QString();
    const int title = path.title->number();
    const int tag = path.title->tag();
    if (object->kind() == KindIndex)
        return QString::asprintf("index-%02d-%02d[%01d]-%02d", path.titleset->number, title,
                                 tag, path.index->number);
    return QString::asprintf("track-%02d-%02d[%01d]-%02d", path.titleset->number, title, tag,
                             path.track->number);
}

void ExtractThread::run()
{
    setTerminationEnabled(true);
    walkResult = ExtractSucceeded;
    objectChecks.clear();
    usedNames.clear();
    walkResult = walk();
    // Nothing more will be queued; the job thread ends once it has worked off the rest.
    if (jobs)
        jobs->close();
}

int ExtractThread::walk()
{
    int firstFailure = ExtractSucceeded;
    for (DVDAObject *object : std::as_const(objects)) {
        if (!object)
            continue;
        const int kind = object->kind();
        if (kind != KindIndex && kind != KindTrack)
            return ErrObjectKind;

        if (!zone)
            return ErrNoZone;
        ObjectPath path;
        if (!resolveObjectPath(zone, object, &path))
            return ErrNoTitleset;
        progress.titleset.store(path.titleset->number, std::memory_order_relaxed);
        progress.title.store(path.title->titleId, std::memory_order_relaxed);
        progress.track.store(path.track->number, std::memory_order_relaxed);
        progress.index.store(path.index ? path.index->number : 0, std::memory_order_relaxed);
        // Two objects with one name (titles of the same number and tag on a damaged
        // disc): the later one gets a name of its own instead of overwriting the first.
        const QString name = baseName(zone, object);
        const QString uniqueName = unusedName(name, usedNames);
        usedNames.insert(uniqueName);
        const QString basePath = options.outputDir.path() + QLatin1Char('/') + uniqueName;

        waitForJobQueue();
        // A stop seen here ends the walk before the object is announced, so no file of
        // it is created and no same-named file of an earlier extraction is truncated.
        if (stopRequested())
            return ErrCancelled;

        emit itemProcessing(object, ItemStarted);
        if (uniqueName != name)
            emit itemRenamed(object, uniqueName);
        ObjectCheck check;
        const int result = dumpObject(zone, static_cast<AOBObject *>(object), basePath, options,
                                      jobs, progress, &check);
        objectChecks.append(check);
        if (result != ExtractSucceeded)
            emit itemFailed(object, result);
        emit itemProcessing(object, result == ExtractSucceeded ? ItemSucceeded : ItemFailed);
        if (result == ExtractSucceeded)
            continue;
        // A verification, like keepGoing, does not let one object keep the others from it.
        if (!(options.keepGoing || options.mode == ModeVerify) || result == ErrCancelled)
            return result;
        if (firstFailure == ExtractSucceeded)
            firstFailure = result;
    }
    return firstFailure;
}

void ExtractThread::waitForJobQueue()
{
    if (!jobs)
        return;
    const qint64 threshold = qint64(options.cache) * 1048576;
    while (jobs->pendingBytes() > threshold && !stopRequested()) {
        progress.waiting.store(true, std::memory_order_relaxed);
        // One second between looks at the queue, in short slices so a stop ends it at once.
        for (int slept = 0; slept < WAIT_POLL_MS && !stopRequested(); slept += STOP_POLL_MS)
            QThread::msleep(STOP_POLL_MS);
        progress.waiting.store(false, std::memory_order_relaxed);
    }
}
