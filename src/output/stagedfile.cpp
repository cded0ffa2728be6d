#include "output/stagedfile.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "output/outputfile.h"

namespace {
Result renamed(const QString &from, const QString &to)
{
    // rename(2) replaces `to` in one step (Qt's rename refuses an existing file); a link at
    // `to` is replaced, never followed.
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
        return ResultCode::Succeeded;
    return Result(ResultCode::WriteOutput, QStringLiteral("%1: %2").arg(to, systemReason()));
}
} // namespace

QString stagingPath(const QString &finalPath)
{
    const QFileInfo file(finalPath);
    return file.path() + QStringLiteral("/.") + file.fileName() + QStringLiteral(".kestrova");
}

QString partialPath(const QString &finalPath)
{
    const QFileInfo file(finalPath);
    const QString suffix = file.suffix();
    const QString base = suffix.isEmpty() ? file.fileName() : file.completeBaseName();
    return file.path() + QLatin1Char('/') + base + QStringLiteral(".partial")
           + (suffix.isEmpty() ? QString() : QLatin1Char('.') + suffix);
}

Result publishStaged(const QString &finalPath)
{
    return renamed(stagingPath(finalPath), finalPath);
}

Result keepStagedPartial(const QString &finalPath)
{
    return renamed(stagingPath(finalPath), partialPath(finalPath));
}

void discardStaged(const QString &finalPath)
{
    (void)removeOutputFile(stagingPath(finalPath));
}

QString systemReason()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}
