#pragma once
// Runs one extraction from the command line: the extraction object's signals shown as
// lines and a status line, a stop signal turned into a stop request.
#include <QList>

#include "base/result.h"
#include "extraction/extraction.h"

class DVDAObject;
class ProgressDisplay;

// Runs the extraction (or verification) to its end and returns its result, with where it
// failed. The caller
// has installed the stop signal handlers; stopFd is the read end of their pipe, or -1.
// report, when given, receives how it went: what each object was found to hold, the files
// and the commands.
[[nodiscard]] Result runExtraction(const QList<DVDAObject *> &objects, const ExtractOptions &options,
                                   ProgressDisplay *display, int stopFd,
                                   ExtractionReport *report = nullptr);
