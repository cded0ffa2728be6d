#include "extraction/commandprocess.h"

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#ifdef Q_OS_UNIX
#include <csignal>
#include <unistd.h>
#endif

QString expandCommand(const QString &command, const QString &path, int channels, int sampleRate,
                      int bits)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    QString directory;
    if (slash < 0)
        directory = QStringLiteral(".");
    else if (slash == 0)
        directory = QStringLiteral("/");
    else
        directory = path.left(slash);
    const QString name = path.mid(slash + 1);
    const qsizetype firstDot = name.indexOf(QLatin1Char('.'));
    const qsizetype lastDot = name.lastIndexOf(QLatin1Char('.'));
    const QString base = firstDot < 0 ? name : name.left(firstDot);
    const QString ext = lastDot < 0 ? QString() : name.mid(lastDot + 1);

    const std::pair<const char *, QString> fills[] = {
        {"%path%", directory},
        {"%filepath%", path},
        {"%filebase%", base},
        {"%filename%", name},
        {"%ext%", ext},
        {"%channels%", QString::number(channels)},
        {"%samplerate%", QString::number(sampleRate)},
        {"%bits%", QString::number(bits)},
    };
    QString text = command;
    for (const auto &[placeholder, value] : fills)
        text.replace(QLatin1String(placeholder), value, Qt::CaseSensitive);
    return text;
}

namespace {
enum {
    TAIL_BYTES = 4096, // of standard error kept for a failure's message
    TAIL_LINES = 3,
};

// The last lines of text, without blank ones, joined for one line of a message.
QString lastLines(const QByteArray &text)
{
    QStringList lines;
    for (const QByteArray &line : text.split('\n'))
        if (!line.trimmed().isEmpty())
            lines << QString::fromLocal8Bit(line.trimmed());
    return lines.mid(qMax(0, int(lines.size()) - TAIL_LINES)).join(QStringLiteral(" / "));
}
} // namespace

QStringList commandLine(const QString &command, const QString &path, int channels, int sampleRate,
                        int bits)
{
    // Split first: a quote or blank inside a file path never changes the arguments.
    QStringList line = QProcess::splitCommand(command);
    for (QString &argument : line)
        argument = expandCommand(argument, path, channels, sampleRate, bits);
    return line;
}

bool commandProgramFound(const QString &command, QString *program)
{
    *program = QProcess::splitCommand(command).value(0);
    if (program->isEmpty())
        return false;
    if (program->contains(QLatin1Char('%')))
        return true;
    if (program->contains(QLatin1Char('/'))) {
        const QFileInfo file(*program);
        return file.isFile() && file.isExecutable();
    }
    return !QStandardPaths::findExecutable(*program).isEmpty();
}

CommandProcess::CommandProcess(QObject *parent) : QObject(parent)
{
#ifdef Q_OS_UNIX
    // The command gets a process group of its own, so a stop also ends whatever it started
    // (a shell script's encoder keeps running otherwise).
    process.setChildProcessModifier([] { ::setpgid(0, 0); });
#endif
    connect(&process, &QProcess::readyReadStandardOutput, this, &CommandProcess::forwardOutput);
    connect(&process, &QProcess::readyReadStandardError, this, &CommandProcess::forwardOutput);
    connect(&process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            end(killed ? ResultCode::Cancelled : ResultCode::StartProcess, -1);
    });
    connect(&process, &QProcess::finished, this, [this](int exitCode, QProcess::ExitStatus status) {
        forwardOutput(); // what was written just before the end
        if (killed)
            end(ResultCode::Cancelled, exitCode);
        else if (status != QProcess::NormalExit || exitCode != 0)
            end(ResultCode::ProcessFailed, exitCode);
        else
            end(ResultCode::Succeeded, exitCode);
    });
}

CommandProcess::~CommandProcess()
{
    if (!isRunning())
        return;
    process.disconnect(this);
    killGroup();
    process.kill();
    process.waitForFinished(-1);
}

void CommandProcess::setLogFile(const QString &path)
{
    logFile = path;
}

Result CommandProcess::start(const QString &command, const QString &path, int channels, int sampleRate,
                      int bits)
{
    const QStringList line = commandLine(command, path, channels, sampleRate, bits);
    if (line.isEmpty() || line.first().isEmpty())
        return ResultCode::StartProcess;
    killed = false;
    ending = false;
    errorTail.clear();
    logStart = logFile.isEmpty() ? 0 : QFileInfo(logFile).size();
    if (logFile.isEmpty()) {
        process.setProcessChannelMode(QProcess::SeparateChannels);
        process.setStandardOutputFile(QString());
    } else {
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.setStandardOutputFile(logFile, QIODevice::Append);
    }
    // An empty standard input: a command that reads it (cat) sees its end at once.
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(line.first(), line.mid(1));
    return ResultCode::Succeeded;
}

void CommandProcess::kill()
{
    if (!isRunning() || ending)
        return;
    killed = true;
    killGroup();
    process.kill();
}

void CommandProcess::killGroup()
{
#ifdef Q_OS_UNIX
    const qint64 pid = process.processId();
    if (pid > 0)
        ::kill(-pid_t(pid), SIGKILL);
#endif
}

void CommandProcess::forwardOutput()
{
    if (!logFile.isEmpty())
        return;
    const QByteArray out = process.readAllStandardOutput();
    const QByteArray err = process.readAllStandardError();
    errorTail = (errorTail + err).right(TAIL_BYTES);
    if (!out.isEmpty() || !err.isEmpty())
        emit output(err, out);
}

void CommandProcess::end(ResultCode result, int exitCode)
{
    if (ending)
        return;
    ending = true;
    // Always after start has returned, even when the start itself failed.
    QMetaObject::invokeMethod(
        this, [this, result, exitCode] { emit finished(result, exitCode); }, Qt::QueuedConnection);
}

QString CommandProcess::failureText() const
{
    QString text = process.exitStatus() == QProcess::CrashExit
                       ? tr("crashed")
                       : tr("exited with status %1").arg(process.exitCode());
    QByteArray said = errorTail;
    if (!logFile.isEmpty()) { // standard error went to the log, after what was there before
        QFile log(logFile);
        if (log.open(QIODevice::ReadOnly)) {
            const qint64 from = qMax(logStart, log.size() - TAIL_BYTES);
            if (log.seek(from))
                said = log.readAll();
        }
    }
    const QString lines = lastLines(said);
    return lines.isEmpty() ? text : text + QStringLiteral(": ") + lines;
}
