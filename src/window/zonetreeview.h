#pragma once
// The left pane: the zone as a tree, over its own model. A folder or file dropped on it
// asks for that folder to be opened; a disc image, for the image.
#include <QDir>
#include <QList>
#include <QTreeView>

#include "window/zonetreemodel.h"

class QLabel;

class ZoneTreeView : public QTreeView {
    Q_OBJECT
public:
    explicit ZoneTreeView(QWidget *parent = nullptr);

    [[nodiscard]] ZoneTreeModel *zoneModel() const { return nodes; }
    // What the empty tree says: what to open or drop.
    [[nodiscard]] QLabel *emptyHint() const { return hint; }
    // The zone's nodes shown expanded as the window opens them: zone, titlesets, titles.
    void showZone(DVDAZone *zone);
    [[nodiscard]] DVDAObject *currentObject() const;
    // The selected tracks and indexes, in the order they were selected.
    [[nodiscard]] QList<DVDAObject *> selectedObjects() const;
    void setSelected(const DVDAObject *object, bool selected);

signals:
    void open(QDir zoneDir);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void selectTitleTracks(const QModelIndex &clicked);

    ZoneTreeModel *nodes;
    QLabel *hint;
};
