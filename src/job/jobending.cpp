#include "job/jobending.h"

#include <QFile>

#include "job/jobplan.h"
#include "job/riplogfile.h"
#include "output/coverimage.h"
#include "output/outputfile.h"
#include "output/stagedfile.h"
#include "text/checkreport.h"
#include "text/objectselector.h"
#include "text/resulttext.h"
#include "text/riplog.h"

namespace {
// The cover beside the files, under its final name once it is whole.
Result writeCoverFile(const ExtractOptions &options)
{
    if (!options.cover || options.mode != ModeConvert)
        return ResultCode::Succeeded;
    const QString path = coverFilePath(options);
    QFile file;
    if (!openOutputFile(file, stagingPath(path)))
        return Result(ResultCode::CreateOutput, QStringLiteral("%1: %2").arg(path, file.errorString()));
    const bool written = file.write(options.cover->data) == options.cover->data.size() && file.flush();
    const QString reason = file.errorString();
    file.close();
    if (!written) {
        discardStaged(path);
        return Result(ResultCode::WriteOutput, QStringLiteral("%1: %2").arg(path, reason));
    }
    return publishStaged(path);
}

// The objects a second run with "Recover from stream errors" may mend.
QList<const DVDAObject *> recoverableObjects(const ExtractionReport &report)
{
    QList<const DVDAObject *> objects;
    if (report.options.mode != ModeConvert || report.options.streamErrors)
        return objects;
    for (const ObjectCheck &check : report.checks)
        if (check.mlp && (check.damaged() || (check.result != ResultCode::Succeeded && check.result != ResultCode::Cancelled)))
            objects << check.object;
    return objects;
}
} // namespace

JobEnding endJob(const Extraction &extraction, bool objectsLeftOut, const QList<ObjectFailure> &failures)
{
    JobEnding ending;
    ending.report = extraction.report();
    ending.result = extraction.result();
    ending.commandUndone = extraction.commandUndone();
    for (const ObjectFailure &failure : failures)
        ending.failedLines << QStringLiteral("%1: %2").arg(objectDisplayName(failure.object), resultText(failure.result));
    ending.recoverable = recoverableObjects(ending.report);
    // The files were written all the same, but what the decoder reported is in them.
    ending.damagedLines = damagedFileLines(ending.report.checks);
    ending.objectsLeftOut = objectsLeftOut && ending.result != ResultCode::Cancelled;
    if (ending.report.options.mode == ModeVerify) {
        ending.outcome = resultText(ending.result);
        ending.clean = ending.result.ok() && allClean(ending.report.checks) && !ending.objectsLeftOut;
        return ending;
    }
    // Applied once every object was done, before the command saw the files (the job set
    // it as the extraction's work on its files); the log keeps the figures.
    ending.replayGain = extraction.filesDoneResult();
    // A rip log that cannot be written fails the run: the record of it is missing.
    ending.log = appendRipLog(ending.report);
    if (ending.log.ok())
        ending.ripLog = ripLogPath(ending.report);
    ending.cover = writeCoverFile(ending.report.options);
    ending.summary = runSummaryText(ending.report);
    ending.outcome = outcomeText(ending.report, ending.objectsLeftOut, ending.log);
    ending.clean = outcomeClean(ending.report, ending.objectsLeftOut, ending.log) && ending.replayGain.ok();
    return ending;
}
