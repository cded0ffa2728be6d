#pragma once
// The left pane: the zone as a tree. A folder or file dropped on it asks for that
// folder to be opened; a disc image, for the image.
#include <QDir>
#include <QTreeWidget>

class ZoneTreeView : public QTreeWidget {
    Q_OBJECT
public:
    explicit ZoneTreeView(QWidget *parent = nullptr);

signals:
    void open(QDir zoneDir);

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
};
