#include "extraction/extraction.h"

#include <atomic>
#include <mutex>
#include <thread>

#include <QElapsedTimer>
#include <QHash>
#include <QThread>
#include <vector>

#include "base/threadbudget.h"
#include "zone/dvdazone.h"
#include "zone/objectpath.h"
#include "extraction/extractprogress.h"
#include "extraction/commandqueue.h"
#include "extraction/commandrunner.h"
#include "extraction/objectdump.h"
#include "extraction/objectnames.h"
#include "extraction/plannedfiles.h"
#include "extraction/titleaudio.h"
#include "stream/decoderlog.h"

namespace {
enum {
    MAX_WORKERS = 64,
    DEFAULT_PROGRESS_MS = 500,
};

// Where one worker's dump stands, read without a lock.
ObjectBlocks blocksOf(const ExtractProgress &p)
{
    ObjectBlocks blocks;
    blocks.object = p.object.load(std::memory_order_relaxed);
    blocks.firstBlock = quint32(p.firstBlock.load(std::memory_order_relaxed));
    blocks.currentBlock = quint32(p.currentBlock.load(std::memory_order_relaxed));
    blocks.lastBlock = quint32(p.lastBlock.load(std::memory_order_relaxed));
    return blocks;
}
// How much of the whole an object is: its blocks and its playing time.
struct ObjectSize {
    qint64 blocks = 0;
    double seconds = 0;
};

ObjectSize sizeOf(const DVDAObject *object)
{
    if (!object)
        return {};
    if (object->kind() == KindTitle) {
        TitleAudio audio;
        if (titleAudio(*static_cast<const DVDATitle *>(object), &audio).failed())
            return {};
        return {qint64(audio.last) - audio.first + 1, audio.lengthPts / 90000.0};
    }
    if (object->kind() != KindTrack && object->kind() != KindIndex)
        return {};
    const auto *aob = static_cast<const AOBObject *>(object);
    if (aob->lastBlock() < aob->firstBlock())
        return {};
    return {qint64(aob->lastBlock()) - aob->firstBlock() + 1, aob->timePts() / 90000.0};
}

} // namespace

// What the workers share, from start until every one of them has been joined.
struct Extraction::Run {
    // Read by every worker: plain vectors, so that no read ever touches a shared count.
    std::vector<DVDAObject *> objects;
    std::vector<QString> names; // each object's base name, made unique in object order
    // The output folder's path: a QDir shared by the workers would fill its caches from
    // several threads at once.
    QString folder;
    // Held while a worker posts to the main thread (a queued signal or call). Qt queues the
    // event under a lock of its own that ThreadSanitizer cannot see, Qt not being built
    // with it; taking ours too lets `make tsan` tell our races from that.
    std::mutex postMutex;
    std::vector<ObjectSize> sizes; // each object's blocks and playing time
    QHash<const DVDAObject *, ObjectSize> sizeOfObject; // the same by object, for the progress
    qint64 totalBlocks = 0;
    double totalSeconds = 0;
    QElapsedTimer clock;
    std::atomic<int> objectsDone{0};
    std::atomic<qint64> blocksDone{0};    // of the objects ended
    std::atomic<qint64> millisecondsDone{0}; // of their playing time
    ExtractOptions options;
    // The tags the objects not yet begun get (setTagging): the metadata and the cover.
    std::mutex taggingMutex;
    std::shared_ptr<const DiscMetadata> metadata;
    std::shared_ptr<const CoverImage> cover;
    std::vector<std::unique_ptr<ExtractProgress>> progress; // one per worker
    std::vector<std::thread> workers;
    std::atomic<int> nextObject{0};
    std::atomic<int> workersLeft{0};
    std::atomic<ResultCode> firstFailure{ResultCode::Succeeded};
    std::mutex failureMutex;
    Result firstFailureWhere; // the first failure with where it happened, under failureMutex
    std::atomic<bool> cancelled{false};
    // One per object, filled by whichever worker dumps it; objects never reached keep a
    // null object and are left out of the checks reported.
    std::vector<ObjectCheck> checks;
    CommandQueue jobs;
    std::unique_ptr<CommandRunner> runner; // while the command is to be run
    // With work to do on the files first (filesDone), the command's files wait here until
    // every object is done, in the order they were finished.
    bool holding = false;
    std::mutex heldMutex;
    std::vector<CommandJob> held;
    Result filesDoneResult;
    bool workersDone = false;
    Result result; // the walk's, then the runner's first failure
    QList<Result> commandFailures;
    QList<DVDAObject *> undone; // objects whose files the command did not finish
    QDateTime started;
    ExtractionReport report; // once finished
};

