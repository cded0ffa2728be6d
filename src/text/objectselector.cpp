#include "text/objectselector.h"

#include "zone/dvdatitleset.h"
#include "zone/objectpath.h"

QString selectorOf(const DVDAObject *object)
{
    const ObjectPath path = objectPath(object);
    if (!object || object->kind() == KindZone || !path.titleset)
        return QString();
    QString text = QString::number(path.titleset->number);
    if (!path.title)
        return text;
    const int number = path.title->number();
    text += QLatin1Char('/') + QString::number(number);
    for (const DVDATitle *other : path.titleset->titles) {
        if (other != path.title && other->number() == number) {
            text += QStringLiteral("[%1]").arg(path.title->tag());
            break;
        }
    }
    if (!path.track)
        return text;
    text += QLatin1Char('/') + QString::number(path.track->number);
    if (path.index)
        text += QLatin1Char('/') + QString::number(path.index->number);
    return text;
}
