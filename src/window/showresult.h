#pragma once
// The one message box that reports how an extraction ended.
#include <QString>
#include <QStringList>

#include "base/result.h"

class QWidget;

// What the box says below the result's message, and what it offers.
struct ResultDetails {
    QStringList lines; // the failed and damaged objects and files, one a line
    QString summary;   // what was written
    QString folder;    // the output folder: named, and offered to open
    QString ripLog;    // the rip log written beside the files: named
    QString retry;     // a button that runs the run's mended objects again; empty for none
};

enum class ResultChoice { Closed, Retry };

// Shows the message of the result's code in a modal box over parent (which asks for
// attention) and returns when the user has closed it: information for success, warning
// for a cancellation, critical for every other code. Where it failed (the file, block or
// command) and the details' lines come below it; a success with lines is a warning. The
// summary, the folder and the rip log come last; with a folder the box offers to open it,
// and says where it is when no program opens folders. The box is wide enough for its
// longest line, up to most of the screen.
[[nodiscard]] ResultChoice showResult(QWidget *parent, const Result &result, const ResultDetails &details = {});
