#pragma once
// kestrova --help and --version, answered on the terminal as kestrova-cli answers them,
// before the application object exists, so that they need no display.
#include <QString>
#include <QStringList>

struct TerminalAnswer {
    bool answered = false; // false: start the window
    int exitCode = 0;
    QString text;          // for standard output
};

// arguments: those after the program name. Anything else than --help/-h or --version/-V
// (a zone, Qt's own options) is left to the window.
[[nodiscard]] TerminalAnswer terminalAnswer(const QStringList &arguments);

// Prints the answer, if any, and returns true when the program should end with exitCode.
[[nodiscard]] bool answerOnTerminal(int argc, char *argv[], int *exitCode);
