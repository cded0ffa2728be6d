#pragma once
// Runs one extraction job from the command line: its signals shown as lines and a status
// line, a stop signal turned into a stop request.
#include <QList>

#include "job/extractionjob.h"

class DVDAObject;
class ProgressDisplay;

// Starts the job on the selection and, once started, runs it to its end: *ending then
// tells how it went. The caller has installed the stop signal handlers; stopFd is the
// read end of their pipe, or -1. replaceExisting answers the job's question.
[[nodiscard]] ExtractionJob::Start runExtraction(const QList<DVDAObject *> &selection, const ExtractOptions &options,
                                                 const ExtractionJob::ReplaceExisting &replaceExisting,
                                                 bool objectsLeftOut, ProgressDisplay *display, int stopFd,
                                                 JobEnding *ending, QString *refusal);
