#include "5-extraction/encoder.h"

#include <QElapsedTimer>

#include "1-base/result.h"

#ifdef Q_OS_UNIX
#include <csignal>
#include <unistd.h>
#endif

namespace {
constexpr int startTimeoutMs = 5000;
constexpr int sliceMs = 50;
} // namespace

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

QStringList commandLine(const QString &command, const QString &path, int channels, int sampleRate,
                        int bits)
{
    // Split first: a quote or blank inside a file path never changes the arguments.
    QStringList line = QProcess::splitCommand(command);
    for (QString &argument : line)
        argument = expandCommand(argument, path, channels, sampleRate, bits);
    return line;
}

Encoder::Encoder(QObject *parent) : QProcess(parent)
{
#ifdef Q_OS_UNIX
    // The command gets a process group of its own, so a stop also ends whatever it started
    // (a shell script's encoder keeps running otherwise).
    setChildProcessModifier([] { ::setpgid(0, 0); });
#endif
}

int Encoder::encode(const QString &command, const QString &path, int channels, int sampleRate,
                    int bits, const KeepRunning &keepRunning)
{
    const QStringList line = commandLine(command, path, channels, sampleRate, bits);
    if (line.isEmpty() || line.first().isEmpty())
        return ErrStartProcess;

    // An empty standard input: a command that reads it (cat) sees its end at once.
    setStandardInputFile(QProcess::nullDevice());
    start(line.first(), line.mid(1));

    QElapsedTimer clock;
    clock.start();
    while (!waitForStarted(sliceMs)) {
        if (state() == QProcess::NotRunning)
            return ErrStartProcess;
        if (clock.elapsed() >= startTimeoutMs) {
            killCommand();
            return ErrStartProcess;
        }
        if (keepRunning && !keepRunning()) {
            killCommand();
            return ErrCancelled;
        }
    }

    // No time limit, but short slices so a stop is noticed and output can be forwarded.
    for (;;) {
        if (keepRunning && !keepRunning()) {
            killCommand();
            return ErrCancelled;
        }
        if (waitForFinished(sliceMs) || state() == QProcess::NotRunning)
            break;
    }
    if (exitStatus() != QProcess::NormalExit || exitCode() != 0)
        return ErrProcessFailed;
    return ExtractSucceeded;
}

void Encoder::killCommand()
{
#ifdef Q_OS_UNIX
    const qint64 pid = processId();
    if (pid > 0)
        ::kill(-pid_t(pid), SIGKILL);
#endif
    kill();
    waitForFinished(-1);
}
