#include "window/zonetreemodel.h"

#include <QApplication>
#include <QStyle>
#include <utility>

#include "window/appresources.h"
#include "zone/dvdazone.h"
#include "text/treelabels.h"
#include "zone/zoneproblem.h"
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

    const QIcon &of(const ZoneNode &node) const
    {
        switch (node.depth) {
        case 0:
            return zone;
        case 1:
            return titleset;
        case 2:
            return title;
        case 3:
            switch (node.path.track->streamInfo.subStreamId) {
            case SUBSTREAM_PCM:
                return trackPcm;
            case SUBSTREAM_MLP:
                return trackMlp;
            default:
                return trackUnknown;
            }
        default:
            return index;
        }
    }
};

// Tracks and indexes are what an extraction takes; the nodes above them can be made
// current (to see their properties) but not selected. A titleset that holds no audio
// is shown greyed.
Qt::ItemFlags flagsOf(const ZoneNode &node)
{
    if (node.depth >= 3)
        return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (node.depth == 1 && node.path.titleset->contentKind != TitlesetAudio)
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled;
}

const char *const headers[ZoneTreeModel::Columns] = {
    QT_TRANSLATE_NOOP("ZoneTreeModel", "Object"), QT_TRANSLATE_NOOP("ZoneTreeModel", "Title"),
    QT_TRANSLATE_NOOP("ZoneTreeModel", "Format"), QT_TRANSLATE_NOOP("ZoneTreeModel", "Channels"),
    QT_TRANSLATE_NOOP("ZoneTreeModel", "Rate / bits")};

} // namespace

ZoneTreeModel::ZoneTreeModel(QObject *parent) : QAbstractItemModel(parent)
{
    loadAppResources();
    runningIcon = QApplication::style()->standardIcon(QStyle::SP_MediaPlay);
    warningIcon = QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
}

void ZoneTreeModel::setZone(DVDAZone *zone)
{
    beginResetModel();
    nodes.clear();
    nodeIndex.clear();
    titles.clear();
    running.clear();
    if (zone && !zone->titlesets.empty()) {
        const TreeIcons icons;
        int last[5] = {-1, -1, -1, -1, -1}; // the last node made at each depth
        walkZone(
            zone,
            [&](const ZoneNode &walked) {
            // Of what the tree does not list, only a titleset that could not be read shows.
            if (!walked.listed && walked.depth != 1)
                return;
            Node node;
            node.object = walked.object;
            node.depth = walked.depth;
            node.parent = walked.depth > 0 ? last[walked.depth - 1] : -1;
            node.flags = flagsOf(walked);
            node.icon = icons.of(walked);
            node.label = treeLabel(walked.object, BlockRange::Left);
            const TreeFacts facts = treeFacts(walked.object);
            node.facts[0] = facts.format;
            node.facts[1] = facts.channels;
            node.facts[2] = facts.rate;
            node.warning = missingBlocksText(walked.object);
            if (!walked.listed) {
                node.label = tr("%1 - could not be read").arg(treeLabel(walked.object));
                const std::vector<ZoneProblem> &problems = walked.path.titleset->problems;
                node.warning = problems.empty() ? tr("The titleset could not be read") : problemText(problems.front());
                node.flags = Qt::ItemIsEnabled; // its properties can be seen; nothing to extract
            }
            if (!node.warning.isEmpty())
                node.icon = warningIcon;
            const int at = int(nodes.size());
            if (node.parent >= 0) {
                node.row = int(nodes[size_t(node.parent)].children.size());
                nodes[size_t(node.parent)].children.push_back(at);
            }
            last[walked.depth] = at;
            nodeIndex.insert(node.object, at);
            nodes.push_back(std::move(node));
            },
            true);
    }
    endResetModel();
}

void ZoneTreeModel::setTitles(const QHash<const DVDAObject *, QString> &given)
{
    titles = given;
    for (const Node &node : nodes)
        if (node.depth == 2 || node.depth == 3)
            emit dataChanged(indexOf(node.object, ColumnTitle), indexOf(node.object, ColumnTitle));
}

