#pragma once
// One extraction (or verification) of a list of tracks and indexes, as the window and the
// command line both run it. It owns its workers, each dumping one object at a time in
// the list's order, and the job runner that runs the user's command on every finished
// file; it starts and stops them and reports by signals. The workers stop cooperatively:
// a stop reaches the reading loop at its next block, every file already open is
// finished, and a running command is killed. Nothing is ever left running: finished
// comes once every worker has been joined and the runner has ended.
#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>
#include <atomic>
#include <functional>
#include <memory>

#include "base/result.h"
#include "zone/dvdaobject.h"
#include "extraction/extractionstatus.h"
#include "extraction/extractoptions.h"
#include "extraction/commandrunner.h"
#include "extraction/objectcheck.h"

struct ExtractProgress;

// How an extraction went, for its summary and the rip log: once finished was reported.
struct ExtractionReport {
    ExtractOptions options;
    QList<ObjectCheck> checks;     // every object reached, in list order, with its files
    QList<CommandRecord> commands; // the command on each file
    Result result;
    QDateTime started;
    qint64 elapsedMs = 0;
    int objectCount = 0;           // the objects the run was given
};

class Extraction : public QObject {
    Q_OBJECT
public:
    explicit Extraction(QObject *parent = nullptr);
    // Stops what still runs and waits for it: the files are finished.
    ~Extraction() override;

    // Starts on the objects in order: tracks and indexes, and titles, each into one set of
    // files (a null entry is passed over, any other node ends the walk with ObjectKind);
    // false while one runs. With
    // options.threads above 1 that many workers dump objects at once, each into the files
    // it would write alone, and no more threads than that decode and encode; a failure lets the running objects finish and starts no more,
    // unless options.keepGoing or a verification, which go on past a failed object.
    [[nodiscard]] bool start(const QList<DVDAObject *> &objects, const ExtractOptions &options);
    // The metadata and cover the objects not yet begun are tagged with; their names stay
    // as they were planned. Any thread.
    void setTagging(std::shared_ptr<const DiscMetadata> metadata, std::shared_ptr<const CoverImage> cover);
    // Work on the files once every object is done, before the command sees any of them:
    // the command then gets each file as that work left it (tagged with ReplayGain, whose
    // album is known only at the end), so the files wait for it instead of going to the
    // command as they are finished. What it fills in of the files is kept in the report.
    // Called on this object's thread; set before start, null for none.
    using FilesDone = std::function<Result(ExtractionReport *files)>;
    void setFilesDone(FilesDone work) { filesDone = std::move(work); }
    // What that work returned in the last extraction; once finished was reported.
    [[nodiscard]] Result filesDoneResult() const;
    // Asks everything to end; returns at once, and may be called on any thread. finished
    // follows with Cancelled.
    void stop();
    [[nodiscard]] bool isRunning() const { return active.load(); }
    [[nodiscard]] bool isStopping() const { return active.load() && stopping.load(); }

    // How the last extraction ended, with where it failed (the file, block or command);
    // what finished reported, once it has.
    [[nodiscard]] Result result() const;
    // Every command that failed in the last extraction, each with its file, command, exit
    // status and the end of its standard error; once finished was reported.
    [[nodiscard]] QList<Result> commandFailures() const;
    // The objects of the last extraction whose files the command did not finish: it failed
    // on one, was killed, or never came to it. Once finished was reported.
    [[nodiscard]] QList<DVDAObject *> commandUndone() const;
    [[nodiscard]] ExtractionReport report() const;

    // Where the workers stand now; also sent by progress at every interval while running.
    [[nodiscard]] ExtractionStatus status() const;
    void setProgressInterval(int ms) { progressTimer.setInterval(ms); }

signals:
    void started(int objectCount);
    // An object's dump begins; its files are named baseName and their suffixes.
    void objectStarted(DVDAObject *object, const QString &baseName);
    // After objectStarted: an earlier object of this extraction has the object's base
    // name, so its files are written under baseName instead.
    void objectRenamed(DVDAObject *object, const QString &baseName);
    void objectFinished(DVDAObject *object, const Result &result, const ObjectCheck &check);
    void progress(const ExtractionStatus &status);
    // What the command wrote, when it does not go to the log.
    void commandOutput(const QByteArray &error, const QByteArray &output);
    // The first failure of the walk, else of the command; Cancelled after a stop. checks:
    // what each object dumped or verified was found to hold, in list order.
    void finished(const Result &result, const QList<ObjectCheck> &checks);

private:
    struct Run;
    void work(int worker);
    [[nodiscard]] Result extractObject(int k, int worker);
    // Holds a worker back while more file data waits for the command than the cache
    // allows; false when a stop ended the wait.
    [[nodiscard]] bool waitForCommand(ExtractProgress &own);
    void workersEnded();
    // A command failed: the run ends as after a failed object, unless it goes on past them.
    void commandFailed(const Result &failure);
    void finishIfDone();
    void joinWorkers();
    // The checks of the objects reached, in list order.
    [[nodiscard]] QList<ObjectCheck> reachedChecks() const;
    // The files held back for the command (setFilesDone), now given to it.
    void releaseHeldFiles();
    // Objects and bytes done of all, the playing time done, the time taken.
    [[nodiscard]] WholeProgress wholeProgress(const QList<ObjectBlocks> &running) const;

    std::unique_ptr<Run> run;
    FilesDone filesDone;
    QTimer progressTimer;
    std::atomic<bool> active{false};
    std::atomic<bool> stopping{false};
};
