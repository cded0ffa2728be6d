#pragma once
// The worker thread of an extraction: walks the selected tracks and indexes in order,
// dumps each into files and stops at the first failure (or, with keepGoing, goes on and
// ends with the first failure's result). In Verify mode it reads and decodes every
// object, writes nothing and goes on as with keepGoing. The job queue is closed at the
// end however the walk ended, so the job thread works off what is left and ends.
#include <QList>
#include <QSet>
#include <QString>
#include <QThread>

#include "dump/objectcheck.h"
#include "extract/extractoptions.h"
#include "extract/extractresult.h"
#include "extract/extractprogress.h"

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
    void stop() { progress.stopRequested.store(true); }
    // Final once finished() was emitted.
    [[nodiscard]] int result() const { return walkResult; }
    // What each object dumped or verified so far was found to hold, in walk order.
    // Read it once finished() was emitted.
    const QList<ObjectCheck> &checks() const { return objectChecks; }

    // Sampled by the window for the status bar.
    ExtractProgress progress;

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
    // Holds back while more file data waits for the command than the cache allows.
    void waitForJobQueue();
    bool stopRequested() const { return progress.stopRequested.load(); }

    DVDAZone *zone;
    QList<DVDAObject *> objects;
    ExtractOptions options;
    JobQueue *jobs;
    int walkResult = ExtractSucceeded;
    QList<ObjectCheck> objectChecks;
    QSet<QString> usedNames; // base names given in this extraction, on the walk's thread
};
