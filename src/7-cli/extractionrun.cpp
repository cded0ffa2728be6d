#include "7-cli/extractionrun.h"

#include <memory>

#include <QCoreApplication>
#include <QEventLoop>
#include <QSocketNotifier>
#include <QStringList>
#include <QTimer>

#include "7-cli/progressdisplay.h"
#include "7-cli/selectors.h"
#include "7-cli/stopsignals.h"
#include "5-extraction/extractiondriver.h"
#include "1-base/result.h"
#include "5-extraction/extractthread.h"
#include "5-extraction/jobthread.h"
#include "3-zone/dvdazone.h"

namespace {

enum {
    REFRESH_MS = 200, // a few redraws a second, and a stop seen within that
};

QString tr(const char *text)
{
    return QCoreApplication::translate("ExtractionRun", text);
}

class ExtractionRun : public ExtractionDriver {
public:
    ExtractionRun(DVDAZone *zone_, const QList<DVDAObject *> &objects,
                  const ExtractOptions &options, ProgressDisplay *display_, int stopFd)
        : zone(zone_), display(display_), keepGoing(options.keepGoing),
          verifying(options.mode == ModeVerify)
    {
        if (stopFd >= 0) {
            stopNotifier = std::make_unique<QSocketNotifier>(stopFd, QSocketNotifier::Read);
            QObject::connect(stopNotifier.get(), &QSocketNotifier::activated, &loop, [this, stopFd] {
                drainStopSignals(stopFd);
                stopIfSignalled();
            });
        }
        createThreads(zone, objects, options);
    }

    int exec()
    {
        QObject::connect(extractThread, &ExtractThread::itemProcessing, &loop,
                         [this](DVDAObject *object, int state) { itemProcessing(object, state); });
        QObject::connect(extractThread, &ExtractThread::itemRenamed, &loop,
                         [this](DVDAObject *, const QString &name) {
                             display->printLine(tr("  written as %1: an earlier object of this "
                                                   "extraction has its name").arg(name));
                         });
        QObject::connect(extractThread, &ExtractThread::itemFailed, &loop,
                         [this](DVDAObject *object, int code) { itemFailed(object, code); });
        QObject::connect(extractThread, &QThread::finished, &loop, [this] {
            endExtractThread();
            finishIfDone();
        });
        if (jobThread)
            QObject::connect(jobThread, &QThread::finished, &loop, [this] {
                endJobThread();
                finishIfDone();
            });
        QObject::connect(&timer, &QTimer::timeout, &loop, [this] { refresh(); });
        timer.start(REFRESH_MS);

        startThreads();
        loop.exec();

        timer.stop();
        endExtraction();
        display->clear();
        if (keepGoing && !failures.isEmpty()) {
            display->printLine(tr("Failed objects: %1").arg(failures.size()));
            for (const QString &failure : std::as_const(failures))
                display->printLine(QStringLiteral("  ") + failure);
        }
        return resultCode;
    }

protected:
    void showJobOutput(const QByteArray &error, const QByteArray &output) override
    {
        display->forwardError(error);
        display->forwardOutput(output);
    }

private:
    void itemProcessing(DVDAObject *object, int state)
    {
        const QString name = objectDisplayName(zone, object);
        switch (state) {
        case ExtractThread::ItemStarted:
            runningObjects.append(name);
            display->printLine(verifying ? tr("Verifying %1").arg(name)
                                         : tr("Extracting %1 (%2)")
                                               .arg(name, ExtractThread::baseName(zone, object)));
            break;
        case ExtractThread::ItemSucceeded:
            runningObjects.removeOne(name);
            display->printLine(verifying ? tr("Verified %1").arg(name)
                                         : tr("Extracted %1").arg(name));
            break;
        case ExtractThread::ItemFailed: // reported by itemFailed, with its own result
            runningObjects.removeOne(name);
            break;
        }
    }

    void itemFailed(DVDAObject *object, int code)
    {
        const QString failure = QStringLiteral("%1: %2").arg(objectDisplayName(zone, object),
                                                            resultMessage(code));
        display->printLine(tr("Failed %1").arg(failure));
        failures << failure;
    }

    // The current dump ends at its next block and finishes its files; a running command
    // is killed. Both threads then end as usual and report ErrCancelled.
    void stopIfSignalled()
    {
        if (!stopSignalled() || stopping)
            return;
        stopping = true;
        display->printLine(tr("Stopping..."));
        requestStop();
    }

    void refresh()
    {
        stopIfSignalled(); // in case the pipe could not be made
        forwardJobOutput();

        ProgressState state;
        static_cast<ExtractionStatus &>(state) = status();
        // The object being extracted; between two objects the last one, as before.
        if (!runningObjects.isEmpty())
            lastObject = runningObjects.last();
        state.object = lastObject;
        // Several workers: every object being extracted with its own share done.
        for (const ObjectBlocks &blocks : std::as_const(state.running))
            state.objects << QStringLiteral("%1 %2%").arg(
                objectDisplayName(zone, blocks.object),
                QString::number(progressPercent(blocks.firstBlock, blocks.currentBlock,
                                                blocks.lastBlock)));
        display->show(state);
    }

    void finishIfDone()
    {
        if (!busy())
            loop.quit();
    }

    DVDAZone *zone;
    ProgressDisplay *display;
    QTimer timer;
    QEventLoop loop;
    std::unique_ptr<QSocketNotifier> stopNotifier;
    bool keepGoing;
    QStringList failures; // "track 1/1/2: message", in the order they happened
    QStringList runningObjects;
    QString lastObject; // shown between two objects, as before
    bool stopping = false;
    bool verifying;
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
