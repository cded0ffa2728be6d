#include "zone/zoneproblem.h"

#include <QCoreApplication>

#include "zone/dvdazone.h"

QString problemText(const ZoneProblem &problem)
{
    if (problem.offset < 0)
        return QStringLiteral("%1: %2").arg(problem.file, problem.what);
    return QCoreApplication::translate("ZoneProblem", "%1, byte %2: %3")
        .arg(problem.file)
        .arg(problem.offset)
        .arg(problem.what);
}

QList<ZoneProblem> zoneProblems(const DVDAZone *zone)
{
    QList<ZoneProblem> problems;
    if (!zone)
        return problems;
    problems += QList<ZoneProblem>(zone->problems.begin(), zone->problems.end());
    for (const auto &titleset : zone->titlesets)
        problems += QList<ZoneProblem>(titleset->problems.begin(), titleset->problems.end());
    return problems;
}

bool problemsHideObjects(const DVDAZone *zone, int titleset)
{
    for (const ZoneProblem &problem : zoneProblems(zone))
        if (problem.hidesObjects && (titleset == 0 || problem.titleset == 0 || problem.titleset == titleset))
            return true;
    return false;
}

bool hasAudioTitles(const DVDAZone *zone)
{
    if (!zone)
        return false;
    for (const auto &titleset : zone->titlesets) {
        if (titleset->contentKind == TitlesetAudio && !titleset->titles.empty())
            return true;
    }
    return false;
}
