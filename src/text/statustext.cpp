#include "text/statustext.h"

#include <QCoreApplication>

#include "zone/dvdaobject.h"

namespace {
QString tr(const char *text)
{
    return QCoreApplication::translate("Kestrova", text);
}
// "1:05", "1:02:03".
QString clockText(qint64 seconds)
{
    const qint64 h = seconds / 3600, m = seconds / 60 % 60, sec = seconds % 60;
    return h > 0 ? QString::asprintf("%lld:%02lld:%02lld", h, m, sec)
                 : QString::asprintf("%lld:%02lld", m, sec);
}
} // namespace

int progressPercent(quint32 firstBlock, quint32 currentBlock, quint32 lastBlock)
{
    if (currentBlock <= firstBlock || lastBlock < firstBlock)
        return 0;
    // 64 bits: a block count times 100 does not fit in 32.
    const quint64 done = quint64(currentBlock - firstBlock);
    const quint64 total = quint64(lastBlock - firstBlock) + 1;
    return int(qMin<quint64>(done * 100 / total, 100));
}

namespace {
// Seconds the rest will take at the speed so far; -1 before a second has passed or
// anything was read.
qint64 secondsLeft(const WholeProgress &whole)
{
    if (whole.elapsedMs < 1000 || whole.bytesDone <= 0)
        return -1;
    const double left = double(whole.bytesTotal - whole.bytesDone) * (whole.elapsedMs / 1000.0) / double(whole.bytesDone);
    return qint64(left + 0.5);
}

QString speedText(const WholeProgress &whole)
{
    if (whole.elapsedMs < 1000 || whole.audioSecondsDone <= 0)
        return QString();
    return tr("%1x real time").arg(whole.audioSecondsDone / (whole.elapsedMs / 1000.0), 0, 'f', 1);
}

// "Track", "Tracks", "Index", ...: the word for the objects being extracted.
QString kindWord(const QList<ObjectBlocks> &running)
{
    const bool several = running.size() > 1;
    const DVDAKind kind = running.isEmpty() || !running.first().object ? DVDAKind(0) : running.first().object->kind();
    for (const ObjectBlocks &blocks : running)
        if (!blocks.object || blocks.object->kind() != kind)
            return several ? tr("Objects") : tr("Object");
    switch (kind) {
    case KindTrack:
        return several ? tr("Tracks") : tr("Track");
    case KindIndex:
        return several ? tr("Indexes") : tr("Index");
    case KindTitle:
        return several ? tr("Titles") : tr("Title");
    default:
        return several ? tr("Objects") : tr("Object");
    }
}

const double megabyte = 1000.0 * 1000.0;
} // namespace

QString extractionStatusText(const ExtractionStatus &status)
{
    const WholeProgress &whole = status.whole;
    QString text;
    if (status.extracting && status.waiting) {
        text = tr("Waiting for the command...");
    } else if (status.extracting) {
        const int first = qMin(whole.objectsDone + 1, whole.objectsTotal);
        const int last = qMin(whole.objectsDone + int(qMax<qsizetype>(status.running.size(), 1)), whole.objectsTotal);
        const QString place = first < last ? QStringLiteral("%1-%2").arg(first).arg(last) : QString::number(first);
        text = tr("%1 %2 of %3").arg(kindWord(status.running), place).arg(whole.objectsTotal);
        const qint64 left = secondsLeft(whole);
        if (left >= 0)
            text += tr(" · %1 left").arg(clockText(left));
    } else if (status.runsJobs) {
        text = tr("Finishing: the command runs on the last files...");
    }
    if (status.runsJobs && status.jobsWaiting > 0)
        text += tr(" · files waiting for the command: %1").arg(status.jobsWaiting);
    return text;
}

QString wholeProgressText(const WholeProgress &whole)
{
    if (whole.objectsTotal <= 0)
        return QString();
    QString text = tr("%1/%2 objects  %3/%4 MB read")
                       .arg(whole.objectsDone)
                       .arg(whole.objectsTotal)
                       .arg(whole.bytesDone / megabyte, 0, 'f', 1)
                       .arg(whole.bytesTotal / megabyte, 0, 'f', 1);
    const qint64 left = secondsLeft(whole);
    if (left < 0)
        return text;
    const QString speed = speedText(whole);
    if (!speed.isEmpty())
        text += QStringLiteral("  ") + speed;
    return text + tr("  %1 left").arg(clockText(left));
}

QString readProgressText(const WholeProgress &whole)
{
    if (whole.objectsTotal <= 0)
        return QString();
    const QString read = tr("%1 of %2 MB read").arg(whole.bytesDone / megabyte, 0, 'f', 1).arg(whole.bytesTotal / megabyte, 0, 'f', 1);
    const QString speed = speedText(whole);
    return speed.isEmpty() ? read : read + QStringLiteral(" · ") + speed;
}

int wholePercent(const WholeProgress &whole)
{
    if (whole.bytesTotal <= 0 || whole.bytesDone <= 0)
        return 0;
    return int(qMin<qint64>(whole.bytesDone * 100 / whole.bytesTotal, 100));
}
