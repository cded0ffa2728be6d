#include "zone/zonesource.h"

#include <limits>

qint64 readableLength(qint64 size, qint64 offset, qint64 length)
{
    if (offset < 0 || offset >= size || length <= 0)
        return 0;
    return qMin(qMin(length, size - offset), qint64(std::numeric_limits<int>::max() / 2));
}

QString matchName(const QStringList &names, const QString &wanted)
{
    if (names.contains(wanted))
        return wanted;
    for (const QString &name : names) {
        if (name.compare(wanted, Qt::CaseInsensitive) == 0)
            return name;
    }
    return QString();
}
