#include "stream/decoderlog.h"

#include <QDir>
#include <QFile>
#include <mutex>

namespace {

// One file for the whole program; decoders of several dumpers may write to it.
std::mutex logLock;
QFile &logFile()
{
    static QFile file(QStringLiteral("Kestrova.log"));
    return file;
}
const char logName[] = "Kestrova.log";

} // namespace

void writeDecoderLog(int level, const char *text)
{
    std::lock_guard<std::mutex> guard(logLock);
    QFile &file = logFile();
    if (!file.isOpen() && !file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return; // a log that cannot be written must not stop the extraction
    const QByteArray line = "[" + QByteArray::number(level) + "] " + QByteArray(text);
    file.write(line);
    file.flush();
}

void closeDecoderLog()
{
    std::lock_guard<std::mutex> guard(logLock);
    if (logFile().isOpen())
        logFile().close();
}

void setDecoderLogFolder(const QString &folder)
{
    std::lock_guard<std::mutex> guard(logLock);
    if (logFile().isOpen())
        logFile().close();
    logFile().setFileName(QDir(folder).filePath(QLatin1String(logName)));
}
