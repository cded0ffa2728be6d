#include "extraction/commandrunner.h"

#include <QDir>
#include <QFile>

#include "extraction/commandqueue.h"

namespace {
const char encoderLogName[] = "KestrovaEnc.log";
} // namespace

CommandRunner::CommandRunner(const ExtractOptions &options_, CommandQueue &jobs_, QObject *parent)
    : QObject(parent), options(options_), jobs(jobs_)
{
    connect(&process, &CommandProcess::output, this, &CommandRunner::output);
    connect(&process, &CommandProcess::finished, this, &CommandRunner::jobDone);
}

CommandRunner::~CommandRunner()
{
    jobs.setAddedHandler(nullptr);
}

void CommandRunner::start()
{
    // Beside the files, not in the working directory (which is / or the home folder when
    // the program starts from a menu). The log of an earlier extraction there goes,
    // whether or not this one logs.
    const QString logPath = options.outputDir.absoluteFilePath(QLatin1String(encoderLogName));
    QFile::remove(logPath);
    if (options.logMessages)
        process.setLogFile(logPath);
    running = true;
    // Jobs are added on the extraction's workers, which all end before the runner does:
    // the runner looks at the queue on its own thread, once the event loop gets there.
    jobs.setAddedHandler(
        [this] { QMetaObject::invokeMethod(this, [this] { next(); }, Qt::QueuedConnection); });
    next();
}

void CommandRunner::stop()
{
    if (stopping)
        return;
    stopping = true;
    outcome = ResultCode::Cancelled;
    if (!running)
        return; // start finishes at once
    if (busy)
        process.kill(); // jobDone finishes
    else
        finish();
}

void CommandRunner::queueClosed()
{
    if (running && !busy)
        next();
}

void CommandRunner::next()
{
    if (!running || busy)
        return;
    if (stopping) {
        finish();
        return;
    }
    // The job stays queued while its command runs, so its size still holds the
    // extraction back.
    const CommandJob *job = jobs.first();
    if (!job) {
        if (jobs.isClosed())
            finish();
        return;
    }
    busy = true;
    const Result started = process.start(options.command, job->path, job->channels,
                                         job->sampleRate, job->bits);
    if (started.failed())
        jobDone(started.code(), -1);
}

void CommandRunner::jobDone(ResultCode code, int)
{
    busy = false;
    const std::unique_ptr<CommandJob> job = jobs.removeFirst();
    if (job && code != ResultCode::Succeeded)
        undone << job->source;
    if (job)
        ran << CommandRecord{job->source, job->path, commandOutcome(code, *job), code == ResultCode::Succeeded};
    if (!stopping && job) {
        Result done = code == ResultCode::Succeeded
                          ? Result()
                          : Result(code, QStringLiteral("%1: %2").arg(job->path, ran.last().outcome));
        // A file is deleted only after its command ran to the end successfully.
        if (done.ok() && options.deleteFiles && !QFile::remove(job->path))
            done = Result(ResultCode::DeleteOutput, job->path);
        keepFirstFailure(done);
        if (done.failed()) {
            failed << done;
            emit jobFailed(job->source, done);
        }
    }
    next();
}

QString CommandRunner::commandOutcome(ResultCode code, const CommandJob &job) const
{
    const QString command = expandCommand(options.command, job.path, job.channels, job.sampleRate, job.bits);
    switch (code) {
    case ResultCode::Succeeded:
    case ResultCode::ProcessFailed:
        return QStringLiteral("'%1' %2").arg(command, process.failureText());
    case ResultCode::Cancelled:
        return tr("'%1' was stopped").arg(command);
    default:
        return tr("'%1' could not be started: its program is missing or not executable").arg(command);
    }
}

// A later success must not hide an earlier failure, and nothing replaces a stop.
void CommandRunner::keepFirstFailure(const Result &result)
{
    if (result.failed() && outcome.ok())
        outcome = result;
}

void CommandRunner::finish()
{
    if (!running)
        return;
    running = false;
    jobs.setAddedHandler(nullptr);
    emit finished(outcome.code());
}
