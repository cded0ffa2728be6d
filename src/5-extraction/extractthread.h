#pragma once
// The worker thread of an extraction: walks the selected tracks and indexes in order,
// dumps each into files and stops at the first failure (or, with keepGoing, goes on and
// ends with the first failure's result). In Verify mode it reads and decodes every
// object, writes nothing and goes on as with keepGoing. The job queue is closed at the
// end however the walk ended, so the job thread works off what is left and ends.
// With options.threads > 1 the thread runs that many workers, each taking the next
// object in order once its last one is done; a failure lets the running objects finish
// and starts no more. Tracks decode independently: each starts at a major sync.
#include <atomic>
#include <memory>
#include <vector>

#include <QList>
#include <QString>
#include <QThread>

#include "5-extraction/objectcheck.h"
#include "5-extraction/extractoptions.h"
#include "1-base/result.h"
#include "5-extraction/extractprogress.h"

class DVDAObject;
class DVDAZone;
class JobQueue;

class ExtractThread : public QThread {
    Q_OBJECT
public:
    enum ItemState {
        ItemStarted = 1,
        ItemSucceeded = 2,
        ItemFailed = 3,
    };

    ExtractThread(DVDAZone *zone, const QList<DVDAObject *> &objects,
                  const ExtractOptions &options, JobQueue *jobs);
    // A thread object destroyed while its walk runs stops the walk and waits for it.
    ~ExtractThread() override;

    // Asks the walk to end; callable from any thread, returns at once.
    void stop();
    // Final once finished() was emitted.
    [[nodiscard]] int result() const { return walkResult; }
    // What each object dumped or verified so far was found to hold, in walk order.
    // Read it once finished() was emitted.
    [[nodiscard]] QList<ObjectCheck> checks() const;

    // Sampled by the window for the status bar: the first worker's.
    ExtractProgress progress;
    // The progress of worker k (0 is progress), k < workerCount().
    [[nodiscard]] int workerCount() const { return workers; }
    [[nodiscard]] const ExtractProgress &workerProgress(int k) const;

    // "track-01-01[1]-03" / "index-10-12[0]-05": titleset, title number, title tag and
    // track or index number. Empty for a node that is neither, or whose parents are missing.
    static QString baseName(const DVDAZone *zone, const DVDAObject *object);

signals:
    void itemProcessing(DVDAObject *dvdaObject, int state);
    // After ItemStarted: an earlier object of this extraction has the object's base name,
    // so its files are written under baseName instead.
    void itemRenamed(DVDAObject *dvdaObject, const QString &baseName);
    // Before ItemFailed, with the object's own result (progress.lastResult may already
    // belong to the next object when the walk goes on).
    void itemFailed(DVDAObject *dvdaObject, int result);

protected:
    void run() override;

private:
    [[nodiscard]] int walk();
    // One worker: takes objects in order until none is left or a worker failed.
    void work(ExtractProgress &own);
    [[nodiscard]] int extractObject(int k, ExtractProgress &own);
    // Every object's base name before any worker starts, so that names do not depend on
    // which worker gets to an object first.
    void nameObjects();
    // Holds back while more file data waits for the command than the cache allows.
    void waitForJobQueue(const ExtractProgress &own);

    DVDAZone *zone;
    QList<DVDAObject *> objects;
    ExtractOptions options;
    JobQueue *jobs;
    int walkResult = ExtractSucceeded;
    QList<QString> names; // each object's base name, made unique in object order
    int workers = 1;
    std::unique_ptr<ExtractProgress[]> moreProgress; // workers 1 and on
    std::atomic<int> nextObject{0};
    std::atomic<int> firstFailure{ExtractSucceeded};
    std::atomic<bool> cancelled{false};
    // One per object, filled by whichever worker dumps it; objects never reached keep a
    // null object and are left out of checks().
    std::vector<ObjectCheck> objectChecks;
};
