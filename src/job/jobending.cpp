#include "job/jobending.h"

#include "job/riplogfile.h"
#include "text/checkreport.h"
#include "text/resulttext.h"
#include "text/riplog.h"

JobEnding endJob(const Extraction &extraction, bool objectsLeftOut)
{
    JobEnding ending;
    ending.report = extraction.report();
    ending.result = extraction.result();
    ending.commandUndone = extraction.commandUndone();
    // The files were written all the same, but what the decoder reported is in them.
    ending.damagedLines = damagedFileLines(ending.report.checks);
    ending.objectsLeftOut = objectsLeftOut && ending.result != ResultCode::Cancelled;
    if (ending.report.options.mode == ModeVerify) {
        ending.outcome = resultText(ending.result);
        ending.clean = ending.result.ok() && allClean(ending.report.checks) && !ending.objectsLeftOut;
        return ending;
    }
    // A rip log that cannot be written fails the run: the record of it is missing.
    ending.log = appendRipLog(ending.report);
    ending.summary = runSummaryText(ending.report);
    ending.outcome = outcomeText(ending.report, ending.objectsLeftOut, ending.log);
    ending.clean = outcomeClean(ending.report, ending.objectsLeftOut, ending.log);
    return ending;
}
