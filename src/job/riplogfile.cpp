#include "job/riplogfile.h"

#include <QFile>

#include "text/riplog.h"

namespace {
const char ripLogName[] = "kestrova-rip.log";
}

Result appendRipLog(const ExtractionReport &report)
{
    QFile log(report.options.outputDir.filePath(QLatin1String(ripLogName)));
    const QByteArray text = ripLogText(report).toUtf8();
    if (!log.open(QIODevice::WriteOnly | QIODevice::Append) || log.write(text) != text.size() || !log.flush())
        return Result(ResultCode::WriteOutput, QStringLiteral("%1: %2").arg(log.fileName(), log.errorString()));
    return ResultCode::Succeeded;
}
