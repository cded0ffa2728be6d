#include "text/existingfilestext.h"

#include <QCoreApplication>
#include <QFileInfo>

QString existingFilesList(const QStringList &paths, int shown)
{
    QStringList names;
    for (const QString &path : paths.mid(0, shown))
        names << QFileInfo(path).fileName();
    QString list = names.join(QStringLiteral(", "));
    if (paths.size() > shown)
        list += QCoreApplication::translate("ExistingFiles", " and %1 more").arg(paths.size() - shown);
    return list;
}
