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

QString extractionStatusText(const ExtractionStatus &status)
{
    QString state;
    if (status.extracting) {
        if (status.waiting)
            state = tr("Waiting...");
        else
            state = QString::asprintf("TS:%02d TI:%02d[%01d] TR:%02d BL:%08d", int(status.titleset),
                                      DVDATitle::numberOf(status.title), DVDATitle::tagOf(status.title),
                                      int(status.track), int(status.currentBlock));
    } else if (status.runsJobs) {
        state = tr("Finishing...");
    }
    QString jobs;
    if (status.runsJobs)
        jobs = QString::asprintf("[Jobs:%d]", status.jobsWaiting);
    return jobs + QLatin1Char(' ') + state;
}

QString wholeProgressText(const WholeProgress &whole)
{
    if (whole.objectsTotal <= 0)
        return QString();
    const double mb = 1000.0 * 1000.0;
    QString text = tr("%1/%2 objects  %3/%4 MB")
                       .arg(whole.objectsDone)
                       .arg(whole.objectsTotal)
                       .arg(whole.bytesDone / mb, 0, 'f', 1)
                       .arg(whole.bytesTotal / mb, 0, 'f', 1);
    if (whole.elapsedMs < 1000 || whole.bytesDone <= 0)
        return text;
    const double seconds = whole.elapsedMs / 1000.0;
    if (whole.audioSecondsDone > 0)
        text += tr("  %1x real time").arg(whole.audioSecondsDone / seconds, 0, 'f', 1);
    const double left = double(whole.bytesTotal - whole.bytesDone) * seconds / double(whole.bytesDone);
    return text + tr("  %1 left").arg(clockText(qint64(left + 0.5)));
}
