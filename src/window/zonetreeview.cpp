#include "window/zonetreeview.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMimeData>
#include <QUrl>
#include <functional>

#include "zone/dvdaobject.h"
#include "zone/zoneopener.h"

ZoneTreeView::ZoneTreeView(QWidget *parent)
    : QTreeView(parent), nodes(new ZoneTreeModel(this)), hint(new QLabel(viewport()))
{
    setModel(nodes);
    hint->setObjectName(QStringLiteral("emptyHint"));
    hint->setText(tr("Open a DVD-Audio disc with File > Open, or drop its AUDIO_TS folder, "
                     "a file in it or a disc image here."));
    hint->setWordWrap(true);
    hint->setAlignment(Qt::AlignCenter);
    hint->setContentsMargins(20, 20, 20, 20);
    connect(nodes, &QAbstractItemModel::modelReset, hint, [this] { hint->setVisible(nodes->rowCount() == 0); });
    setAcceptDrops(true);
    // A title is typed into its column with a double click or F2, not by a click that selects.
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    connect(this, &QAbstractItemView::clicked, this, &ZoneTreeView::selectTitleTracks);
}

// A title cannot be selected itself: a click on it selects its tracks (with Ctrl, adds them).
void ZoneTreeView::selectTitleTracks(const QModelIndex &clicked)
{
    const DVDAObject *object = nodes->object(clicked);
    if (!object || object->kind() != KindTitle || selectionMode() == QAbstractItemView::NoSelection)
        return;
    const QModelIndex title = clicked.siblingAtColumn(ZoneTreeModel::ColumnName);
    const int tracks = nodes->rowCount(title);
    if (tracks == 0)
        return;
    const QItemSelection rows(nodes->index(0, 0, title), nodes->index(tracks - 1, ZoneTreeModel::Columns - 1, title));
    const bool adding = QGuiApplication::keyboardModifiers() & Qt::ControlModifier;
    selectionModel()->select(rows, adding ? QItemSelectionModel::Select : QItemSelectionModel::ClearAndSelect);
}

void ZoneTreeView::resizeEvent(QResizeEvent *event)
{
    QTreeView::resizeEvent(event);
    hint->setGeometry(viewport()->rect());
}

void ZoneTreeView::showZone(DVDAZone *zone)
{
    nodes->setZone(zone);
    if (!zone)
        return;
    // The zone, its titlesets and titles open; tracks closed over their indexes.
    const std::function<void(const QModelIndex &, int)> expand = [&](const QModelIndex &at, int depth) {
        if (depth > 2)
            return;
        setExpanded(at, true);
        for (int row = 0; row < nodes->rowCount(at); ++row)
            expand(nodes->index(row, 0, at), depth + 1);
    };
    expand(nodes->index(0, 0), 0);
    for (int column = 0; column < ZoneTreeModel::Columns; ++column)
        resizeColumnToContents(column);
}

DVDAObject *ZoneTreeView::currentObject() const
{
    return nodes->object(currentIndex());
}

QList<DVDAObject *> ZoneTreeView::selectedObjects() const
{
    // In the order they were selected, which an extraction keeps.
    const QModelIndexList rows = selectionModel()->selectedRows(ZoneTreeModel::ColumnName);
    QList<DVDAObject *> objects;
    for (const QModelIndex &row : rows)
        objects << nodes->object(row);
    return objects;
}

void ZoneTreeView::setSelected(const DVDAObject *object, bool selected)
{
    const QModelIndex at = nodes->indexOf(object);
    if (at.isValid())
        selectionModel()->select(at, (selected ? QItemSelectionModel::Select : QItemSelectionModel::Deselect)
                                         | QItemSelectionModel::Rows);
}

void ZoneTreeView::dragEnterEvent(QDragEnterEvent *event)
{
    // While an extraction runs the window turns drops off; the zone must not change then.
    if (acceptDrops() && event->mimeData()->hasFormat(QStringLiteral("text/uri-list")))
        event->acceptProposedAction();
}

void ZoneTreeView::dragMoveEvent(QDragMoveEvent *event)
{
    event->accept();
}

void ZoneTreeView::dropEvent(QDropEvent *event)
{
    if (!acceptDrops())
        return;
    const QMimeData *mime = event->mimeData();
    if (!mime->hasUrls() || mime->urls().isEmpty())
        return;
    // Only the first of several dropped items counts.
    const QString path = mime->urls().first().toLocalFile();
    if (path.isEmpty())
        return;
    const QFileInfo info(path);
    if (!info.exists())
        return;
    emit open(zoneLocation(path));
    event->acceptProposedAction();
}
