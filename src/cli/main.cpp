// kestrova-cli: the zone tree, property rows and extraction of the window, from the
// command line, on the same core library.
#include <cerrno>
#include <cstring>
#include <memory>

#include <QCoreApplication>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>

#include "cli/cliarguments.h"
#include "cli/clioptions.h"
#include "cli/consolestreams.h"
#include "cli/extractionrun.h"
#include "job/checkrip.h"
#include "job/jobplan.h"
#include "extraction/discmetadata.h"
#include "job/jobtagging.h"
#include "cli/jsoncliformatter.h"
#include "text/optionstext.h"
#include "cli/progressdisplay.h"
#include "cli/selectors.h"
#include "cli/stopsignals.h"
#include "cli/textcliformatter.h"
#include "zone/dvdazone.h"
#include "zone/zoneopener.h"
#include "zone/zoneproblem.h"
#include "extraction/objectnames.h"
#include "text/existingfilestext.h"
#include "text/checkreport.h"
#include "text/counted.h"
#include "kestrova_version.h"

namespace {

enum ExitStatus {
    ExitSuccess = 0,
    ExitFailure = 1,
    ExitUsage = 2,
    ExitCancelled = 130, // 128 + SIGINT, as shells report an interrupted program
};

QString tr(const char *text)
{
    return QCoreApplication::translate("KestrovaCli", text);
}

int usageError(const QString &text)
{
    printError(text);
    writeStderr(tr("Try 'kestrova-cli --help' for more information.\n"));
    return ExitUsage;
}

// Standard output that cannot take the text (a full disc) is a failure, not a success.
int printOutput(const QByteArray &bytes)
{
    if (writeStdout(bytes))
        return ExitSuccess;
    printError(tr("cannot write to standard output: %1").arg(QString::fromLocal8Bit(strerror(errno))));
    return ExitFailure;
}

// Every part of the zone that could not be read, on standard error.
void printProblems(const DVDAZone *zone)
{
    for (const ZoneProblem &problem : zoneProblems(zone))
        printError(problemText(problem));
}

// The zone of the command line with its problems on standard error; null, the reason
// printed, when it cannot be opened.
std::unique_ptr<DVDAZone> openShownZone(const CliArguments &args)
{
    QString error;
    std::unique_ptr<DVDAZone> zone = openZone(args.zonePath, &error);
    if (!zone)
        printError(error);
    else
        printProblems(zone.get());
    return zone;
}

int runInfo(const CliArguments &args)
{
    const std::unique_ptr<DVDAZone> zone = openShownZone(args);
    if (!zone)
        return ExitFailure;
    QString error;
    std::unique_ptr<CliFormatter> formatter;
    if (args.json)
        formatter = std::make_unique<JsonCliFormatter>();
    else
        formatter = std::make_unique<TextCliFormatter>();
    if (!args.properties) {
        return printOutput(formatter->zoneTree(zone.get()));
    }
    DVDAObject *object = selectOneObject(zone.get(), args.propertiesSelector, &error);
    if (!object)
        return usageError(error);
    return printOutput(formatter->propertyRows(object));
}

// The metadata file to fill in for the zone, on standard output.
int runMetadata(const CliArguments &args)
{
    const std::unique_ptr<DVDAZone> zone = openShownZone(args);
    if (!zone)
        return ExitFailure;
    return printOutput(metadataTemplate(zone.get()));
}

// Every file the folder's rip log names, decoded again and compared with it.
int runCheckRip(const CliArguments &args)
{
    const RipCheck check = checkRip(args.zonePath);
    if (!check.error.isEmpty())
        return usageError(tr("no rip log to check: %1").arg(check.error));
    QString text;
    for (const QString &line : check.lines)
        text += line + QLatin1Char('\n');
    text += ripCheckSummary(check, QString()) + QLatin1Char('\n');
    const int printed = printOutput(text.toUtf8());
    return printed != ExitSuccess ? printed : check.differences == 0 ? ExitSuccess : ExitFailure;
}

// The output folder as an absolute path, so that the command gets full file paths.
[[nodiscard]] bool checkOutputFolder(const QString &path, QDir *dir, QString *error)
{
    const QFileInfo info(path);
    if (!info.exists()) {
        *error = tr("output folder '%1' does not exist").arg(path);
        return false;
    }
    if (!info.isDir()) {
        *error = tr("output folder '%1' is not a folder").arg(path);
        return false;
    }
    if (!info.isWritable()) {
        *error = tr("cannot write into the output folder '%1'").arg(path);
        return false;
    }
    *dir = QDir(info.absoluteFilePath());
    return true;
}

// Opens the zone and resolves every selector before anything is read or written; false
// with *status set when either fails.
[[nodiscard]] bool openSelected(const CliArguments &args, std::unique_ptr<DVDAZone> *zone,
                  QList<DVDAObject *> *objects, int *status)
{
    *zone = openShownZone(args);
    if (!*zone) {
        *status = ExitFailure;
        return false;
    }
    QString error;
    // A damaged zone, not a wrong selector: the problems above say why.
    if (!hasAudioTitles(zone->get())) {
        printError(tr("'%1' holds no audio titleset that could be read").arg(args.zonePath));
        *status = ExitFailure;
        return false;
    }
    bool malformed = false;
    if (!selectExtractObjects(zone->get(), args.selectors, objects, &error, &malformed)) {
        // A selector that names nothing in a damaged zone: the damage, not the command
        // line, is what is wrong, and the problems above name it.
        if (!malformed && problemsHideObjects(zone->get())) {
            printError(error);
            *status = ExitFailure;
        } else {
            *status = usageError(error);
        }
        return false;
    }
    return true;
}

// "a.wav, b.wav in '/out' exist; use --overwrite or another folder"
QString existingFilesText(const QStringList &existing, const QString &folder)
{
    return tr("%1 in '%2' %3; use --overwrite or another folder")
        .arg(existingFilesList(existing), folder, existing.size() == 1 ? tr("exists") : tr("exist"));
}

// The job with the progress display and the stop signals; files that exist already are
// replaced only with --overwrite. Returns the exit status of a job that did not start.
[[nodiscard]] int runJob(const CliArguments &args, const QList<DVDAObject *> &selection, bool objectsLeftOut,
                         JobEnding *ending)
{
    const auto replace = [&args](const QStringList &existing) {
        if (!args.overwrite)
            printError(existingFilesText(existing, args.options.outputDir.path()));
        return args.overwrite;
    };
    const int stopFd = installStopSignals();
    ProgressDisplay display(stderrIsTerminal());
    QString refusal;
    switch (runExtraction(selection, args.options, replace, objectsLeftOut, &display, stopFd, ending, &refusal)) {
    case ExtractionJob::Start::Started:
        return ExitSuccess;
    case ExtractionJob::Start::Refused:
        printError(refusal);
        return ExitUsage;
    case ExtractionJob::Start::Declined:
        return ExitUsage;
    case ExtractionJob::Start::Busy:
        break;
    }
    return ExitFailure;
}

// What a dry run prints: the options, the objects the job would run and the files each
// would write, then why it would not run, if it would not.
int printDryRun(const CliArguments &args, const QList<DVDAObject *> &selection)
{
    const JobPlan plan = planJob(selection, args.options);
    QString text = optionsText(args.options);
    for (int k = 0; k < plan.objects.size(); ++k) {
        const DVDAObject *object = plan.objects.at(k);
        text += QStringLiteral("object: %1 %2\n").arg(selectorOf(object), objectBaseName(object));
        for (const QString &file : plan.files.value(k))
            text += QStringLiteral("  file: %1\n").arg(file);
    }
    const int printed = printOutput(text.toUtf8());
    if (printed != ExitSuccess)
        return printed;
    if (!plan.refusal.isEmpty()) {
        printError(plan.refusal);
        return ExitUsage;
    }
    if (!args.overwrite && !plan.existing.isEmpty()) {
        printError(existingFilesText(plan.existing, args.options.outputDir.path()));
        return ExitUsage;
    }
    return ExitSuccess;
}

// Any damage in the zone that kept objects of the selection out, named again last.
void printHiddenObjects(const DVDAZone *zone)
{
    printError(tr("parts of the zone could not be read; their objects were left out:"));
    printProblems(zone);
}

int runExtract(CliArguments args)
{
    std::unique_ptr<DVDAZone> zone;
    QList<DVDAObject *> selection;
    int status = ExitSuccess;
    if (!openSelected(args, &zone, &selection, &status))
        return status;
    QString error;
    if (!checkOutputFolder(args.outputPath, &args.options.outputDir, &error)) {
        printError(error);
        return ExitFailure;
    }
    if (!loadTagging(&args.options, zone.get(), args.metadataPath, args.coverPath, &error))
        return usageError(error);
    if (args.dryRun)
        return printDryRun(args, selection);

    JobEnding ending;
    status = runJob(args, selection, groupsMayLackObjects(args.selectors, zone.get()), &ending);
    if (status != ExitSuccess)
        return status;
    for (const QString &line : std::as_const(ending.damagedLines))
        writeStderr(line + QLatin1Char('\n'));
    if (ending.log.failed())
        printError(tr("the rip log cannot be written: %1").arg(ending.log.where()));
    if (ending.cover.failed())
        printError(tr("the cover cannot be written: %1").arg(ending.cover.where()));
    if (ending.replayGain.failed())
        printError(tr("the ReplayGain tags cannot be written: %1").arg(ending.replayGain.where()));
    writeStderr(ending.summary + QLatin1Char('\n'));
    if (ending.objectsLeftOut)
        printHiddenObjects(zone.get());
    // The last line says what came of it, in words that match the exit status.
    writeStderr(ending.outcome + QLatin1Char('\n'));
    if (ending.result == ResultCode::Cancelled)
        return ExitCancelled;
    return ending.clean ? ExitSuccess : ExitFailure;
}

QByteArray verifyReport(const QList<ObjectCheck> &checks, bool json)
{
    QStringList names;
    QJsonArray objects;
    for (const ObjectCheck &check : checks) {
        names << selectorOf(check.object);
        objects.append(checkJson(names.last(), check));
    }
    if (!json)
        return checkReportText(names, checks).toUtf8();
    const QJsonObject report{{QStringLiteral("schemaVersion"), int(JSON_SCHEMA_VERSION)},
                             {QStringLiteral("objects"), objects},
                             {QStringLiteral("summary"), checkSummary(checks)},
                             {QStringLiteral("counts"), checkCounts(checks)},
                             {QStringLiteral("clean"), allClean(checks)}};
    return QJsonDocument(report).toJson();
}

int runVerify(const CliArguments &args)
{
    std::unique_ptr<DVDAZone> zone;
    QList<DVDAObject *> selection;
    int status = ExitSuccess;
    if (!openSelected(args, &zone, &selection, &status))
        return status;
    JobEnding ending;
    status = runJob(args, selection, groupsMayLackObjects(args.selectors, zone.get()), &ending);
    if (status != ExitSuccess)
        return status;
    const int printed = printOutput(verifyReport(ending.report.checks, args.json));
    if (ending.result == ResultCode::Cancelled)
        return ExitCancelled;
    if (printed != ExitSuccess)
        return printed;
    if (ending.result.failed())
        printError(ending.outcome);
    if (ending.objectsLeftOut)
        printHiddenObjects(zone.get());
    return ending.clean ? ExitSuccess : ExitFailure;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kestrova-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KESTROVA_VERSION));

    CliArguments args;
    QString error;
    if (!parseArguments(QCoreApplication::arguments().mid(1), &args, &error))
        return usageError(error);

    switch (args.command) {
    case CliCommand::Help:
        return printOutput(helpText().toUtf8());
    case CliCommand::Version:
        return printOutput(versionText().toUtf8());
    case CliCommand::Info:
        return runInfo(args);
    case CliCommand::Extract:
        return runExtract(args);
    case CliCommand::Verify:
        return runVerify(args);
    case CliCommand::Metadata:
        return runMetadata(args);
    case CliCommand::CheckRip:
        return runCheckRip(args);
    case CliCommand::None:
        break;
    }
    return usageError(tr("no command given (info, extract, verify, metadata or check-rip)"));
}
