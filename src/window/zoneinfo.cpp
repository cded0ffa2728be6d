#include "window/zoneinfo.h"

#include <QHeaderView>
#include <QIcon>
#include <QTreeWidget>

#include "window/appresources.h"
#include "zone/dvdazone.h"
#include "text/objectproperties.h"
#include "text/treelabels.h"
#include "zone/zonewalk.h"

namespace {

struct TreeIcons {
    QIcon zone{QStringLiteral(":/Tree/res/tree_zone.png")};
    QIcon titleset{QStringLiteral(":/Tree/res/tree_titleset.png")};
    QIcon title{QStringLiteral(":/Tree/res/tree_title.png")};
    QIcon trackPcm{QStringLiteral(":/Tree/res/tree_track_pcm.png")};
    QIcon trackMlp{QStringLiteral(":/Tree/res/tree_track_mlp.png")};
    QIcon trackUnknown{QStringLiteral(":/Tree/res/tree_track_unk.png")};
    QIcon index{QStringLiteral(":/Tree/res/tree_index.png")};

    const QIcon &track(const DVDATrack *track) const
    {
        switch (track->streamInfo.subStreamId) {
        case SUBSTREAM_PCM:
            return trackPcm;
        case SUBSTREAM_MLP:
            return trackMlp;
        default:
            return trackUnknown;
        }
    }
};

// The queued signals of the extraction carry node pointers too, so the type is
// registered before the first item stores one.
void registerObjectType()
{
    static const int id = qRegisterMetaType<DVDAObject *>("DVDAObject*");
    Q_UNUSED(id);
}

// Fills a new item (already under its parent) for one object; flags are left at their
// default when flags is null.
QTreeWidgetItem *describe(QTreeWidgetItem *item, DVDAObject *object, const QIcon &icon,
                          bool expanded, const Qt::ItemFlags *flags)
{
    item->setExpanded(expanded);
    if (flags)
        item->setFlags(*flags);
    item->setText(0, treeLabel(object));
    item->setIcon(0, icon);
    item->setData(0, Qt::UserRole, QVariant::fromValue(object));
    return item;
}

} // namespace

ZoneInfo::ZoneInfo(DVDAZone *zone_, QTreeWidget *tree_, QTreeWidget *properties_)
    : zone(zone_), tree(tree_), properties(properties_)
{
}

DVDAObject *ZoneInfo::itemObject(const QTreeWidgetItem *item)
{
    return item ? item->data(0, Qt::UserRole).value<DVDAObject *>() : nullptr;
}

void ZoneInfo::fillTree()
{
    if (!zone || !tree || zone->titlesets.empty())
        return;
    loadAppResources();
    registerObjectType();
    const TreeIcons icons;
    const Qt::ItemFlags enabledOnly = Qt::ItemIsEnabled;
    const Qt::ItemFlags noFlags = Qt::NoItemFlags;

    // The last item made at each depth: the parent of the next deeper one.
    QTreeWidgetItem *items[5] = {};
    walkZone(zone, [&](const ZoneNode &node) {
        QTreeWidgetItem *item = node.depth == 0 ? new QTreeWidgetItem(tree)
                                                : new QTreeWidgetItem(items[node.depth - 1]);
        items[node.depth] = item;
        switch (node.depth) {
        case 0:
            describe(item, node.object, icons.zone, true, &enabledOnly);
            break;
        case 1: {
            const bool audio = node.path.titleset->contentKind == TitlesetAudio;
            describe(item, node.object, icons.titleset, true, audio ? &enabledOnly : &noFlags);
            break;
        }
        case 2:
            describe(item, node.object, icons.title, true, &enabledOnly);
            break;
        case 3:
            describe(item, node.object, icons.track(node.path.track), false, nullptr);
            break;
        default:
            describe(item, node.object, icons.index, false, nullptr);
        }
    });
}

void ZoneInfo::populateRows(DVDAObject *object)
{
    if (!object || !properties)
        return;
    for (const PropertyRow &row : objectProperties(object))
        new QTreeWidgetItem(properties, QStringList{row.label, row.value});
    properties->resizeColumnToContents(0);
    properties->resizeColumnToContents(1);
}
