#pragma once
// Drives one extraction as the window does, without widgets: the extraction thread, the
// job thread when a command is to be run, a refresh timer that shows progress, forwards
// the command's output and watches for a stop signal, and the first non-zero result of
// the threads in the order they finished.
#include <QList>

#include "5-extraction/objectcheck.h"
#include "5-extraction/extractoptions.h"

class DVDAObject;
class DVDAZone;
class ProgressDisplay;

// Runs the extraction (or verification) to its end and returns its result code. The
// caller has installed the stop signal handlers; stopFd is the read end of their pipe,
// or -1. checks, when given, receives what each object was found to hold.
[[nodiscard]] int runExtraction(DVDAZone *zone, const QList<DVDAObject *> &objects,
                                const ExtractOptions &options, ProgressDisplay *display,
                                int stopFd, QList<ObjectCheck> *checks = nullptr);