Extraction::Extraction(QObject *parent) : QObject(parent)
{
    qRegisterMetaType<DVDAObject *>("DVDAObject*");
    qRegisterMetaType<ResultCode>("ResultCode");
    qRegisterMetaType<Result>("Result");
    qRegisterMetaType<ObjectCheck>("ObjectCheck");
    qRegisterMetaType<QList<ObjectCheck>>("QList<ObjectCheck>");
    qRegisterMetaType<ExtractionStatus>("ExtractionStatus");
    progressTimer.setInterval(DEFAULT_PROGRESS_MS);
    connect(&progressTimer, &QTimer::timeout, this, [this] { emit progress(status()); });
}

Extraction::~Extraction()
{
    if (!run)
        return;
    stop();
    joinWorkers();
    run->runner.reset(); // kills its command and waits for it
    closeDecoderLog();
}

void Extraction::setTagging(std::shared_ptr<const DiscMetadata> metadata, std::shared_ptr<const CoverImage> cover)
{
    if (!run)
        return;
    const std::lock_guard<std::mutex> lock(run->taggingMutex);
    run->metadata = std::move(metadata);
    run->cover = std::move(cover);
}

bool Extraction::start(const QList<DVDAObject *> &objects, const ExtractOptions &options)
{
    if (active.load())
        return false;
    joinWorkers(); // of an extraction that ended: they have returned already
    run = std::make_unique<Run>();
    run->objects.assign(objects.begin(), objects.end());
    const QList<QString> names = extractionBaseNames(objects, options.nameTemplate, options.metadata.get());
    run->names.assign(names.begin(), names.end());
    run->folder = options.outputDir.path();
    run->options = options;
    run->metadata = options.metadata;
    run->cover = options.cover;
    // Beside the files; a verification writes none and logs in the working directory.
    setDecoderLogFolder(options.mode == ModeVerify ? QDir::currentPath() : options.outputDir.absolutePath());
    run->checks.assign(size_t(objects.size()), ObjectCheck());
    for (const DVDAObject *object : objects) {
        run->sizes.push_back(sizeOf(object));
        run->sizeOfObject.insert(object, run->sizes.back());
        run->totalBlocks += run->sizes.back().blocks;
        run->totalSeconds += run->sizes.back().seconds;
    }
    run->clock.start();
    run->started = QDateTime::currentDateTime();
    const int workers = qBound(1, options.threads, int(MAX_WORKERS));
    threadbudget::setLimit(options.threads > 0 ? workers : 0);
    for (int k = 0; k < workers; ++k)
        run->progress.push_back(std::make_unique<ExtractProgress>());
    active.store(true);
    stopping.store(false);

    if (options.run) {
        run->holding = bool(filesDone);
        run->runner = std::make_unique<CommandRunner>(options, run->jobs);
        connect(run->runner.get(), &CommandRunner::output, this, &Extraction::commandOutput);
        connect(run->runner.get(), &CommandRunner::jobFailed, this, [this](int, const Result &failure) {
            commandFailed(failure);
        });
        connect(run->runner.get(), &CommandRunner::finished, this, [this](ResultCode) { finishIfDone(); });
        run->runner->start();
    }
    emit started(int(objects.size()));
    progressTimer.start();
    run->workersLeft.store(workers);
    for (int k = 0; k < workers; ++k)
        run->workers.emplace_back([this, k] { work(k); });
    return true;
}

