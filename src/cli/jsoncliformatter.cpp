#include "cli/jsoncliformatter.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <vector>

#include "cli/selectors.h"
#include "zone/dvdazone.h"
#include "zone/objectpath.h"
#include "text/objectproperties.h"
#include "text/treelabels.h"
#include "zone/zoneproblem.h"
#include "zone/zonewalk.h"

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
    o[QStringLiteral("codec")] = info.subStreamId == SUBSTREAM_PCM   ? QStringLiteral("pcm")
                                 : info.subStreamId == SUBSTREAM_MLP ? QStringLiteral("mlp")
                                                                     : QStringLiteral("unknown");
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
    QJsonObject node(const DVDAObject *object, bool listed) const
    {
        QJsonObject o;
        o[QStringLiteral("kind")] = QLatin1String(kindName(object->kind()));
        o[QStringLiteral("kindCode")] = int(object->kind());
        // Each level's place among its parent's children; -1 at levels below the node.
        const ObjectPath path = objectPath(object);
        const auto place = [](const DVDAObject *node) { return node ? node->position() : -1; };
        o[QStringLiteral("indexPos")] = place(path.index);
        o[QStringLiteral("trackPos")] = place(path.track);
        o[QStringLiteral("titlePos")] = place(path.title);
        o[QStringLiteral("titlesetPos")] = place(path.titleset);
        o[QStringLiteral("listed")] = listed;
        if (listed) {
            o[QStringLiteral("label")] = treeLabel(object);
            if (object->kind() != KindZone)
                o[QStringLiteral("selector")] = selectorOf(object);
        }
        switch (object->kind()) {
        case KindZone: addZone(o, static_cast<const DVDAZone *>(object)); break;
        case KindTitleset: addTitleset(o, static_cast<const DVDATitleset *>(object)); break;
        case KindTitle: addTitle(o, static_cast<const DVDATitle *>(object)); break;
        case KindTrack: addTrack(o, static_cast<const DVDATrack *>(object)); break;
        case KindIndex: addIndex(o, static_cast<const DVDASectorPointer *>(object)); break;
        }
        QJsonArray rows;
        for (const PropertyRow &row : objectProperties(object)) {
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
        o[QStringLiteral("discId")] = z->discId;
        // Where the zone came from: its folder, or the image or drive and its volume name.
        if (z->source && z->source->image) {
            o[QStringLiteral("image")] = QFileInfo(z->source->origin).absoluteFilePath();
            o[QStringLiteral("volume")] = z->source->volumeName;
        } else {
            o[QStringLiteral("folder")] = QFileInfo(z->dir.path()).absoluteFilePath();
        }
        o[QStringLiteral("titlesetCount")] = z->titlesetCount;
    }

    void addTitleset(QJsonObject &o, const DVDATitleset *t) const
    {
        o[QStringLiteral("number")] = t->number;
        o[QStringLiteral("contentKind")] = int(t->contentKind);
        o[QStringLiteral("contentKindName")] = QLatin1String(contentKindName(t->contentKind));
        o[QStringLiteral("lastAobBlock")] = qint64(t->lastAobBlock);
        QJsonArray files;
        for (const AobFileEntry &entry : t->aobFiles) {
            QJsonObject f;
            f[QStringLiteral("file")] = entry.name;
            f[QStringLiteral("present")] = entry.present;
            f[QStringLiteral("firstBlock")] = qint64(entry.firstBlock);
            f[QStringLiteral("lastBlock")] = qint64(entry.lastBlock);
            files.append(f);
        }
        o[QStringLiteral("aobFiles")] = files;
    }

    void addTitle(QJsonObject &o, const DVDATitle *t) const
    {
        o[QStringLiteral("titleId")] = t->titleId;
        o[QStringLiteral("number")] = t->number();
        o[QStringLiteral("tag")] = t->tag();
        o[QStringLiteral("lengthPts")] = qint64(t->lengthPts);
        o[QStringLiteral("lengthText")] = formatPtsTime(t->lengthPts);
    }

    void addAob(QJsonObject &o, const AOBObject *a) const
    {
        o[QStringLiteral("timeText")] = a->timeText();
        o[QStringLiteral("timePts")] = qint64(a->timePts());
        o[QStringLiteral("firstBlock")] = qint64(a->firstBlock());
        o[QStringLiteral("lastBlock")] = qint64(a->lastBlock());
        o[QStringLiteral("streamInfo")] = streamInfoJson(a->streamInfo);
    }

    void addTrack(QJsonObject &o, const DVDATrack *t) const
    {
        o[QStringLiteral("number")] = t->number;
        o[QStringLiteral("firstIndexNumber")] = t->firstIndexNumber;
        o[QStringLiteral("lengthPts")] = qint64(t->lengthPts);
        addAob(o, t);
        addStart(o, t->titleStartPts(), t);
    }

    void addIndex(QJsonObject &o, const DVDASectorPointer *i) const
    {
        o[QStringLiteral("number")] = i->number;
        o[QStringLiteral("first")] = qint64(i->first);
        o[QStringLiteral("last")] = qint64(i->last);
        addAob(o, i);
        addStart(o, i->titleStartPts(), i);
    }

    // Where the object begins in its title's file, as its track mark says: 90 kHz ticks
    // and samples at its group-1 rate.
    void addStart(QJsonObject &o, quint64 pts, const AOBObject *a) const
    {
        o[QStringLiteral("startPts")] = qint64(pts);
        o[QStringLiteral("startSample")] = ptsToSamples(pts, a->streamInfo.group1SampleRate);
    }
};

// The array under which a node of that depth holds its children.
QString childrenKey(int depth)
{
    static const char *const keys[] = {"titlesets", "titles", "tracks", "indexes"};
    return depth < 4 ? QLatin1String(keys[depth]) : QString();
}

// The object with every node below it, listed or not, nested as the zone holds them.
QJsonObject nodeTree(DVDAZone *zone, const DVDAObject *root)
{
    struct Open {
        QJsonObject node;
        QJsonArray children;
        int depth;
    };
    const TreeWriter writer;
    std::vector<Open> open;
    QJsonObject top;
    const auto closeLast = [&] {
        Open done = std::move(open.back());
        open.pop_back();
        if (done.depth < 4)
            done.node[childrenKey(done.depth)] = done.children;
        if (open.empty())
            top = done.node;
        else
            open.back().children.append(done.node);
    };
    walkZone(zone, [&](const ZoneNode &n) {
        if (!n.within(root))
            return;
        while (!open.empty() && open.back().depth >= n.depth)
            closeLast();
        open.push_back({writer.node(n.object, n.listed), QJsonArray(), n.depth});
    }, true);
    while (!open.empty())
        closeLast();
    return top;
}

QByteArray document(QJsonObject o)
{
    o[QStringLiteral("schemaVersion")] = JSON_SCHEMA_VERSION;
    return QJsonDocument(o).toJson(QJsonDocument::Indented);
}

} // namespace

QByteArray JsonCliFormatter::zoneTree(DVDAZone *zone)
{
    QJsonObject root = nodeTree(zone, zone);
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

QByteArray JsonCliFormatter::propertyRows(const DVDAObject *object)
{
    return document(nodeTree(static_cast<DVDAZone *>(object->ancestor(KindZone)), object));
}
