#include "job/riplogfile.h"

#include <QFile>

#include "text/riplog.h"


QString ripLogPath(const ExtractionReport &report)
{
    return report.options.outputDir.absoluteFilePath(QLatin1String(RIP_LOG_NAME));
}

Result appendRipLog(const ExtractionReport &report)
{
    QFile log(ripLogPath(report));
    const QByteArray text = ripLogText(report).toUtf8();
    if (!log.open(QIODevice::WriteOnly | QIODevice::Append) || log.write(text) != text.size() || !log.flush())
        return Result(ResultCode::WriteOutput, QStringLiteral("%1: %2").arg(log.fileName(), log.errorString()));
    return ResultCode::Succeeded;
}
