#include "fuzzinput.h"

#include <QDir>
#include <QTemporaryDir>

QString fuzzinput::scratchFolder()
{
    static const QString base = QDir(QStringLiteral("/dev/shm")).exists()
                                    ? QStringLiteral("/dev/shm")
                                    : QDir::tempPath();
    static QTemporaryDir dir(base + QStringLiteral("/kestrova-fuzz-XXXXXX"));
    return dir.path();
}
