#pragma once
// One extraction as the window and the command line both run it: the extraction thread,
// the job thread when a command is to be run, the job queue they share, and the first
// non-zero result in the order the threads finished. Whoever drives it connects the
// threads' signals between createThreads and startThreads, calls endExtractThread and
// endJobThread on their finished(), endExtraction once neither exists, and shows
// status() and the command's output as it likes.
#include <QByteArray>
#include <QList>

#include "5-extraction/objectcheck.h"
#include "5-extraction/extractionstatus.h"
#include "5-extraction/extractoptions.h"
#include "5-extraction/jobqueue.h"

class DVDAObject;
class DVDAZone;
class ExtractThread;
class JobThread;

class ExtractionDriver {
public:
    ExtractionDriver() = default;
    // Stops what still runs and deletes the threads.
    virtual ~ExtractionDriver();
    ExtractionDriver(const ExtractionDriver &) = delete;
    ExtractionDriver &operator=(const ExtractionDriver &) = delete;

    bool busy() const { return extractThread || jobThread; }

    // Makes the extraction thread, and the job thread when options.run is on, without
    // starting them; the result goes back to 0, the checks are emptied.
    void createThreads(DVDAZone *zone, const QList<DVDAObject *> &objects,
                       const ExtractOptions &options);
    // The extraction thread with the caller's priority, the job thread with a high one.
    void startThreads();
    // After the extraction thread's finished(): keeps its result unless an earlier one
    // failed, and its checks, and deletes it.
    void endExtractThread();
    // After the job thread's finished(): passes on what its last command wrote since the
    // last forwardJobOutput, keeps its result unless an earlier one failed, deletes it.
    void endJobThread();
    // Once neither thread exists: empties the job queue and closes the decoder log.
    void endExtraction();

    // Asks both threads to end; returns at once. Their files are finished as usual.
    void requestStop();
    // Asks both to end and waits up to waitMs for each; one still running then is
    // terminated. The threads are not deleted: their finished() still comes.
    void stopThreads(int waitMs);

    // The threads' progress now, read without a lock.
    ExtractionStatus status();
    // Hands what the command wrote since the last call to showJobOutput.
    void forwardJobOutput();

    int resultCode = 0;                   // of the running or last extraction
    QList<ObjectCheck> checks;            // what it found in each object, once it ended
    ExtractThread *extractThread = nullptr; // while the walk runs
    JobQueue jobQueue;                    // files waiting for the command
    JobThread *jobThread = nullptr;       // while the command is being run on files

protected:
    // The command's output, by default onto the program's own standard error and output.
    virtual void showJobOutput(const QByteArray &error, const QByteArray &output);

private:
    void keepResult(int code);
};