void ZoneTreeModel::setRunning(const DVDAObject *object, bool on)
{
    if (on)
        running.insert(object);
    else
        running.remove(object);
    emit dataChanged(indexOf(object), indexOf(object), {Qt::DecorationRole});
}

void ZoneTreeModel::clearRunning()
{
    const QSet<const DVDAObject *> were = std::exchange(running, {});
    for (const DVDAObject *object : were)
        emit dataChanged(indexOf(object), indexOf(object), {Qt::DecorationRole});
}

const ZoneTreeModel::Node *ZoneTreeModel::nodeOf(const QModelIndex &index) const
{
    if (!index.isValid() || index.model() != this || index.internalId() >= nodes.size())
        return nullptr;
    return &nodes[size_t(index.internalId())];
}

DVDAObject *ZoneTreeModel::object(const QModelIndex &index) const
{
    const Node *node = nodeOf(index);
    return node ? node->object : nullptr;
}

QModelIndex ZoneTreeModel::indexOf(const DVDAObject *object, int column) const
{
    const auto found = nodeIndex.constFind(object);
    if (found == nodeIndex.constEnd())
        return QModelIndex();
    return createIndex(nodes[size_t(*found)].row, column, quintptr(*found));
}

QModelIndex ZoneTreeModel::index(int row, int column, const QModelIndex &parent) const
{
    if (row < 0 || column < 0 || column >= Columns)
        return QModelIndex();
    if (!parent.isValid())
        return row == 0 && !nodes.empty() ? createIndex(0, column, quintptr(0)) : QModelIndex();
    const Node *up = nodeOf(parent);
    if (!up || parent.column() != 0 || size_t(row) >= up->children.size())
        return QModelIndex();
    return createIndex(row, column, quintptr(up->children[size_t(row)]));
}

QModelIndex ZoneTreeModel::parent(const QModelIndex &child) const
{
    const Node *node = nodeOf(child);
    if (!node || node->parent < 0)
        return QModelIndex();
    return createIndex(nodes[size_t(node->parent)].row, 0, quintptr(node->parent));
}

int ZoneTreeModel::rowCount(const QModelIndex &parent) const
{
    if (!parent.isValid())
        return nodes.empty() ? 0 : 1;
    const Node *node = nodeOf(parent);
    return node && parent.column() == 0 ? int(node->children.size()) : 0;
}

int ZoneTreeModel::columnCount(const QModelIndex &) const
{
    return Columns;
}

const DVDAObject *ZoneTreeModel::titled(const Node &node) const
{
    return node.depth == 2 || node.depth == 3 ? node.object : nullptr;
}

QVariant ZoneTreeModel::data(const QModelIndex &index, int role) const
{
    const Node *node = nodeOf(index);
    if (!node)
        return QVariant();
    if (role == Qt::ToolTipRole && !node->warning.isEmpty())
        return node->warning;
    const bool display = role == Qt::DisplayRole || role == Qt::ToolTipRole;
    switch (index.column()) {
    case ColumnName:
        if (display)
            return node->label;
        if (role == Qt::DecorationRole)
            return running.contains(node->object) ? runningIcon : node->icon;
        return QVariant();
    case ColumnTitle:
        if (display || role == Qt::EditRole)
            return titles.value(titled(*node));
        return QVariant();
    default:
        return display ? node->facts[index.column() - ColumnFormat] : QVariant();
    }
}

QVariant ZoneTreeModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= Columns)
        return QVariant();
    return tr(headers[section]);
}

Qt::ItemFlags ZoneTreeModel::flags(const QModelIndex &index) const
{
    const Node *node = nodeOf(index);
    if (!node)
        return Qt::NoItemFlags;
    if (index.column() == ColumnTitle && titled(*node))
        return node->flags | Qt::ItemIsEditable;
    return node->flags;
}

bool ZoneTreeModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    const Node *node = nodeOf(index);
    if (!node || role != Qt::EditRole || index.column() != ColumnTitle || !titled(*node))
        return false;
    const QString title = value.toString().trimmed();
    if (titles.value(node->object) == title)
        return true;
    titles.insert(node->object, title);
    emit dataChanged(index, index);
    emit titleEdited(node->object, title);
    return true;
}
