#include "cli/extractionrun.h"

#include <memory>

#include <QCoreApplication>
#include <QEventLoop>
#include <QSocketNotifier>
#include <QStringList>

#include "extraction/extraction.h"
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
        extraction.setProgressInterval(REFRESH_MS);
        QObject::connect(&extraction, &Extraction::objectStarted, &loop,
                         [this](DVDAObject *object, const QString &) { objectStarted(object); });
        QObject::connect(&extraction, &Extraction::objectRenamed, &loop,
                         [this](DVDAObject *, const QString &name) {
                             display->printLine(tr("  written as %1: an earlier object of this "
                                                   "extraction has its name").arg(name));
                         });
        QObject::connect(&extraction, &Extraction::objectFinished, &loop,
                         [this](DVDAObject *object, ResultCode code, const ObjectCheck &check) {
                             objectFinished(object, Result(code, check.where));
                         });
        QObject::connect(&extraction, &Extraction::progress, &loop,
                         [this](const ExtractionStatus &status) { refresh(status); });
        QObject::connect(&extraction, &Extraction::commandOutput, &loop,
                         [this](const QByteArray &error, const QByteArray &output) {
                             display->forwardError(error);
                             display->forwardOutput(output);
                         });
        QObject::connect(&extraction, &Extraction::finished, &loop,
                         [this](ResultCode, const QList<ObjectCheck> &) {
                             result = extraction.result();
                             loop.quit();
                         });
    }

    Result exec(const QList<DVDAObject *> &objects, const ExtractOptions &options)
    {
        if (!extraction.start(objects, options))
            return ResultCode::Cancelled;
        loop.exec();
        display->clear();
        if (keepGoing && !failures.isEmpty()) {
            display->printLine(tr("Failed objects: %1").arg(failures.size()));
            for (const QString &failure : std::as_const(failures))
                display->printLine(QStringLiteral("  ") + failure);
        }
        const QList<Result> commands = extraction.commandFailures();
        if (keepGoing && !commands.isEmpty()) {
            display->printLine(tr("Failed commands: %1").arg(commands.size()));
            for (const Result &failure : commands)
                display->printLine(QStringLiteral("  ") + failure.where());
        }
        return result;
    }

    ExtractionReport report() const { return extraction.report(); }

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
        const QString failure = QStringLiteral("%1: %2").arg(name, resultText(outcome));
        display->printLine(tr("Failed %1").arg(failure));
        failures << failure;
    }

    // The current dump ends at its next block and finishes its files; a running command
    // is killed. The extraction then finishes as usual with Cancelled.
    void stopIfSignalled()
    {
        if (!stopSignalled() || stopping)
            return;
        stopping = true;
        display->printLine(tr("Stopping..."));
        extraction.stop();
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
    Extraction extraction;
    QEventLoop loop;
    std::unique_ptr<QSocketNotifier> stopNotifier;
    bool keepGoing;
    bool verifying;
    QStringList failures; // "track 1/1/2: message", in the order they happened
    QStringList runningObjects;
    QString lastObject; // shown between two objects, as before
    bool stopping = false;
    Result result;
};

} // namespace

Result runExtraction(const QList<DVDAObject *> &objects, const ExtractOptions &options,
                     ProgressDisplay *display, int stopFd, ExtractionReport *report)
{
    ExtractionRun run(display, options, stopFd);
    const Result result = run.exec(objects, options);
    if (report)
        *report = run.report();
    return result;
}
