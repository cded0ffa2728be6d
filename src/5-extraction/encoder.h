#pragma once
// Runs the user's command on one finished output file.
#include <functional>

#include <QProcess>
#include <QString>
#include <QStringList>

// The command template with the file's placeholders filled in. Each placeholder is replaced
// everywhere, case-sensitively, one after the other on the growing text, in this order:
// %path% (directory without trailing slash), %filepath%, %filebase% (name up to its first dot),
// %filename%, %ext% (after the last dot), %channels%, %samplerate%, %bits%.
QString expandCommand(const QString &command, const QString &path, int channels, int sampleRate,
                      int bits);

// The template split into program and arguments at blanks, double quotes grouping, then
// the placeholders filled in inside each argument: a value never adds or splits arguments.
QStringList commandLine(const QString &command, const QString &path, int channels, int sampleRate,
                        int bits);

class Encoder : public QProcess {
    Q_OBJECT
public:
    // Called about every 50 ms while the command starts and runs, on the calling thread.
    // Returning false kills the command (with every process it started) and ends encode.
    using KeepRunning = std::function<bool()>;

    explicit Encoder(QObject *parent = nullptr);

    // Runs the command on the file and blocks until it has ended. Returns 0 when it exited
    // normally with code 0, ErrStartProcess when it could not be started within 5000 ms,
    // ErrProcessFailed when it exited non-zero or crashed, ErrCancelled when keepRunning
    // said no. Standard input is empty (the null device).
    [[nodiscard]] int encode(const QString &command, const QString &path, int channels, int sampleRate,
               int bits, const KeepRunning &keepRunning = {});

private:
    void killCommand();
};
