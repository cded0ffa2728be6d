#include "job/jobplan.h"

#include <QCoreApplication>
#include <QFileInfo>

#include "extraction/commandprocess.h"
#include "extraction/discmetadata.h"
#include "extraction/nametemplate.h"
#include "extraction/objectnames.h"
#include "extraction/plannedfiles.h"
#include "extraction/wholetitles.h"
#include "output/coverimage.h"
#include "output/stagedfile.h"
#include "zone/dvdazone.h"

namespace {
QString tr(const char *text)
{
    return QCoreApplication::translate("JobPlan", text);
}

// Why a path the template gives cannot be written; empty when it can.
QString pathRefusal(const ExtractOptions &options, const QString &path)
{
    QString part;
    const QString folder = options.outputDir.path();
    const QString named = path.mid(folder.size() + 1); // as the template gave it
    switch (namedPathProblem(folder, path, &part)) {
    case NamedPathProblem::None:
        return QString();
    case NamedPathProblem::Outside:
        return tr("the name template gives '%1', which is outside the output folder").arg(named);
    case NamedPathProblem::EmptyPart:
        return tr("the name template gives '%1', in which a name is empty").arg(named);
    case NamedPathProblem::HiddenPart:
        return tr("the name template gives '%1', in which '%2' is a hidden name").arg(named, part);
    }
    return QString();
}

// Whether the template can name the files: its placeholders, and each path it gives.
QString templateRefusal(const QList<DVDAObject *> &objects, const QStringList &planned, const ExtractOptions &options)
{
    if (options.nameTemplate.isEmpty())
        return QString();
    const QString unknown = unknownPlaceholder(options.nameTemplate);
    if (!unknown.isEmpty())
        return tr("the name template holds '%1', which is no placeholder (those are %2)")
            .arg(unknown, namePlaceholders().join(QLatin1Char(' ')));
    for (const DVDAObject *object : objects) {
        const QString empty = emptyTemplateField(options.nameTemplate, object, options.metadata.get());
        if (!empty.isEmpty())
            return tr("the name template's %1 is empty for %2: fill it in the metadata file, or give a "
                      "fallback, as in %3")
                .arg(empty, objectBaseName(object), empty.chopped(1) + QStringLiteral("|Unknown%"));
    }
    for (const QString &path : planned) {
        const QString refusal = pathRefusal(options, path);
        if (!refusal.isEmpty())
            return refusal;
    }
    return QString();
}

// Metadata made for another disc would tag its files wrongly.
QString metadataRefusal(const QList<DVDAObject *> &objects, const ExtractOptions &options)
{
    const DVDAObject *first = objects.value(0);
    const auto *zone = first ? static_cast<const DVDAZone *>(first->ancestor(KindZone)) : nullptr;
    if (!options.metadata || !zone || options.metadata->discId == zone->discId)
        return QString();
    return tr("the metadata file '%1' is for the disc %2, not for this one (%3)")
        .arg(options.metadata->path, options.metadata->discId, zone->discId);
}

// The first reason the files cannot be written as named, or the command cannot run.
QString refusalOf(const QList<DVDAObject *> &objects, const QStringList &planned, const ExtractOptions &options)
{
    const QString foreign = metadataRefusal(objects, options);
    if (!foreign.isEmpty())
        return foreign;
    const QString badTemplate = templateRefusal(objects, planned, options);
    if (!badTemplate.isEmpty())
        return badTemplate;
    const QString repeated = repeatedPlannedFile(planned);
    if (!repeated.isEmpty())
        return tr("the name template gives more than one file the name '%1'").arg(repeated);
    int nameLimit = 0;
    const QString tooLong = tooLongPlannedName(planned, options.outputDir, &nameLimit);
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

namespace {
QList<DVDAObject *> runObjects(const QList<DVDAObject *> &selection, const ExtractOptions &options)
{
    return options.perTitle && options.mode != ModeVerify ? wholeTitles(selection) : selection;
}
} // namespace

QString coverFilePath(const ExtractOptions &options)
{
    if (!options.cover || options.mode != ModeConvert)
        return QString();
    return options.outputDir.filePath(QStringLiteral("cover.") + options.cover->extension);
}

QStringList plannedNames(const QList<DVDAObject *> &selection, const ExtractOptions &options)
{
    return plannedFiles(runObjects(selection, options), options);
}

JobPlan planJob(const QList<DVDAObject *> &selection, const ExtractOptions &options)
{
    JobPlan plan;
    plan.objects = runObjects(selection, options);
    if (options.mode == ModeVerify)
        return plan;
    // The names are made once: every check below reads them.
    plan.files = plannedFilesByObject(plan.objects, options);
    QStringList planned;
    for (const QStringList &files : std::as_const(plan.files))
        planned << files;
    plan.refusal = refusalOf(plan.objects, planned, options);
    // Two discs of the same layout give the same names: a second rip into the folder of
    // the first must not replace it unasked.
    const QString cover = coverFilePath(options);
    if (!cover.isEmpty())
        planned << cover;
    plan.existing = existingPlannedFiles(planned);
    return plan;
}
