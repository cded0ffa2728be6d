#pragma once
// What an extraction will do, known before anything is read or written: the objects it
// runs, and whether its names and its command let it run at all.
#include <QList>
#include <QString>
#include <QStringList>

#include "extraction/extractoptions.h"

class DVDAObject;

struct JobPlan {
    QList<DVDAObject *> objects; // in run order: the selection's titles for one file per title
    // Why the job cannot run ("the name template gives more than one file the name 'x'"),
    // a sentence without its capital and stop; empty when it can.
    QString refusal;
    // Planned files that exist already: the one question the job asks its driver.
    QStringList existing;
    QList<QStringList> files; // the files each object writes, as the names come out

};

// Where the cover is written beside the files: "cover.jpg" or "cover.png" in the output
// folder; empty without a cover.
[[nodiscard]] QString coverFilePath(const ExtractOptions &options);

// The files a run of the selection with the options would write, in order: what a
// dialog shows as the names a template gives.
[[nodiscard]] QStringList plannedNames(const QList<DVDAObject *> &selection, const ExtractOptions &options);

// Plans an extraction or verification of the selection (tracks, indexes, titles) with
// the options. A verification writes nothing and is never refused.
[[nodiscard]] JobPlan planJob(const QList<DVDAObject *> &selection, const ExtractOptions &options);
