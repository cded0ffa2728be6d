#pragma once
// How an extraction or verification ended, as both front ends show it: what the decoder
// found damaged, the rip log written beside the files, the summary, and the last line.
#include <QList>
#include <QString>
#include <QStringList>

#include "base/result.h"
#include "extraction/extraction.h"

struct JobEnding {
    Result result;              // how the run ended: Cancelled after a stop
    ExtractionReport report;
    QStringList damagedLines;   // "Damaged file: ..." per file of a damaged object
    Result log;                 // appending the rip log (an extraction that ran)
    QString ripLog;             // the rip log's path, once it was written
    Result cover;               // writing the cover beside the files, when there is one
    Result replayGain;          // tagging the files with ReplayGain, when asked for
    QString summary;            // "4 files written, 120.5 MB, in 0:01:12" (extractions)
    QString outcome;            // the last line, in words that match clean
    bool objectsLeftOut = false; // the zone's damage hid objects the selection could hold
    bool clean = false;          // a success by every measure: exit status 0
    QList<DVDAObject *> commandUndone; // objects whose files the command did not finish
    QStringList failedLines;     // "track 1/1/2: what failed", in the order they failed
    // Failed or damaged MLP objects of a decoding run without "Recover from stream
    // errors", in list order: a second run with it may get them whole.
    QList<const DVDAObject *> recoverable;
};

// An object the run failed on, as it was reported.
struct ObjectFailure {
    DVDAObject *object = nullptr;
    Result result;
};

// Ends a run: writes the rip log of an extraction and puts the ending together.
// objectsLeftOut: the zone's damage may have kept objects out of the selection (not
// counted after a stop). failures: the objects that failed, as they finished.
[[nodiscard]] JobEnding endJob(const Extraction &extraction, bool objectsLeftOut,
                               const QList<ObjectFailure> &failures);
