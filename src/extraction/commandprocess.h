#pragma once
// Runs the user's command on one finished output file at a time. Nothing blocks: the
// command runs beside the event loop of the runner's thread, and its end comes as a
// signal.
#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>

#include "base/result.h"

// The command template with the file's placeholders filled in. Each placeholder is replaced
// everywhere, case-sensitively, one after the other on the growing text, in this order:
// %path% (directory without trailing slash), %filepath%, %filebase% (name up to its first dot),
// %filename%, %ext% (after the last dot), %channels%, %samplerate%, %bits%.
[[nodiscard]] QString expandCommand(const QString &command, const QString &path, int channels, int sampleRate,
                      int bits);

// The template split into program and arguments at blanks, double quotes grouping, then
// the placeholders filled in inside each argument: a value never adds or splits arguments.
[[nodiscard]] QStringList commandLine(const QString &command, const QString &path, int channels, int sampleRate,
                        int bits);

// Whether the program the command template starts can be started: found on PATH, or a
// path to an executable file; *program is set to it. A program named by a placeholder is
// known only per file and is not checked.
[[nodiscard]] bool commandProgramFound(const QString &command, QString *program);

class CommandProcess : public QObject {
    Q_OBJECT
public:
    explicit CommandProcess(QObject *parent = nullptr);
    // A command still running is killed, with everything it started, and waited for.
    ~CommandProcess() override;

    // With a log file, the command's standard output and error are appended to it;
    // without, they come by the output signal.
    void setLogFile(const QString &path);
    // Starts the command on the file. StartProcess at once when the command names no
    // program; otherwise finished comes later. Standard input is empty (the null device).
    [[nodiscard]] Result start(const QString &command, const QString &path, int channels, int sampleRate,
                 int bits);
    // Kills the command and every process it started; finished comes with Cancelled.
    void kill();
    [[nodiscard]] bool isRunning() const { return process.state() != QProcess::NotRunning; }
    // After finished: why the command failed, for a message: "exited with status 2" or
    // "crashed", then the last lines it wrote to standard error (or to the log).
    [[nodiscard]] QString failureText() const;

signals:
    void output(const QByteArray &error, const QByteArray &output);
    // Succeeded (exit status 0), ProcessFailed (another status, or a crash), StartProcess
    // (it could not be started) or Cancelled (killed); exitCode is the command's own.
    void finished(ResultCode result, int exitCode);

private:
    void forwardOutput();
    void end(ResultCode result, int exitCode);
    void killGroup();

    QProcess process;
    QString logFile;
    qint64 logStart = 0;  // the log's size when the command started: its output follows
    QByteArray errorTail; // the end of what the command wrote to standard error
    bool killed = false;
    bool ending = false; // finished is on its way for the command that ran
};
