#include "job/jobplan.h"

#include <QCoreApplication>

#include "extraction/commandprocess.h"
#include "extraction/plannedfiles.h"
#include "extraction/wholetitles.h"
#include "output/stagedfile.h"

namespace {
QString tr(const char *text)
{
    return QCoreApplication::translate("JobPlan", text);
}

// The first reason the files cannot be written as named, or the command cannot run.
QString refusalOf(const QList<DVDAObject *> &objects, const ExtractOptions &options)
{
    const QString repeated = repeatedPlannedFile(objects, options);
    if (!repeated.isEmpty())
        return tr("the name template gives more than one file the name '%1'").arg(repeated);
    int nameLimit = 0;
    const QString tooLong = tooLongPlannedName(objects, options, &nameLimit);
    if (!tooLong.isEmpty())
        return tr("the name of '%1' is longer than the output folder's file system allows "
                  "(%2 bytes, %3 more while it is written)")
            .arg(tooLong).arg(nameLimit).arg(stagingPath(tooLong).size() - tooLong.size());
    // A command whose program cannot be started would fail on every file: found first.
    QString missing;
    if (options.run && !commandProgramFound(options.command, &missing))
        return tr("the command's program '%1' is not found on PATH or not executable").arg(missing);
    return QString();
}
} // namespace

JobPlan planJob(const QList<DVDAObject *> &selection, const ExtractOptions &options)
{
    JobPlan plan;
    plan.objects = options.perTitle && options.mode != ModeVerify ? wholeTitles(selection) : selection;
    if (options.mode == ModeVerify)
        return plan;
    plan.refusal = refusalOf(plan.objects, options);
    // Two discs of the same layout give the same names: a second rip into the folder of
    // the first must not replace it unasked.
    plan.existing = existingPlannedFiles(plan.objects, options);
    return plan;
}
