#include "window/zonetreeview.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

#include "zone/zoneopener.h"

ZoneTreeView::ZoneTreeView(QWidget *parent) : QTreeWidget(parent)
{
    setAcceptDrops(true);
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
