#pragma once
// The program's own standard output and standard error, written unbuffered in whole
// pieces so that lines of the two threads' output and the progress line don't tear.
#include <QByteArray>
#include <QString>

// False when not all bytes could be written (a full disc, a closed pipe).
[[nodiscard]] bool writeStdout(const QByteArray &bytes);
void writeStderr(const QByteArray &bytes);
inline void writeStderr(const QString &text) { writeStderr(text.toUtf8()); }
// A message of the program on standard error: "kestrova-cli: " text and a line end.
void printError(const QString &text);
[[nodiscard]] bool stderrIsTerminal();
