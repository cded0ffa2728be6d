#include "cli/extractionrun.h"

#include <memory>

#include <QCoreApplication>
#include <QEventLoop>
#include <QSocketNotifier>
#include <QStringList>

#include "extraction/objectnames.h"
#include "text/resulttext.h"
#include "text/statustext.h"
#include "cli/progressdisplay.h"
#include "cli/selectors.h"
#include "cli/stopsignals.h"

namespace {

enum {
    REFRESH_MS = 200, // a few redraws a second
};

QString tr(const char *text)
{
    return QCoreApplication::translate("ExtractionRun", text);
}

// Shows one extraction on the terminal as its signals come, until it has finished.
class ExtractionRun {
public:
    ExtractionRun(ProgressDisplay *display_, const ExtractOptions &options, int stopFd)
        : display(display_), keepGoing(options.keepGoing), verifying(options.mode == ModeVerify)
    {
        if (stopFd >= 0) {
            stopNotifier = std::make_unique<QSocketNotifier>(stopFd, QSocketNotifier::Read);
            QObject::connect(stopNotifier.get(), &QSocketNotifier::activated, &loop, [this, stopFd] {
                drainStopSignals(stopFd);
                stopIfSignalled();
            });
        }
        job.setProgressInterval(REFRESH_MS);
        QObject::connect(&job, &ExtractionJob::objectStarted, &loop,
                         [this](DVDAObject *object, const QString &) { objectStarted(object); });
        QObject::connect(&job, &ExtractionJob::objectRenamed, &loop,
                         [this](DVDAObject *, const QString &name) {
                             display->printLine(tr("  written as %1: an earlier object of this "
                                                   "extraction has its name").arg(name));
                         });
        QObject::connect(&job, &ExtractionJob::objectFinished, &loop,
                         [this](DVDAObject *object, const Result &outcome, const ObjectCheck &) {
                             objectFinished(object, outcome);
                         });
        QObject::connect(&job, &ExtractionJob::progress, &loop,
                         [this](const ExtractionStatus &status) { refresh(status); });
        QObject::connect(&job, &ExtractionJob::commandOutput, &loop,
                         [this](const QByteArray &error, const QByteArray &output) {
                             display->forwardError(error);
                             display->forwardOutput(output);
                         });
        QObject::connect(&job, &ExtractionJob::ended, &loop, [this](const JobEnding &end) {
            ending = end;
            loop.quit();
        });
    }

    ExtractionJob::Start exec(const QList<DVDAObject *> &selection, const ExtractOptions &options,
                              const ExtractionJob::ReplaceExisting &replaceExisting, bool objectsLeftOut)
    {
        const ExtractionJob::Start started = job.start(selection, options, replaceExisting, objectsLeftOut);
        if (started != ExtractionJob::Start::Started)
            return started;
        loop.exec();
        display->clear();
        if (keepGoing && !ending.failedLines.isEmpty()) {
            display->printLine(tr("Failed objects: %1").arg(ending.failedLines.size()));
            for (const QString &failure : std::as_const(ending.failedLines))
                display->printLine(QStringLiteral("  ") + failure);
        }
        const QList<Result> commands = job.run().commandFailures();
        if (keepGoing && !commands.isEmpty()) {
            display->printLine(tr("Failed commands: %1").arg(commands.size()));
            for (const Result &failure : commands)
                display->printLine(QStringLiteral("  ") + failure.where());
        }
        return started;
    }

    const QString &refusal() const { return job.refusal(); }
    JobEnding ending;

private:
    void objectStarted(DVDAObject *object)
    {
        const QString name = objectDisplayName(object);
        runningObjects.append(name);
        display->printLine(verifying ? tr("Verifying %1").arg(name)
                                     : tr("Extracting %1 (%2)").arg(name, objectBaseName(object)));
    }

    void objectFinished(DVDAObject *object, const Result &outcome)
    {
        const QString name = objectDisplayName(object);
        runningObjects.removeOne(name);
        if (outcome.ok()) {
            display->printLine(verifying ? tr("Verified %1").arg(name) : tr("Extracted %1").arg(name));
            return;
        }
        display->printLine(tr("Failed %1: %2").arg(name, resultText(outcome)));
    }

    // The current dump ends at its next block and finishes its files; a running command
    // is killed. The extraction then finishes as usual with Cancelled.
    void stopIfSignalled()
    {
        if (!stopSignalled() || stopping)
            return;
        stopping = true;
        display->printLine(tr("Stopping..."));
        job.stop();
    }

    void refresh(const ExtractionStatus &status)
    {
        stopIfSignalled(); // in case the pipe could not be made
        ProgressState state;
        static_cast<ExtractionStatus &>(state) = status;
        // The object being extracted; between two objects the last one, as before.
        if (!runningObjects.isEmpty())
            lastObject = runningObjects.last();
        state.object = lastObject;
        // Several workers: every object being extracted with its own share done.
        for (const ObjectBlocks &blocks : std::as_const(state.running))
            state.objects << QStringLiteral("%1 %2%").arg(
                objectDisplayName(blocks.object),
                QString::number(progressPercent(blocks.firstBlock, blocks.currentBlock,
                                                blocks.lastBlock)));
        display->show(state);
    }

    ProgressDisplay *display;
    ExtractionJob job;
    QEventLoop loop;
    std::unique_ptr<QSocketNotifier> stopNotifier;
    bool keepGoing;
    bool verifying;
    QStringList runningObjects;
    QString lastObject; // shown between two objects, as before
    bool stopping = false;
};

} // namespace

ExtractionJob::Start runExtraction(const QList<DVDAObject *> &selection, const ExtractOptions &options,
                                   const ExtractionJob::ReplaceExisting &replaceExisting, bool objectsLeftOut,
                                   ProgressDisplay *display, int stopFd, JobEnding *ending, QString *refusal)
{
    ExtractionRun run(display, options, stopFd);
    const ExtractionJob::Start started = run.exec(selection, options, replaceExisting, objectsLeftOut);
    *ending = run.ending;
    *refusal = run.refusal();
    return started;
}
