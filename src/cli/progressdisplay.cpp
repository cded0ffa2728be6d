#include "cli/progressdisplay.h"

#include <QCoreApplication>

#include <sys/ioctl.h>
#include <unistd.h>

#include "text/statustext.h"
#include "cli/consolestreams.h"

namespace {
QString tr(const char *text)
{
    return QCoreApplication::translate("ProgressDisplay", text);
}

const char clearLine[] = "\r\033[K";
} // namespace

QString progressText(const ProgressState &state)
{
    QString text;
    if (state.extracting) {
        if (state.waiting)
            text = tr("Waiting...");
        else if (state.objects.size() > 1)
            text = state.objects.join(QStringLiteral(", "));
        else if (state.object.isEmpty())
            text = tr("Starting...");
        else
            text = tr("%1  block %2 (%3-%4)  %5%")
                       .arg(state.object)
                       .arg(state.currentBlock)
                       .arg(state.firstBlock)
                       .arg(state.lastBlock)
                       .arg(progressPercent(state.firstBlock, state.currentBlock,
                                            state.lastBlock));
    } else {
        text = tr("Finishing...");
    }
    if (state.runsJobs)
        text += tr("  jobs waiting: %1").arg(state.jobsWaiting);
    const QString whole = wholeProgressText(state.whole);
    return whole.isEmpty() ? text : text + QStringLiteral("  |  ") + whole;
}

void ProgressDisplay::show(const ProgressState &state)
{
    if (!terminal)
        return;
    // A line longer than the terminal wraps, and the next redraw would leave its start.
    QString text = progressText(state);
    winsize size{};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 1 && text.size() >= size.ws_col)
        text.truncate(size.ws_col - 1);
    writeStderr(QByteArray(clearLine) + text.toUtf8());
    lineShown = true;
}

void ProgressDisplay::printLine(const QString &line)
{
    clear();
    writeStderr(line.toUtf8() + '\n');
}

void ProgressDisplay::forwardError(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return;
    clear();
    writeStderr(bytes);
}

void ProgressDisplay::forwardOutput(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return;
    clear();
    // The command's output on a standard output that fails is lost (said once); the
    // command's own result still decides.
    if (!writeStdout(bytes) && !outputLost) {
        outputLost = true;
        writeStderr(tr("kestrova-cli: the command's output could not be written to standard "
                       "output\n"));
    }
}

void ProgressDisplay::clear()
{
    if (!lineShown)
        return;
    writeStderr(QByteArray(clearLine));
    lineShown = false;
}