void Extraction::stop()
{
    if (!active.load())
        return;
    stopping.store(true);
    for (const auto &progress : run->progress)
        progress->stopRequested.store(true);
    run->jobs.wakeWaiters();
    if (!run->runner)
        return;
    // The runner lives on this object's thread; a worker asking to stop has it told there.
    if (QThread::currentThread() == thread())
        run->runner->stop();
    else
        QMetaObject::invokeMethod(this, [this] { if (run && run->runner) run->runner->stop(); },
                                  Qt::QueuedConnection);
}

Result Extraction::result() const
{
    return run && !active.load() ? run->result : Result();
}

Result Extraction::filesDoneResult() const
{
    return run && !active.load() ? run->filesDoneResult : Result();
}

QList<DVDAObject *> Extraction::commandUndone() const
{
    return run && !active.load() ? run->undone : QList<DVDAObject *>();
}

ExtractionReport Extraction::report() const
{
    return run && !active.load() ? run->report : ExtractionReport();
}

QList<Result> Extraction::commandFailures() const
{
    return run && !active.load() ? run->commandFailures : QList<Result>();
}

ExtractionStatus Extraction::status() const
{
    ExtractionStatus status;
    if (!run || !active.load())
        return status;
    if (!run->workersDone) {
        const ExtractProgress &p = *run->progress.front();
        status.extracting = true;
        status.titleset = p.titleset.load(std::memory_order_relaxed);
        status.title = p.title.load(std::memory_order_relaxed);
        status.track = p.track.load(std::memory_order_relaxed);
        const ObjectBlocks first = blocksOf(p);
        status.firstBlock = first.firstBlock;
        status.currentBlock = first.currentBlock;
        status.lastBlock = first.lastBlock;
        for (const auto &worker : run->progress) {
            const ObjectBlocks blocks = blocksOf(*worker);
            if (blocks.object)
                status.running.append(blocks);
            status.waiting = status.waiting || worker->waiting.load(std::memory_order_relaxed);
        }
    }
    if (run->runner && run->runner->isRunning()) {
        status.runsJobs = true;
        status.jobsWaiting = run->jobs.count();
    }
    status.whole = wholeProgress(status.running);
    return status;
}

WholeProgress Extraction::wholeProgress(const QList<ObjectBlocks> &running) const
{
    WholeProgress whole;
    whole.objectsTotal = int(run->objects.size());
    whole.objectsDone = run->objectsDone.load();
    whole.bytesTotal = run->totalBlocks * BLOCK_SIZE;
    qint64 blocks = run->blocksDone.load();
    double seconds = run->millisecondsDone.load() / 1000.0;
    // The objects under way count with their share done.
    for (const ObjectBlocks &object : running) {
        if (object.currentBlock <= object.firstBlock || object.lastBlock < object.firstBlock)
            continue;
        const qint64 done = qint64(qMin(object.currentBlock, object.lastBlock + 1)) - object.firstBlock;
        blocks += done;
        const ObjectSize size = run->sizeOfObject.value(object.object);
        if (size.blocks > 0)
            seconds += size.seconds * double(done) / double(size.blocks);
    }
    whole.bytesDone = qMin(blocks, run->totalBlocks) * BLOCK_SIZE;
    whole.audioSecondsDone = qMin(seconds, run->totalSeconds);
    whole.elapsedMs = run->clock.elapsed();
    return whole;
}

// One worker: takes objects in order until none is left or a worker failed. The last one
// to end closes the job queue and tells the extraction's own thread.
void Extraction::work(int worker)
{
    // With keepGoing a failed object does not end the walk, nor in a verification, where
    // one object must not keep the others from being checked; a stop always does.
    const bool goOn = run->options.keepGoing || run->options.mode == ModeVerify;
    threadbudget::hold(); // given back when no object is left for it, for helpers to use
    while (goOn || run->firstFailure.load() == ResultCode::Succeeded) {
        const int k = run->nextObject.fetch_add(1);
        if (size_t(k) >= run->objects.size())
            break;
        const Result result = extractObject(k, worker);
        if (result.ok())
            continue;
        ResultCode none = ResultCode::Succeeded;
        if (run->firstFailure.compare_exchange_strong(none, result.code())) {
            std::lock_guard<std::mutex> lock(run->failureMutex);
            run->firstFailureWhere = result;
        }
        if (result == ResultCode::Cancelled)
            run->cancelled.store(true);
        if (!goOn || result == ResultCode::Cancelled)
            break;
    }
    threadbudget::giveBack();
    if (run->workersLeft.fetch_sub(1) == 1) {
        // Nothing more will be queued; the runner ends once it has worked off the rest.
        if (!run->holding)
            run->jobs.close();
        const std::lock_guard<std::mutex> lock(run->postMutex);
        QMetaObject::invokeMethod(this, [this] { workersEnded(); }, Qt::QueuedConnection);
    }
}

