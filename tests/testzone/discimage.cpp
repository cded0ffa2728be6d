#include "discimage.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace testzone {

bool lowerCaseNames(const QString &dir)
{
    QDir folder(dir);
    for (const QString &name : folder.entryList(QDir::Files)) {
        if (name != name.toLower() && !folder.rename(name, name.toLower()))
            return false;
    }
    return true;
}

bool writeImage(const Zone &zone, const QString &imagePath, const ImageLayout &layout)
{
    QTemporaryDir root;
    const QString content = root.filePath(QStringLiteral("content"));
    const QString zoneDir = content + QLatin1Char('/') + layout.folder;
    if (!root.isValid() || !QDir().mkpath(zoneDir) || !writeZone(zoneDir, zone)
        || (layout.lowerCase && !lowerCaseNames(zoneDir)))
        return false;
    // Higher weights come first in the image: every file but the AOB files.
    QFile sortFile(root.filePath(QStringLiteral("sort.txt")));
    if (!sortFile.open(QIODevice::WriteOnly))
        return false;
    for (const QString &name : QDir(zoneDir).entryList(QDir::Files)) {
        if (!name.endsWith(QLatin1String(".aob"), Qt::CaseInsensitive))
            sortFile.write(QFile::encodeName(QDir(zoneDir).filePath(name)) + " 10\n");
    }
    sortFile.close();
    QProcess genisoimage;
    genisoimage.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    genisoimage.start(QStringLiteral("genisoimage"),
                      {QStringLiteral("-quiet"), QStringLiteral("-udf"), QStringLiteral("-V"),
                       layout.volume, QStringLiteral("-sort"), sortFile.fileName(),
                       QStringLiteral("-o"), imagePath, content});
    if (!genisoimage.waitForFinished(60000) || genisoimage.exitStatus() != QProcess::NormalExit
        || genisoimage.exitCode() != 0) {
        qWarning("genisoimage failed for %s", qPrintable(imagePath));
        return false;
    }
    return true;
}

} // namespace testzone
