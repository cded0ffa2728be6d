#include "6-text/statustext.h"

#include <QCoreApplication>

#include "3-zone/dvdaobject.h"

namespace {
QString tr(const char *text)
{
    return QCoreApplication::translate("Kestrova", text);
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
