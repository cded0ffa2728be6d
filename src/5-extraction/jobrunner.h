#pragma once
// Works off the job queue: runs the user's command on every queued file, one at a time,
// optionally deleting each file once its command succeeded and logging the commands'
// output. It lives on the thread that made it and waits on signals: a job added, a
// command ended, the queue closed.
#include <QObject>

#include "1-base/result.h"
#include "5-extraction/encoder.h"
#include "5-extraction/extractoptions.h"

class JobQueue;
struct EncoderJob;

class JobRunner : public QObject {
    Q_OBJECT
public:
    JobRunner(const ExtractOptions &options, JobQueue &jobs, QObject *parent = nullptr);
    ~JobRunner() override;

    // Removes the command log of an earlier extraction and takes the first job, if any.
    void start();
    // Kills the running command and starts no further one; finished follows with Cancelled
    // (at once when no command runs; before start, start finishes at once).
    void stop();
    // The queue will take no more jobs: once it is empty the runner finishes.
    void queueClosed();
    bool isRunning() const { return running; }
    // Succeeded, or the first failure (StartProcess, ProcessFailed, DeleteOutput), or
    // Cancelled after a stop. Final once finished was emitted.
    const Result &result() const { return outcome; }
    // Every command that failed, in order, each with where: the file, the command, its exit
    // status and the last lines of its standard error.
    const QList<Result> &failures() const { return failed; }
    // The sources of the jobs whose command failed or was killed.
    const QList<int> &undoneSources() const { return undone; }

signals:
    // What the commands wrote, when it does not go to the log.
    void output(const QByteArray &error, const QByteArray &output);
    void finished(ResultCode result);

private:
    void next();
    void jobDone(ResultCode code, int exitCode);
    // The failure of the command on the job, said with where.
    Result commandFailure(ResultCode code, const EncoderJob &job) const;
    void keepFirstFailure(const Result &result);
    void finish();

    ExtractOptions options;
    JobQueue &jobs;
    Encoder encoder;
    bool running = false;
    bool busy = false;     // a command runs on the queue's first job
    bool stopping = false;
    Result outcome;
    QList<Result> failed;
    QList<int> undone;
};
