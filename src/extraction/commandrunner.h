#pragma once
// Works off the job queue: runs the user's command on every queued file, one at a time,
// optionally deleting each file once its command succeeded and logging the commands'
// output. It lives on the thread that made it and waits on signals: a job added, a
// command ended, the queue closed.
#include <QObject>

#include "base/result.h"
#include "extraction/commandprocess.h"
#include "extraction/extractoptions.h"

class CommandQueue;
struct CommandJob;

// The command run on one file, as the rip log records it.
struct CommandRecord {
    int source = -1; // the job's source
    QString path;
    QString outcome; // "'flac x.wav' exited with status 0", or why it failed
    bool ok = false;
};

class CommandRunner : public QObject {
    Q_OBJECT
public:
    CommandRunner(const ExtractOptions &options, CommandQueue &jobs, QObject *parent = nullptr);
    ~CommandRunner() override;

    // Removes the command log of an earlier extraction and takes the first job, if any.
    void start();
    // Kills the running command and starts no further one; finished follows with Cancelled
    // (at once when no command runs; before start, start finishes at once).
    void stop();
    // The queue will take no more jobs: once it is empty the runner finishes.
    void queueClosed();
    [[nodiscard]] bool isRunning() const { return running; }
    // Succeeded, or the first failure (StartProcess, ProcessFailed, DeleteOutput), or
    // Cancelled after a stop. Final once finished was emitted.
    [[nodiscard]] const Result &result() const { return outcome; }
    // Every command that failed, in order, each with where: the file, the command, its exit
    // status and the last lines of its standard error.
    [[nodiscard]] const QList<Result> &failures() const { return failed; }
    // The sources of the jobs whose command failed or was killed.
    [[nodiscard]] const QList<int> &undoneSources() const { return undone; }
    // Every command that ran to an end, failed to start or was killed, in order.
    [[nodiscard]] const QList<CommandRecord> &records() const { return ran; }

signals:
    // What the commands wrote, when it does not go to the log.
    void output(const QByteArray &error, const QByteArray &output);
    // A command failed (or its file could not be deleted): the job's source and why.
    void jobFailed(int source, const Result &failure);
    void finished(ResultCode result);

private:
    void next();
    void jobDone(ResultCode code, int exitCode);
    // How the command on the job ended: "'CMD' exited with status 2: its last lines".
    [[nodiscard]] QString commandOutcome(ResultCode code, const CommandJob &job) const;
    void keepFirstFailure(const Result &result);
    void finish();

    ExtractOptions options;
    CommandQueue &jobs;
    CommandProcess process;
    bool running = false;
    bool busy = false;     // a command runs on the queue's first job
    bool stopping = false;
    Result outcome;
    QList<Result> failed;
    QList<int> undone;
    QList<CommandRecord> ran;
};