Result Extraction::extractObject(int k, int worker)
{
    DVDAObject *object = run->objects[size_t(k)];
    if (!object)
        return ResultCode::Succeeded;
    const int kind = object->kind();
    if (kind != KindIndex && kind != KindTrack && kind != KindTitle)
        return ResultCode::ObjectKind;

    ExtractProgress &own = *run->progress[size_t(worker)];
    const ObjectPath path = objectPath(object);
    if (!path.titleset || !path.title || (kind != KindTitle && !path.track))
        return ResultCode::ObjectKind; // a node outside a zone's tree
    own.titleset.store(path.titleset->number, std::memory_order_relaxed);
    own.title.store(path.title->titleId, std::memory_order_relaxed);
    own.track.store(path.track ? path.track->number : 0, std::memory_order_relaxed);
    own.index.store(path.index ? path.index->number : 0, std::memory_order_relaxed);
    const QString &name = run->names[size_t(k)];
    const QString basePath = run->folder + QLatin1Char('/') + name;

    // Holds back while more file data waits for the command than the cache allows. A stop
    // seen here ends the walk before the object is announced, so no file of it is created
    // and no same-named file of an earlier extraction is truncated.
    if (!waitForCommand(own) || own.stopRequested.load())
        return ResultCode::Cancelled;

    makeSubfolders(run->folder, plannedFilesOf(object, basePath, run->options));
    own.firstBlock.store(0, std::memory_order_relaxed); // no share done until the dump says
    own.currentBlock.store(0, std::memory_order_relaxed);
    own.lastBlock.store(0, std::memory_order_relaxed);
    own.object.store(object, std::memory_order_relaxed);
    {
        const std::lock_guard<std::mutex> lock(run->postMutex);
        emit objectStarted(object, name);
        if (run->options.nameTemplate.isEmpty() && name != objectBaseName(object))
            emit objectRenamed(object, name);
    }
    std::vector<WrittenFile> files;
    // Each worker writes only the entry of its own object.
    ObjectCheck &check = run->checks[size_t(k)];
    ExtractOptions options = run->options; // with the tags as they are now
    {
        const std::lock_guard<std::mutex> lock(run->taggingMutex);
        options.metadata = run->metadata;
        options.cover = run->cover;
    }
    const Result result = kind == KindTitle
                              ? dumpTitle(path.title, basePath, options, own, &check, &files)
                              : dumpObject(static_cast<AOBObject *>(object), basePath, options, own, &check, &files);
    // The command sees complete files only.
    if (run->runner) {
        const std::lock_guard<std::mutex> lock(run->heldMutex);
        for (const WrittenFile &file : files) {
            if (file.partial)
                continue;
            if (run->holding)
                run->held.push_back({file.path, 0, file.channels, file.sampleRate, file.bits, k});
            else
                run->jobs.add(file.path, file.channels, file.sampleRate, file.bits, k);
        }
    }
    own.object.store(nullptr, std::memory_order_relaxed);
    run->blocksDone.fetch_add(run->sizes[size_t(k)].blocks);
    run->millisecondsDone.fetch_add(qint64(run->sizes[size_t(k)].seconds * 1000));
    run->objectsDone.fetch_add(1);
    {
        const std::lock_guard<std::mutex> lock(run->postMutex);
        emit objectFinished(object, result, check);
    }
    return result;
}

bool Extraction::waitForCommand(ExtractProgress &own)
{
    if (!run->runner)
        return true;
    const qint64 threshold = qint64(run->options.cache) * 1048576;
    if (run->jobs.pendingBytes() <= threshold)
        return true;
    own.waiting.store(true, std::memory_order_relaxed);
    const bool room = run->jobs.waitForRoom(threshold, own.stopRequested);
    own.waiting.store(false, std::memory_order_relaxed);
    return room;
}

