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
#include "cli/consolestreams.h"
#include "cli/extractionrun.h"
#include "cli/jsoncliformatter.h"
#include "text/optionstext.h"
#include "cli/progressdisplay.h"
#include "cli/selectors.h"
#include "cli/stopsignals.h"
#include "cli/textcliformatter.h"
#include "zone/dvdazone.h"
#include "zone/zoneopener.h"
#include "zone/zoneproblem.h"
#include "extraction/wholetitles.h"
#include "extraction/commandprocess.h"
#include "extraction/objectnames.h"
#include "output/stagedfile.h"
#include "extraction/plannedfiles.h"
#include "text/existingfilestext.h"
#include "text/checkreport.h"
#include "text/riplog.h"
#include "text/resulttext.h"
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

int runInfo(const CliArguments &args)
{
    QString error;
    std::unique_ptr<DVDAZone> zone = openZone(args.zonePath, &error);
    if (!zone) {
        printError(error);
        return ExitFailure;
    }
    printProblems(zone.get());
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

// The output folder as an absolute path, so that the command gets full file paths.
bool checkOutputFolder(const QString &path, QDir *dir, QString *error)
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
    QString error;
    *zone = openZone(args.zonePath, &error);
    if (!*zone) {
        printError(error);
        *status = ExitFailure;
        return false;
    }
    printProblems(zone->get());
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

// After a run over all, a titleset or a title of a zone whose damage kept objects out of
// the tree: the run did not cover what was asked. The problems again, last, and true.
[[nodiscard]] bool reportHiddenObjects(const CliArguments &args, const DVDAZone *zone)
{
    if (!groupsMayLackObjects(args.selectors, zone))
        return false;
    printError(tr("parts of the zone could not be read; their objects were left out:"));
    printProblems(zone);
    return true;
}

// The extraction with the progress display and the stop signals.
[[nodiscard]] Result runWalk(const QList<DVDAObject *> &objects, const ExtractOptions &options,
                             ExtractionReport *report)
{
    const int stopFd = installStopSignals();
    ProgressDisplay display(stderrIsTerminal());
    return runExtraction(objects, options, &display, stopFd, report);
}

int runExtract(CliArguments args)
{
    std::unique_ptr<DVDAZone> zone;
    QList<DVDAObject *> objects;
    int status = ExitSuccess;
    if (!openSelected(args, &zone, &objects, &status))
        return status;
    if (args.options.perTitle)
        objects = wholeTitles(objects);
    QString error;
    if (!checkOutputFolder(args.outputPath, &args.options.outputDir, &error)) {
        printError(error);
        return ExitFailure;
    }

    const QString repeated = repeatedPlannedFile(objects, args.options);
    if (!repeated.isEmpty())
        return usageError(tr("the name template gives more than one file the name '%1'").arg(repeated));
    int nameLimit = 0;
    const QString tooLong = tooLongPlannedName(objects, args.options, &nameLimit);
    if (!tooLong.isEmpty())
        return usageError(tr("the name of '%1' is longer than the output folder's file system allows "
                             "(%2 bytes, %3 more while it is written)")
                              .arg(tooLong).arg(nameLimit).arg(stagingPath(tooLong).size() - tooLong.size()));

    // Two discs of the same layout give the same names: a second rip into the folder of
    // the first must not replace it unasked. A dry run lists the objects all the same.
    const QStringList existing = args.overwrite ? QStringList()
                                                : existingPlannedFiles(objects, args.options);
    if (args.dryRun) {
        QString text = optionsText(args.options);
        for (const DVDAObject *object : objects) {
            text += QStringLiteral("object: %1 %2\n").arg(selectorOf(object), objectBaseName(object));
        }
        const int printed = printOutput(text.toUtf8());
        if (printed != ExitSuccess)
            return printed;
        QString missing;
        if (args.options.run && !commandProgramFound(args.options.command, &missing)) {
            printError(tr("the command's program '%1' is not found on PATH or not executable").arg(missing));
            return ExitUsage;
        }
        if (existing.isEmpty())
            return ExitSuccess;
    }
    if (!existing.isEmpty()) {
        printError(tr("%1 in '%2' %3; use --overwrite or another folder")
                       .arg(existingFilesList(existing), args.options.outputDir.path(),
                            existing.size() == 1 ? tr("exists") : tr("exist")));
        return ExitUsage;
    }

    // A command whose program cannot be started would fail on every file: found first.
    QString missing;
    if (args.options.run && !commandProgramFound(args.options.command, &missing)) {
        printError(tr("the command's program '%1' is not found on PATH or not executable").arg(missing));
        return ExitUsage;
    }

    ExtractionReport report;
    const Result result = runWalk(objects, args.options, &report);
    // The files were written all the same, but what the decoder reported is in them.
    for (const QString &line : damagedFileLines(report.checks))
        writeStderr(line + QLatin1Char('\n'));
    const Result logged = appendRipLog(report);
    if (logged.failed())
        printError(tr("the rip log cannot be written: %1").arg(logged.where()));
    writeStderr(runSummaryText(report) + QLatin1Char('\n'));
    const bool incomplete = result != ResultCode::Cancelled && reportHiddenObjects(args, zone.get());
    // The last line says what came of it, in words that match the exit status.
    writeStderr(outcomeText(report, incomplete, logged) + QLatin1Char('\n'));
    if (result == ResultCode::Cancelled)
        return ExitCancelled;
    return outcomeClean(report, incomplete, logged) ? ExitSuccess : ExitFailure;
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
    QList<DVDAObject *> objects;
    int status = ExitSuccess;
    if (!openSelected(args, &zone, &objects, &status))
        return status;
    ExtractionReport report;
    const Result result = runWalk(objects, args.options, &report);
    const QList<ObjectCheck> &checks = report.checks;
    const int printed = printOutput(verifyReport(checks, args.json));
    if (result == ResultCode::Cancelled)
        return ExitCancelled;
    if (printed != ExitSuccess)
        return printed;
    if (result != ResultCode::Succeeded)
        printError(resultText(result));
    const bool incomplete = reportHiddenObjects(args, zone.get());
    return result == ResultCode::Succeeded && allClean(checks) && !incomplete ? ExitSuccess : ExitFailure;
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
    case CliCommand::None:
        break;
    }
    return usageError(tr("no command given (info, extract or verify)"));
}
