#include "5-extraction/extractthread.h"

#include <thread>
#include <vector>

#include <QDir>
#include <QSet>

#include "5-extraction/dumpobject.h"
#include "1-base/result.h"
#include "5-extraction/jobqueue.h"
#include "3-zone/dvdazone.h"
#include "3-zone/objectpath.h"

namespace {
enum {
    WAIT_POLL_MS = 1000, // how often the wait looks at the job queue again
    STOP_POLL_MS = 50,   // how soon within that second a stop request is seen
    MAX_WORKERS = 64,
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
    : zone(zone_), objects(objects_), options(options_), jobs(jobs_),
      workers(qBound(1, options_.threads, int(MAX_WORKERS)))
{
    if (workers > 1)
        moreProgress = std::make_unique<ExtractProgress[]>(size_t(workers - 1));
    // itemProcessing crosses to the GUI thread through a queued connection.
    qRegisterMetaType<DVDAObject *>("DVDAObject*");
}

ExtractThread::~ExtractThread()
{
    stop();
    wait();
}

void ExtractThread::stop()
{
    progress.stopRequested.store(true);
    for (int k = 1; k < workers; ++k)
        moreProgress[size_t(k - 1)].stopRequested.store(true);
}

const ExtractProgress &ExtractThread::workerProgress(int k) const
{
    return k <= 0 || k >= workers ? progress : moreProgress[size_t(k - 1)];
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
    nameObjects();
    objectChecks.assign(size_t(objects.size()), ObjectCheck());
    walkResult = walk();
    // Nothing more will be queued; the job thread ends once it has worked off the rest.
    if (jobs)
        jobs->close();
}

int ExtractThread::walk()
{
    nextObject.store(0);
    firstFailure.store(ExtractSucceeded);
    cancelled.store(false);
    std::vector<std::thread> others;
    for (int k = 1; k < workers; ++k)
        others.emplace_back([this, k] { work(moreProgress[size_t(k - 1)]); });
    work(progress);
    for (std::thread &other : others)
        other.join();
    return cancelled.load() ? int(ErrCancelled) : firstFailure.load();
}

void ExtractThread::nameObjects()
{
    // Two objects with one name (titles of the same number and tag on a damaged disc):
    // the later one gets a name of its own instead of overwriting the first.
    QSet<QString> used;
    names.clear();
    for (DVDAObject *object : std::as_const(objects)) {
        const QString name = unusedName(baseName(zone, object), used);
        used.insert(name);
        names.append(name);
    }
}

QList<ObjectCheck> ExtractThread::checks() const
{
    QList<ObjectCheck> reached;
    for (const ObjectCheck &check : objectChecks)
        if (check.object)
            reached.append(check);
    return reached;
}

void ExtractThread::work(ExtractProgress &own)
{
    // With keepGoing a failed object does not end the walk, nor in a verification, where
    // one object must not keep the others from being checked; a stop always does.
    const bool goOn = options.keepGoing || options.mode == ModeVerify;
    while (goOn || firstFailure.load() == ExtractSucceeded) {
        const int k = nextObject.fetch_add(1);
        if (k >= objects.size())
            return;
        const int result = extractObject(k, own);
        if (result == ExtractSucceeded)
            continue;
        int none = ExtractSucceeded;
        firstFailure.compare_exchange_strong(none, result);
        if (result == ErrCancelled)
            cancelled.store(true);
        if (!goOn || result == ErrCancelled)
            return;
    }
}

int ExtractThread::extractObject(int k, ExtractProgress &own)
{
    DVDAObject *object = objects[k];
    if (!object)
        return ExtractSucceeded;
    const int kind = object->kind();
    if (kind != KindIndex && kind != KindTrack)
        return ErrObjectKind;

    if (!zone)
        return ErrNoZone;
    ObjectPath path;
    if (!resolveObjectPath(zone, object, &path))
        return ErrNoTitleset;
    own.titleset.store(path.titleset->number, std::memory_order_relaxed);
    own.title.store(path.title->titleId, std::memory_order_relaxed);
    own.track.store(path.track->number, std::memory_order_relaxed);
    own.index.store(path.index ? path.index->number : 0, std::memory_order_relaxed);
    const QString basePath = options.outputDir.path() + QLatin1Char('/') + names[k];

    waitForJobQueue(own);
    // A stop seen here ends the walk before the object is announced, so no file of
    // it is created and no same-named file of an earlier extraction is truncated.
    if (own.stopRequested.load())
        return ErrCancelled;

    own.firstBlock.store(0, std::memory_order_relaxed); // no share done until the dump says
    own.currentBlock.store(0, std::memory_order_relaxed);
    own.lastBlock.store(0, std::memory_order_relaxed);
    own.object.store(object, std::memory_order_relaxed);
    emit itemProcessing(object, ItemStarted);
    if (names[k] != baseName(zone, object))
        emit itemRenamed(object, names[k]);
    // Each worker writes only the entry of its own object.
    const int result = dumpObject(zone, static_cast<AOBObject *>(object), basePath, options,
                                  jobs, own, &objectChecks[size_t(k)]);
    own.object.store(nullptr, std::memory_order_relaxed);
    if (result != ExtractSucceeded)
        emit itemFailed(object, result);
    emit itemProcessing(object, result == ExtractSucceeded ? ItemSucceeded : ItemFailed);
    return result;
}

void ExtractThread::waitForJobQueue(const ExtractProgress &own)
{
    if (!jobs)
        return;
    const qint64 threshold = qint64(options.cache) * 1048576;
    const auto stopRequested = [&own] { return own.stopRequested.load(); };
    while (jobs->pendingBytes() > threshold && !stopRequested()) {
        progress.waiting.store(true, std::memory_order_relaxed);
        // One second between looks at the queue, in short slices so a stop ends it at once.
        for (int slept = 0; slept < WAIT_POLL_MS && !stopRequested(); slept += STOP_POLL_MS)
            QThread::msleep(STOP_POLL_MS);
        progress.waiting.store(false, std::memory_order_relaxed);
    }
}