void Extraction::workersEnded()
{
    if (!run || run->workersDone)
        return;
    joinWorkers();
    run->workersDone = true;
    {
        std::lock_guard<std::mutex> lock(run->failureMutex);
        run->result = run->cancelled.load() ? Result(ResultCode::Cancelled) : run->firstFailureWhere;
    }
    if (filesDone) {
        ExtractionReport files{run->options, reachedChecks(), {}, run->result, run->started, 0, int(run->objects.size())};
        run->filesDoneResult = filesDone(&files);
        // Back into the checks, which stand in the same order.
        auto next = files.checks.cbegin();
        for (ObjectCheck &check : run->checks)
            if (check.object && next != files.checks.cend())
                check = *next++;
    }
    releaseHeldFiles();
    if (run->runner) {
        emit progress(status()); // the command alone may still be running
        run->runner->queueClosed();
    }
    finishIfDone();
}

void Extraction::commandFailed(const Result &failure)
{
    // As a failed object: the objects under way finish, no other starts, and no further
    // command runs (unless the run goes on past failures).
    if (run->options.keepGoing)
        return;
    ResultCode none = ResultCode::Succeeded;
    if (run->firstFailure.compare_exchange_strong(none, failure.code())) {
        std::lock_guard<std::mutex> lock(run->failureMutex);
        run->firstFailureWhere = failure;
    }
    run->runner->stop();
}

void Extraction::finishIfDone()
{
    if (!run || !active.load() || !run->workersDone || (run->runner && run->runner->isRunning()))
        return;
    if (run->runner) {
        // An object whose command failed on one of its files is failed too.
        for (const CommandRecord &record : run->runner->records()) {
            if (record.ok || record.source < 0 || size_t(record.source) >= run->checks.size())
                continue;
            ObjectCheck &check = run->checks[size_t(record.source)];
            if (check.result == ResultCode::Succeeded) {
                check.result = ResultCode::ProcessFailed;
                check.where = QStringLiteral("%1: %2").arg(record.path, record.outcome);
            }
        }
        {
            // The walk's first failure may be a command's, seen before the workers ended.
            std::lock_guard<std::mutex> lock(run->failureMutex);
            if (run->result.ok() && run->firstFailureWhere.failed())
                run->result = run->firstFailureWhere;
        }
        if (run->result.ok())
            run->result = run->runner->result();
        run->commandFailures = run->runner->failures();
        // Files the command never finished with: their objects are not done.
        QList<int> undone = run->runner->undoneSources() + run->jobs.queuedSources();
        for (int k : undone)
            if (k >= 0 && size_t(k) < run->objects.size() && !run->undone.contains(run->objects[size_t(k)]))
                run->undone << run->objects[size_t(k)];
    }
    active.store(false);
    progressTimer.stop();
    run->jobs.clear();
    closeDecoderLog();
    const QList<ObjectCheck> reached = reachedChecks();
    run->report = ExtractionReport{run->options, reached,
                                   run->runner ? run->runner->records() : QList<CommandRecord>(),
                                   run->result, run->started, run->clock.elapsed(), int(run->objects.size())};
    emit finished(run->result, reached);
}

QList<ObjectCheck> Extraction::reachedChecks() const
{
    QList<ObjectCheck> reached;
    for (const ObjectCheck &check : run->checks)
        if (check.object)
            reached.append(check);
    return reached;
}

// After a stop the runner takes none of them: they count as not done by the command.
void Extraction::releaseHeldFiles()
{
    if (!run->holding)
        return;
    {
        const std::lock_guard<std::mutex> lock(run->heldMutex);
        for (const CommandJob &job : run->held)
            run->jobs.add(job.path, job.channels, job.sampleRate, job.bits, job.source);
        run->held.clear();
    }
    run->jobs.close();
}

void Extraction::joinWorkers()
{
    if (!run)
        return;
    for (std::thread &worker : run->workers)
        if (worker.joinable())
            worker.join();
}
