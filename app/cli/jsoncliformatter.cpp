#include "app/cli/jsoncliformatter.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "app/cli/selectors.h"
#include "zone/dvdazone.h"
#include "zone/objectproperties.h"
#include "zone/treelabels.h"
#include "zone/zoneproblem.h"

namespace {

const char *kindName(int kind)
{
    switch (kind) {
    case KindIndex: return "index";
    case KindTrack: return "track";
    case KindTitle: return "title";
    case KindTitleset: return "titleset";
    case KindZone: return "zone";
    }
    return "unknown";
}

const char *contentKindName(int kind)
{
    switch (kind) {
    case TitlesetAudio: return "audio";
    case TitlesetVideo: return "video";
    }
    return "unknown";
}

QJsonObject streamInfoJson(const StreamInfo &info)
{
    QJsonObject o;
    o[QStringLiteral("subStreamId")] = int(info.subStreamId);
    o[QStringLiteral("payloadLength")] = info.payloadLength;
    o[QStringLiteral("majorSyncOffset")] = info.majorSyncOffset;
    o[QStringLiteral("channelAssignment")] = info.channelAssignment;
    o[QStringLiteral("group1Channels")] = info.group1Channels;
    o[QStringLiteral("group1SampleRate")] = info.group1SampleRate;
    o[QStringLiteral("group1Bits")] = info.group1Bits;
    o[QStringLiteral("group2Channels")] = info.group2Channels;
    o[QStringLiteral("group2SampleRate")] = info.group2SampleRate;
    o[QStringLiteral("group2Bits")] = info.group2Bits;
    o[QStringLiteral("variableBitRate")] = info.variableBitRate;
    o[QStringLiteral("bitRate")] = info.bitRate;
    o[QStringLiteral("substreams")] = info.substreams;
    return o;
}

class TreeWriter {
public:
    explicit TreeWriter(DVDAZone *zone) : zone(zone) {}

    QJsonObject node(const DVDAObject *object, bool listed) const
    {
        QJsonObject o;
        o[QStringLiteral("kind")] = QLatin1String(kindName(object->kind()));
        o[QStringLiteral("kindCode")] = object->kindCode;
        o[QStringLiteral("indexPos")] = object->indexPos;
        o[QStringLiteral("trackPos")] = object->trackPos;
        o[QStringLiteral("titlePos")] = object->titlePos;
        o[QStringLiteral("titlesetPos")] = object->titlesetPos;
        o[QStringLiteral("listed")] = listed;
        if (listed) {
            o[QStringLiteral("label")] = treeLabel(object);
            if (object->kind() != KindZone)
                o[QStringLiteral("selector")] = selectorOf(zone, object);
        }
        switch (object->kind()) {
        case KindZone: addZone(o, static_cast<const DVDAZone *>(object)); break;
        case KindTitleset: addTitleset(o, static_cast<const DVDATitleset *>(object), listed); break;
        case KindTitle: addTitle(o, static_cast<const DVDATitle *>(object), listed); break;
        case KindTrack: addTrack(o, static_cast<const DVDATrack *>(object), listed); break;
        case KindIndex: addIndex(o, static_cast<const DVDASectorPointer *>(object)); break;
        }
        QJsonArray rows;
        for (const PropertyRow &row : objectProperties(zone, const_cast<DVDAObject *>(object))) {
            QJsonObject r;
            r[QStringLiteral("parameter")] = row.label;
            r[QStringLiteral("value")] = row.value;
            rows.append(r);
        }
        o[QStringLiteral("properties")] = rows;
        return o;
    }

private:
    void addZone(QJsonObject &o, const DVDAZone *z) const
    {
        o[QStringLiteral("folder")] = QFileInfo(z->dir.path()).absoluteFilePath();
        o[QStringLiteral("titlesetCount")] = z->titlesetCount;
        QJsonArray children;
        for (const DVDATitleset *titleset : z->titlesets)
            children.append(node(titleset, listedInTree(titleset)));
        o[QStringLiteral("titlesets")] = children;
    }

