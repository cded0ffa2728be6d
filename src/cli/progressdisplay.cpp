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

namespace {
// The line's parts, longest first: the object with its blocks, then without them.
QString objectText(const ProgressState &state, bool withBlocks)
{
    if (!state.extracting)
        return tr("Finishing...");
    if (state.waiting)
        return tr("Waiting...");
    if (state.objects.size() > 1)
        return state.objects.join(QStringLiteral(", "));
    if (state.object.isEmpty())
        return tr("Starting...");
    const int percent = progressPercent(state.firstBlock, state.currentBlock, state.lastBlock);
    if (!withBlocks)
        return tr("%1  %2%").arg(state.object).arg(percent);
    return tr("%1  block %2 (%3-%4)  %5%")
        .arg(state.object)
        .arg(state.currentBlock)
        .arg(state.firstBlock)
        .arg(state.lastBlock)
        .arg(percent);
}

QString joined(const QString &object, const ProgressState &state, bool withWhole)
{
    QString text = object;
    if (state.runsJobs)
        text += tr("  jobs waiting: %1").arg(state.jobsWaiting);
    const QString whole = withWhole ? wholeProgressText(state.whole) : QString();
    return whole.isEmpty() ? text : text + QStringLiteral("  |  ") + whole;
}
} // namespace

QString progressText(const ProgressState &state, int width)
{
    const QString full = joined(objectText(state, true), state, true);
    if (width <= 0 || full.size() < width)
        return full;
    // Too wide for the terminal: the block numbers go first, then the whole; what is
    // still too long ends at a word.
    for (const QString &shorter : {joined(objectText(state, false), state, true),
                                   joined(objectText(state, false), state, false)})
        if (shorter.size() < width)
            return shorter;
    QString cut = joined(objectText(state, false), state, false).left(width - 1);
    const qsizetype space = cut.lastIndexOf(QLatin1Char(' '));
    if (space > 0)
        cut.truncate(space);
    return cut.trimmed();
}

void ProgressDisplay::show(const ProgressState &state)
{
    if (!terminal)
        return;
    // A line longer than the terminal wraps, and the next redraw would leave its start.
    winsize size{};
    const int width = ::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 1 ? size.ws_col : 0;
    const QString text = progressText(state, width);
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
