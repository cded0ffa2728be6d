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
    Result cover;               // writing the cover beside the files, when there is one
    QString summary;            // "4 files written, 120.5 MB, in 0:01:12" (extractions)
    QString outcome;            // the last line, in words that match clean
    bool objectsLeftOut = false; // the zone's damage hid objects the selection could hold
    bool clean = false;          // a success by every measure: exit status 0
    QList<DVDAObject *> commandUndone; // objects whose files the command did not finish
};

// Ends a run: writes the rip log of an extraction and puts the ending together.
// objectsLeftOut: the zone's damage may have kept objects out of the selection (not
// counted after a stop).
[[nodiscard]] JobEnding endJob(const Extraction &extraction, bool objectsLeftOut);
