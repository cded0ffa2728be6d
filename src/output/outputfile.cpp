#include "output/outputfile.h"

#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>

bool openOutputFile(QFile &file, const QString &path, QIODevice::OpenMode extra)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat status;
    if (::lstat(native.constData(), &status) == 0 && S_ISLNK(status.st_mode)
        && ::unlink(native.constData()) != 0)
        return false;
    file.setFileName(path);
    return file.open(QIODevice::ReadWrite | QIODevice::Truncate | extra);
}

bool removeOutputFile(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return true;
    return info.isFile() && !info.isSymLink() && QFile::remove(path);
}
