#include "5-extraction/objectnames.h"

#include <QSet>
#include <algorithm>

#include "2-stream/channeltable.h"
#include "3-zone/dvdazone.h"
#include "3-zone/objectpath.h"
#include "kestrova_version.h"

QString objectBaseName(const DVDAObject *object)
{
    const ObjectPath path = objectPath(object);
    if (!object || !path.title || !path.titleset)
        return QString();
    const int title = path.title->number();
    const int tag = path.title->tag();
    if (object->kind() == KindTitle)
        return QString::asprintf("title-%02d-%02d[%01d]", path.titleset->number, title, tag);
    if (!path.track)
        return QString();
    if (object->kind() == KindIndex)
        return QString::asprintf("index-%02d-%02d[%01d]-%02d", path.titleset->number, title,
                                 tag, path.index->number);
    return QString::asprintf("track-%02d-%02d[%01d]-%02d", path.titleset->number, title, tag,
                             path.track->number);
}

QList<QString> uniqueBaseNames(const QList<DVDAObject *> &objects)
{
    QSet<QString> used;
    QList<QString> names;
    for (const DVDAObject *object : objects) {
        const QString name = objectBaseName(object);
        QString candidate = name;
        for (int n = 2; used.contains(candidate); ++n)
            candidate = name + QLatin1Char('-') + QString::number(n);
        used.insert(candidate);
        names.append(candidate);
    }
    return names;
}

QStringList objectComments(const DVDAObject *object, const QStringList &userTags)
{
    QStringList comments;
    const ObjectPath path = objectPath(object);
    if (path.track && path.title) {
        comments << QStringLiteral("TRACKNUMBER=%1").arg(path.track->number)
                 << QStringLiteral("TRACKTOTAL=%1").arg(path.title->tracks.size());
    }
    if (path.index)
        comments << QStringLiteral("INDEXNUMBER=%1").arg(path.index->number);
    comments << QStringLiteral("ENCODER=Kestrova " KESTROVA_VERSION);
    // Names are matched without regard to case, as Vorbis comments are.
    for (const QString &tag : userTags) {
        const QString name = tag.section(QLatin1Char('='), 0, 0) + QLatin1Char('=');
        comments.erase(std::remove_if(comments.begin(), comments.end(),
                                      [&name](const QString &c) {
                                          return c.startsWith(name, Qt::CaseInsensitive);
                                      }),
                       comments.end());
    }
    return comments + userTags;
}

QString storeSuffix(const StreamInfo &info)
{
    QString suffix;
    if (info.subStreamId == SUBSTREAM_PCM || info.subStreamId == SUBSTREAM_MLP) {
        QString group1, group2;
        describeChannels(info, nullptr, nullptr, &group1, &group2, nullptr);
        if (info.group2Channels == 0)
            suffix = QString::asprintf("-[%s]-%d-%d", qPrintable(group1), info.group1Bits,
                                       info.group1SampleRate);
        else
            suffix = QString::asprintf("-[%s-%s]-%d-%d", qPrintable(group1),
                                       qPrintable(group2), info.group1Bits,
                                       info.group1SampleRate);
    }
    if (info.subStreamId == SUBSTREAM_PCM)
        return suffix + QStringLiteral(".pcm");
    if (info.subStreamId == SUBSTREAM_MLP)
        return suffix + QStringLiteral(".mlp");
    return suffix + QStringLiteral(".raw");
}
