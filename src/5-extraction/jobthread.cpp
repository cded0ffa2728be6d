#include "5-extraction/jobthread.h"

#include <memory>

#include <QDir>
#include <QFile>
#include <QMutexLocker>

#include "5-extraction/encoder.h"
#include "1-base/result.h"
#include "5-extraction/jobqueue.h"

namespace {
const char encoderLogName[] = "KestrovaEnc.log";
constexpr int idlePollMs = 1000;
constexpr int stopCheckMs = 50;

QByteArray take(QMutex &mutex, QByteArray &buffer)
{
    QMutexLocker lock(&mutex);
    QByteArray bytes;
    bytes.swap(buffer);
    return bytes;
}
} // namespace

JobThread::JobThread(const ExtractOptions &options_, JobQueue *jobs_)
    : options(options_), jobs(jobs_)
{
}

JobThread::~JobThread()
{
    if (isRunning()) {
        stop();
        wait();
    }
}

void JobThread::stop()
{
    // The flag first: once encode returns, the loop must not start another job.
    stopRequested.store(true);
    resultCode.store(ErrCancelled);
}

QByteArray JobThread::readStandardError()
{
    return take(outputMutex, pendingError);
}

QByteArray JobThread::readStandardOutput()
{
    return take(outputMutex, pendingOutput);
}

// A later success must not hide an earlier failure, and nothing replaces a stop.
void JobThread::keepFirstFailure(int code)
{
    if (code == ExtractSucceeded)
        return;
    int expected = ExtractSucceeded;
    resultCode.compare_exchange_strong(expected, code);
}

bool JobThread::forwardOutput()
{
    if (!options.logMessages) {
        const QByteArray out = encoder->readAllStandardOutput();
        const QByteArray err = encoder->readAllStandardError();
        if (!out.isEmpty() || !err.isEmpty()) {
            QMutexLocker lock(&outputMutex);
            pendingOutput += out;
            pendingError += err;
        }
    }
    return !stopRequested.load();
}

void JobThread::sleepUnlessStopped(int ms)
{
    for (int slept = 0; slept < ms && !stopRequested.load(); slept += stopCheckMs)
        msleep(stopCheckMs);
}

void JobThread::run()
{
    // The log of an earlier extraction goes, whether or not this one logs.
    const QString logPath = QDir::current().absoluteFilePath(QLatin1String(encoderLogName));
    QFile::remove(logPath);

    auto process = std::make_unique<Encoder>();
    encoder = process.get();
    if (options.logMessages) {
        encoder->setProcessChannelMode(QProcess::MergedChannels);
        encoder->setStandardOutputFile(logPath, QIODevice::Append);
    } else {
        encoder->setProcessChannelMode(QProcess::SeparateChannels);
    }

    for (;;) {
        if (stopRequested.load())
            break;
        EncoderJob *job = jobs->first();
        if (!job) {
            if (jobs->isClosed() && jobs->count() == 0)
                break;
            sleepUnlessStopped(idlePollMs);
            continue;
        }
        // The job stays queued while its command runs, so its size still holds the
        // extraction back.
        const int code = encoder->encode(options.command, job->path, job->channels,
                                         job->sampleRate, job->bits,
                                         [this] { return forwardOutput(); });
        forwardOutput(); // what was written just before the end
        // A file is deleted only after its command ran to the end successfully.
        if (!stopRequested.load()) {
            keepFirstFailure(code);
            if (code == ExtractSucceeded && options.deleteFiles && !QFile::remove(job->path))
                keepFirstFailure(ErrDeleteOutput);
        }
        delete jobs->removeFirst();
    }

    encoder = nullptr;
}
