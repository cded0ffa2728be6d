#pragma once
// Works off the job queue: runs the user's command on every queued file, one at a time,
// optionally deleting each file and logging the commands' output.
#include <atomic>

#include <QByteArray>
#include <QMutex>
#include <QThread>

#include "5-extraction/extractoptions.h"
#include "1-base/result.h"

class Encoder;
class JobQueue;

// Thread safety: the Encoder (a QProcess) is made, used and deleted on the job thread only;
// no other thread ever touches it. stop() only raises a flag, which the job thread checks
// every 50 ms while a command runs and then kills the command on its own thread. While
// waiting, the job thread also moves the command's output into two mutex-guarded buffers,
// which readStandardError()/readStandardOutput() take from the GUI thread.
class JobThread : public QThread {
    Q_OBJECT
public:
    JobThread(const ExtractOptions &options, JobQueue *jobs);
    ~JobThread() override;

    // Any thread; returns at once. The running command is killed within about 50 ms, no
    // further job is started, and the result becomes ErrCancelled.
    void stop();
    // 0, or the first failure (ErrStartProcess, ErrProcessFailed, ErrDeleteOutput), or
    // ErrCancelled after a stop. Final once the thread has finished.
    [[nodiscard]] int result() const { return resultCode.load(); }

    // The bytes the commands wrote to that channel since the last call, also after the
    // command or the thread has ended. Always empty while the output goes to the log.
    QByteArray readStandardError();
    QByteArray readStandardOutput();

protected:
    void run() override;

private:
    void keepFirstFailure(int code);
    bool forwardOutput(); // the encoder's wait hook: false once a stop was requested
    void sleepUnlessStopped(int ms);

    ExtractOptions options;
    JobQueue *jobs;
    Encoder *encoder = nullptr; // exists only while run is active, used only on this thread
    std::atomic<bool> stopRequested{false};
    std::atomic<int> resultCode{ExtractSucceeded};
    QMutex outputMutex;
    QByteArray pendingError;
    QByteArray pendingOutput;
};
