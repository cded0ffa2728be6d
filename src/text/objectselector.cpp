#include "text/objectselector.h"

#include <QCoreApplication>

#include "zone/dvdatitleset.h"
#include "zone/objectpath.h"

namespace {
QString selectorTr(const char *text)
{
    return QCoreApplication::translate("Selectors", text);
}
} // namespace

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

QString objectDisplayName(const DVDAObject *object)
{
    QString kind;
    switch (object ? object->kind() : 0) {
    case KindIndex: kind = selectorTr("index"); break;
    case KindTrack: kind = selectorTr("track"); break;
    case KindTitle: kind = selectorTr("title"); break;
    case KindTitleset: kind = selectorTr("titleset"); break;
    case KindZone: return selectorTr("zone");
    default: return selectorTr("object");
    }
    return kind + QLatin1Char(' ') + selectorOf(object);
}

QString objectWindowName(const DVDAObject *object)
{
    const ObjectPath path = objectPath(object);
    QString name;
    if (path.index)
        name = QString::asprintf("%s %02d", qUtf8Printable(selectorTr("Index")), int(path.index->number));
    else if (path.track)
        name = QString::asprintf("%s %02d", qUtf8Printable(selectorTr("Track")), int(path.track->number));
    else if (path.title)
        name = QString::asprintf("%s %02d[%d]", qUtf8Printable(selectorTr("Title")), path.title->number(), path.title->tag());
    else
        return objectDisplayName(object);
    return QStringLiteral("%1 (%2)").arg(name, selectorOf(object));
}
