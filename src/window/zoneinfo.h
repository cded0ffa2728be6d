#pragma once
// Puts a zone into the window's two panes: the tree of objects and the property rows
// of one object. Made on the stack for each use; owns nothing.
#include <QObject>

class DVDAObject;
class DVDAZone;
class QTreeWidget;
class QTreeWidgetItem;

class ZoneInfo : public QObject {
    Q_OBJECT
public:
    ZoneInfo(DVDAZone *zone, QTreeWidget *tree, QTreeWidget *properties);

    // Adds the zone's items to the (cleared) tree.
    void fillTree();
    // Appends the Parameter/Value rows of one object (nothing for null).
    void populateRows(DVDAObject *object);

    // The object an item stands for; null for none.
    static DVDAObject *itemObject(const QTreeWidgetItem *item);

private:
    DVDAZone *zone;
    QTreeWidget *tree;
    QTreeWidget *properties;
};
