#pragma once
// What an extraction shows while it runs: on a terminal one status line on standard
// error, redrawn in place; lines about the objects (and the command's own output) go
// above it. Without a terminal only the lines are written.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include "extraction/extractionstatus.h"

// One sample of the extraction for the status line.
struct ProgressState : ExtractionStatus {
    QString object; // "track 1/1/3"; empty before the first object
    // With several objects dumped at once, each with its share done: "track 1/1/3 5%".
    QStringList objects;
};

// "track 1/1/3  block 1234 (1000-5678)  5%  jobs waiting: 2  |  WHOLE", "track 1/1/3 5%,
// track 1/1/4 80%", "Waiting...  jobs waiting: 2", "Finishing...  jobs waiting: 1"; the jobs
// part only when a command runs. Narrower than width characters when width is given: the
// block numbers are dropped first, then the whole, and the rest ends at a word.
[[nodiscard]] QString progressText(const ProgressState &state, int width = 0);

class ProgressDisplay {
public:
    explicit ProgressDisplay(bool terminal_) : terminal(terminal_) {}

    [[nodiscard]] bool isTerminal() const { return terminal; }
    // Redraws the status line (terminal only).
    void show(const ProgressState &state);
    // A line of its own on standard error.
    void printLine(const QString &line);
    // The command's output, passed on unchanged.
    void forwardError(const QByteArray &bytes);
    void forwardOutput(const QByteArray &bytes);
    // Removes the status line.
    void clear();

private:
    bool terminal;
    bool lineShown = false;
    bool outputLost = false; // the command's output could not be passed on
};
