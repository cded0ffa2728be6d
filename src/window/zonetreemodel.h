#pragma once
// The zone as the window's tree shows it: zone, titlesets, titles, tracks and indexes in
// the order the command line lists them, with a column for the title the user gives a
// title or track and the columns users choose a track by. A titleset that could not be
// read stands as a placeholder, and a track or index whose blocks the AOB files lack is
// marked, both with a warning icon and the reason as tooltip. The model holds the zone's
// nodes by pointer; setZone(nullptr) lets go of them before the zone is destroyed.
#include <QAbstractItemModel>
#include <QHash>
#include <QIcon>
#include <QSet>
#include <vector>

class DVDAObject;
class DVDAZone;

class ZoneTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    enum Column { ColumnName, ColumnTitle, ColumnFormat, ColumnChannels, ColumnRate, Columns };

    explicit ZoneTreeModel(QObject *parent = nullptr);

    // Shows the zone (null: nothing); the nodes of the zone shown before are let go.
    void setZone(DVDAZone *zone);
    // The titles shown in the title column, by object (titles and tracks); an index shows
    // its track's.
    void setTitles(const QHash<const DVDAObject *, QString> &titles);
    // The objects being extracted get the running icon.
    void setRunning(const DVDAObject *object, bool running);
    void clearRunning();

    [[nodiscard]] DVDAObject *object(const QModelIndex &index) const;
    [[nodiscard]] QModelIndex indexOf(const DVDAObject *object, int column = ColumnName) const;

    [[nodiscard]] QModelIndex index(int row, int column, const QModelIndex &parent = QModelIndex()) const override;
    [[nodiscard]] QModelIndex parent(const QModelIndex &child) const override;
    [[nodiscard]] int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    [[nodiscard]] int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    [[nodiscard]] QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    [[nodiscard]] Qt::ItemFlags flags(const QModelIndex &index) const override;
    [[nodiscard]] bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

signals:
    // The user typed a title for a title or track in the tree.
    void titleEdited(DVDAObject *object, const QString &title);

private:
    struct Node {
        DVDAObject *object = nullptr;
        int depth = 0;
        int parent = -1; // index into nodes; -1 for the zone
        int row = 0;     // among its parent's children
        std::vector<int> children;
        Qt::ItemFlags flags;
        QIcon icon;
        QString label;
        QString facts[3]; // format, channels, rate / bits: the columns after the title
        QString warning; // why the node is not whole; empty when it is
    };
    [[nodiscard]] const Node *nodeOf(const QModelIndex &index) const;
    [[nodiscard]] const DVDAObject *titled(const Node &node) const;

    std::vector<Node> nodes; // in tree order, the zone first
    QHash<const DVDAObject *, int> nodeIndex;
    QHash<const DVDAObject *, QString> titles;
    QSet<const DVDAObject *> running;
    QIcon runningIcon;
    QIcon warningIcon;
};
