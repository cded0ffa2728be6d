#include "app/cli/extractionrun.h"

#include <memory>

#include <QCoreApplication>
#include <QEventLoop>
#include <QSocketNotifier>
#include <QTimer>

#include "app/cli/progressdisplay.h"
#include "app/cli/selectors.h"
#include "app/cli/stopsignals.h"
#include "extract/extractresult.h"
#include "extract/extractthread.h"
#include "extract/jobqueue.h"
#include "extract/jobthread.h"
#include "zone/dvdazone.h"

namespace {

enum {
    REFRESH_MS = 200, // a few redraws a second, and a stop seen within that
};

QString tr(const char *text)
{
    return QCoreApplication::translate("ExtractionRun", text);
}

class ExtractionRun {
public:
    ExtractionRun(DVDAZone *zone, const QList<DVDAObject *> &objects,
                  const ExtractOptions &options, ProgressDisplay *display, int stopFd)
        : zone(zone), display(display), verifying(options.mode == ModeVerify)
    {
        if (stopFd >= 0) {
            stopNotifier = std::make_unique<QSocketNotifier>(stopFd, QSocketNotifier::Read);
            QObject::connect(stopNotifier.get(), &QSocketNotifier::activated, &loop, [this, stopFd] {
                drainStopSignals(stopFd);
                stopIfSignalled();
            });
        }
        extractThread = std::make_unique<ExtractThread>(zone, objects, options, &jobs);
        if (options.run)
            jobThread = std::make_unique<JobThread>(options, &jobs);
    }

    int exec()
    {
        QObject::connect(extractThread.get(), &ExtractThread::itemProcessing, &loop,
                         [this](DVDAObject *object, int state) { itemProcessing(object, state); });
        QObject::connect(extractThread.get(), &QThread::finished, &loop,
                         [this] { extractionFinished(); });
        if (jobThread)
            QObject::connect(jobThread.get(), &QThread::finished, &loop, [this] { jobsFinished(); });
        QObject::connect(&timer, &QTimer::timeout, &loop, [this] { refresh(); });
        timer.start(REFRESH_MS);

        extractThread->start();
        if (jobThread)
            jobThread->start(QThread::HighPriority);
        loop.exec();

        timer.stop();
        jobs.clear();
        display->clear();
        return resultCode;
    }

private:
    void itemProcessing(DVDAObject *object, int state)
    {
        const QString name = objectDisplayName(zone, object);
        switch (state) {
        case ExtractThread::ItemStarted:
            currentObject = name;
            display->printLine(verifying ? tr("Verifying %1").arg(name)
                                         : tr("Extracting %1 (%2)")
                                               .arg(name, ExtractThread::baseName(zone, object)));
            break;
        case ExtractThread::ItemSucceeded:
            display->printLine(verifying ? tr("Verified %1").arg(name)
                                         : tr("Extracted %1").arg(name));
            break;
        case ExtractThread::ItemFailed:
            display->printLine(tr("Failed %1: %2")
                                   .arg(name, resultMessage(extractThread->progress.lastResult.load())));
            break;
        }
    }

    // The current dump ends at its next block and finishes its files; a running command
    // is killed. Both threads then end as usual and report ErrCancelled.
    void stopIfSignalled()
    {
        if (!stopSignalled() || stopping)
            return;
        stopping = true;
        display->printLine(tr("Stopping..."));
        if (extractThread)
            extractThread->stop();
        if (jobThread)
            jobThread->stop();
    }

    void refresh()
    {
        stopIfSignalled(); // in case the pipe could not be made
        forwardJobOutput();

        ProgressState state;
        state.object = currentObject;
        if (extractThread) {
            const ExtractProgress &p = extractThread->progress;
            state.extracting = true;
            state.waiting = p.waiting.load(std::memory_order_relaxed);
            state.firstBlock = quint32(p.firstBlock.load(std::memory_order_relaxed));
            state.currentBlock = quint32(p.currentBlock.load(std::memory_order_relaxed));
            state.lastBlock = quint32(p.lastBlock.load(std::memory_order_relaxed));
        }
        if (jobThread) {
            state.runsJobs = true;
            state.jobsWaiting = jobs.count();
        }
        display->show(state);
    }

    void forwardJobOutput()
    {
        if (!jobThread)
            return;
        display->forwardError(jobThread->readStandardError());
        display->forwardOutput(jobThread->readStandardOutput());
    }

    // The first non-zero result in the order the threads finished is the one reported.
    void keepResult(int code)
    {
        if (resultCode == 0)
            resultCode = code;
    }

    void extractionFinished()
    {
        extractThread->wait();
        keepResult(extractThread->result());
        checks = extractThread->checks();
        extractThread.reset();
        finishIfDone();
    }

    void jobsFinished()
    {
        jobThread->wait();
        forwardJobOutput(); // what the last command wrote after the last refresh
        keepResult(jobThread->result());
        jobThread.reset();
        finishIfDone();
    }

    void finishIfDone()
    {
        if (!extractThread && !jobThread)
            loop.quit();
    }

    DVDAZone *zone;
    ProgressDisplay *display;
    JobQueue jobs;
    std::unique_ptr<ExtractThread> extractThread;
    std::unique_ptr<JobThread> jobThread;
    QTimer timer;
    QEventLoop loop;
    std::unique_ptr<QSocketNotifier> stopNotifier;
    QString currentObject;
    int resultCode = 0;
    bool stopping = false;
    bool verifying;

public:
    QList<ObjectCheck> checks; // what the extraction thread found, once it ended
};

} // namespace

int runExtraction(DVDAZone *zone, const QList<DVDAObject *> &objects,
                  const ExtractOptions &options, ProgressDisplay *display, int stopFd,
                  QList<ObjectCheck> *checks)
{
    ExtractionRun run(zone, objects, options, display, stopFd);
    const int result = run.exec();
    if (checks)
        *checks = run.checks;
    return result;
}