    void addTitleset(QJsonObject &o, const DVDATitleset *t, bool listed) const
    {
        o[QStringLiteral("number")] = t->number;
        o[QStringLiteral("contentKind")] = int(t->contentKind);
        o[QStringLiteral("contentKindName")] = QLatin1String(contentKindName(t->contentKind));
        o[QStringLiteral("lastAobBlock")] = qint64(t->lastAobBlock);
        QJsonArray files;
        for (const AobFileEntry &entry : t->aobFiles) {
            QJsonObject f;
            f[QStringLiteral("file")] = QFileInfo(entry.file.fileName()).fileName();
            f[QStringLiteral("present")] = entry.present;
            f[QStringLiteral("firstBlock")] = qint64(entry.firstBlock);
            f[QStringLiteral("lastBlock")] = qint64(entry.lastBlock);
            files.append(f);
        }
        o[QStringLiteral("aobFiles")] = files;
        // The tree shows the titles of an audio titleset only.
        const bool childrenListed = listed && t->contentKind == TitlesetAudio;
        QJsonArray children;
        for (const DVDATitle *title : t->titles)
            children.append(node(title, childrenListed));
        o[QStringLiteral("titles")] = children;
    }

    void addTitle(QJsonObject &o, const DVDATitle *t, bool listed) const
    {
        o[QStringLiteral("titleId")] = t->titleId;
        o[QStringLiteral("number")] = t->titleId & 0x7F;
        o[QStringLiteral("tag")] = (t->titleId >> 7) & 1;
        o[QStringLiteral("lengthPts")] = qint64(t->lengthPts);
        o[QStringLiteral("lengthText")] = formatPtsTime(t->lengthPts);
        QJsonArray children;
        for (const DVDATrack *track : t->tracks)
            children.append(node(track, listed));
        o[QStringLiteral("tracks")] = children;
    }

    void addAob(QJsonObject &o, const AOBObject *a) const
    {
        o[QStringLiteral("timeText")] = a->timeText();
        o[QStringLiteral("timePts")] = qint64(a->timePts());
        o[QStringLiteral("firstBlock")] = qint64(a->firstBlock());
        o[QStringLiteral("lastBlock")] = qint64(a->lastBlock());
        o[QStringLiteral("streamInfo")] = streamInfoJson(a->streamInfo);
    }

    void addTrack(QJsonObject &o, const DVDATrack *t, bool listed) const
    {
        o[QStringLiteral("number")] = t->number;
        o[QStringLiteral("firstIndexNumber")] = t->firstIndexNumber;
        o[QStringLiteral("lengthPts")] = qint64(t->lengthPts);
        addAob(o, t);
        QJsonArray children;
        for (const DVDASectorPointer *index : t->indexes)
            children.append(node(index, listed));
        o[QStringLiteral("indexes")] = children;
    }

    void addIndex(QJsonObject &o, const DVDASectorPointer *i) const
    {
        o[QStringLiteral("number")] = i->number;
        o[QStringLiteral("first")] = qint64(i->first);
        o[QStringLiteral("last")] = qint64(i->last);
        addAob(o, i);
    }

    DVDAZone *zone;
};

QByteArray document(const QJsonObject &o)
{
    return QJsonDocument(o).toJson(QJsonDocument::Indented);
}

// Whether the window's tree lists the object: its titleset is listed and, below the
// titleset, of audio kind.
bool isListed(DVDAZone *zone, const DVDAObject *object)
{
    if (object->kind() == KindZone)
        return true;
    if (object->titlesetPos < 0 || size_t(object->titlesetPos) >= zone->titlesets.size())
        return false;
    const DVDATitleset *titleset = zone->titlesets[size_t(object->titlesetPos)];
    if (!listedInTree(titleset))
        return false;
    return object->kind() == KindTitleset || titleset->contentKind == TitlesetAudio;
}

} // namespace

QByteArray JsonCliFormatter::zoneTree(DVDAZone *zone)
{
    QJsonObject root = TreeWriter(zone).node(zone, true);
    // What could not be read, so that a reader knows the tree lacks parts.
    QJsonArray problems;
    for (const ZoneProblem &problem : zoneProblems(zone)) {
        problems.append(QJsonObject{{QStringLiteral("file"), problem.file},
                                    {QStringLiteral("offset"), problem.offset},
                                    {QStringLiteral("problem"), problem.what}});
    }
    root[QStringLiteral("problems")] = problems;
    return document(root);
}

QByteArray JsonCliFormatter::propertyRows(DVDAZone *zone, DVDAObject *object)
{
    return document(TreeWriter(zone).node(object, isListed(zone, object)));
}
