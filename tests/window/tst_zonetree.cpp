// The zone tree: labels, icons, flags, expansion and objects of every item of a written
// zone; what can be current and selected; drops of files and folders.
#include <QHeaderView>
#include <QMimeData>
#include <QStatusBar>
#include <QMessageBox>
#include <QtTest>

#include "window/mainwindow.h"
#include "window/zoneinfo.h"
#include "window/zonetreeview.h"
#include "guitest.h"
#include "guizones.h"
#include "zone/dvdazone.h"

Q_DECLARE_METATYPE(QDir)

namespace {

QImage iconImage(const QIcon &icon)
{
    return icon.pixmap(QSize(30, 20)).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

QImage resourceImage(const char *name)
{
    return QImage(QStringLiteral(":/Tree/res/") + QLatin1String(name))
        .convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

const Qt::ItemFlags defaultFlags = QTreeWidgetItem().flags();

} // namespace

class TestZoneTree : public QObject {
    Q_OBJECT

    guitest::ZoneWindows fixture;
    const QTemporaryDir &settingsDir = fixture.settingsDir;
    std::unique_ptr<MainWindow> window;

    QTreeWidgetItem *zoneItem() { return window->treeView()->topLevelItem(0); }
    QTreeWidgetItem *titlesetItem(int i) { return zoneItem()->child(i); }
    QTreeWidgetItem *titleItem(int i) { return titlesetItem(0)->child(i); }

    DVDATitleset *titleset(int i) { return window->zone()->titlesets[size_t(i)]; }
    DVDATitle *title(int i) { return titleset(0)->titles[size_t(i)]; }

    void clickItem(QTreeWidgetItem *item)
    {
        ZoneTreeView *view = window->treeView();
        view->scrollToItem(item);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier,
                          view->visualItemRect(item).center());
    }

    QStringList propertyLabels()
    {
        QStringList labels;
        for (int i = 0; i < window->propertiesView()->topLevelItemCount(); ++i)
            labels << window->propertiesView()->topLevelItem(i)->text(0);
        return labels;
    }

private slots:
    void initTestCase()
    {
        qRegisterMetaType<QDir>();
        QVERIFY(fixture.setUp(guizones::mixedZone()));
        window = fixture.openWindow(QSize(900, 700));
        QVERIFY(window->zone());
        QCOMPARE(int(window->zone()->titlesets.size()), 3);
    }

    void cleanupTestCase()
    {
        window.reset();
    }

    void theIconsDiffer()
    {
        // Otherwise the icon checks below could not tell a wrong icon.
        const char *names[] = {"tree_zone.png", "tree_titleset.png", "tree_title.png", "tree_track_pcm.png",
                               "tree_track_mlp.png", "tree_track_unk.png", "tree_index.png"};
        for (const char *a : names) {
            QCOMPARE(resourceImage(a).size(), QSize(30, 20));
            for (const char *b : names) {
                if (a != b)
                    QVERIFY2(resourceImage(a) != resourceImage(b), b);
            }
        }
    }

    void items_data()
    {
        QTest::addColumn<QList<int>>("path");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("icon");
        QTest::addColumn<int>("flags");
        QTest::addColumn<bool>("expanded");
        QTest::addColumn<int>("children");
        const int enabled = int(Qt::ItemIsEnabled), none = 0, standard = int(defaultFlags);
        QTest::newRow("zone") << QList<int>{} << "AUDIO_TS.IFO" << "tree_zone.png" << enabled << true << 2;
        QTest::newRow("audio titleset") << QList<int>{0} << "ATS_01_0.IFO - Audio" << "tree_titleset.png"
                                        << enabled << true << 3;
        QTest::newRow("video titleset") << QList<int>{1} << "ATS_02_0.IFO - Video" << "tree_titleset.png"
                                        << none << true << 0;
        QTest::newRow("one track") << QList<int>{0, 0} << "Title 01[0] - 00:01:04 - 1 track"
                                   << "tree_title.png" << enabled << true << 1;
        QTest::newRow("no tracks") << QList<int>{0, 1} << "Title 02[0] - 00:00:00 - 0 tracks"
                                   << "tree_title.png" << enabled << true << 0;
        QTest::newRow("two tracks, tagged") << QList<int>{0, 2} << "Title 01[1] - 00:00:05 - 2 tracks"
                                            << "tree_title.png" << enabled << true << 2;
        QTest::newRow("pcm track") << QList<int>{0, 0, 0} << "Track 01 - 00:01:04 - (00000000-00000003)"
                                   << "tree_track_pcm.png" << standard << false << 2;
        QTest::newRow("index 1") << QList<int>{0, 0, 0, 0} << "01 - 00:00:32 - (00000000-00000001)"
                                 << "tree_index.png" << standard << false << 0;
        QTest::newRow("index 2") << QList<int>{0, 0, 0, 1} << "02 - 00:00:32 - (00000002-00000003)"
                                 << "tree_index.png" << standard << false << 0;
        QTest::newRow("mlp track") << QList<int>{0, 2, 0} << "Track 01 - 00:00:03 - (00000004-00000005)"
                                   << "tree_track_mlp.png" << standard << false << 1;
        QTest::newRow("mlp index") << QList<int>{0, 2, 0, 0} << "01 - 00:00:03 - (00000004-00000005)"
                                   << "tree_index.png" << standard << false << 0;
        QTest::newRow("unknown track") << QList<int>{0, 2, 1} << "Track 02 - 00:00:02 - (00000006-00000007)"
                                       << "tree_track_unk.png" << standard << false << 1;
        QTest::newRow("its index") << QList<int>{0, 2, 1, 0} << "02 - 00:00:02 - (00000006-00000007)"
                                   << "tree_index.png" << standard << false << 0;
    }

    void items()
    {
        QFETCH(QList<int>, path);
        QFETCH(QString, label);
        QFETCH(QString, icon);
        QFETCH(int, flags);
        QFETCH(bool, expanded);
        QFETCH(int, children);

        QCOMPARE(window->treeView()->topLevelItemCount(), 1);
        QTreeWidgetItem *item = zoneItem();
        for (int step : path)
            item = item->child(step);
        QVERIFY(item);
        QCOMPARE(item->columnCount(), 1);
        QCOMPARE(item->text(0), label);
        QCOMPARE(iconImage(item->icon(0)), resourceImage(qPrintable(icon)));
        QCOMPARE(int(item->flags()), flags);
        QCOMPARE(item->isExpanded(), expanded);
        QCOMPARE(item->childCount(), children);
        QCOMPARE(item->type(), int(QTreeWidgetItem::Type));
    }

    void itemsCarryTheirObjects()
    {
        DVDAZone *zone = window->zone();
        const QVariant stored = zoneItem()->data(0, Qt::UserRole);
        QCOMPARE(stored.metaType().name(), "DVDAObject*");
        QCOMPARE(ZoneInfo::itemObject(zoneItem()), static_cast<DVDAObject *>(zone));
        QCOMPARE(ZoneInfo::itemObject(titlesetItem(0)), static_cast<DVDAObject *>(titleset(0)));
        QCOMPARE(ZoneInfo::itemObject(titlesetItem(1)), static_cast<DVDAObject *>(titleset(1)));
        for (int t = 0; t < 3; ++t) {
            QTreeWidgetItem *ti = titleItem(t);
            QCOMPARE(ZoneInfo::itemObject(ti), static_cast<DVDAObject *>(title(t)));
            for (int k = 0; k < ti->childCount(); ++k) {
                DVDATrack *track = title(t)->tracks[size_t(k)];
                QCOMPARE(ZoneInfo::itemObject(ti->child(k)), static_cast<DVDAObject *>(track));
                for (int i = 0; i < ti->child(k)->childCount(); ++i)
                    QCOMPARE(ZoneInfo::itemObject(ti->child(k)->child(i)),
                             static_cast<DVDAObject *>(track->indexes[size_t(i)]));
            }
        }
        // The meta type is known by name, as queued signals need it.
        QVERIFY(QMetaType::fromName("DVDAObject*").isValid());
    }

    void unreadableTitlesetIsLeftOut()
    {
        QCOMPARE(titleset(2)->contentKind, TitlesetUnknown);
        QCOMPARE(zoneItem()->childCount(), 2);
    }

    void selectAllTakesTracksAndIndexesOnly()
    {
        auto selectAll = [this] {
            window->treeView()->clearSelection();
            guitest::action(*window, "action_SelectAll")->trigger();
            QList<DVDAObject *> selected;
            for (QTreeWidgetItem *item : window->treeView()->selectedItems())
                selected << ZoneInfo::itemObject(item);
            return selected;
        };
        // The view selects what it shows: the three tracks while they are collapsed.
        QList<DVDAObject *> selected = selectAll();
        QCOMPARE(selected.size(), 3);
        for (DVDAObject *object : selected)
            QCOMPARE(object->kind(), qint32(KindTrack));
        QVERIFY(guitest::action(*window, "action_Extract")->isEnabled());

        // With a track opened its indexes are shown and selected too; never a title.
        titleItem(0)->child(0)->setExpanded(true);
        selected = selectAll();
        titleItem(0)->child(0)->setExpanded(false);
        QCOMPARE(selected.size(), 5);
        QCOMPARE(selected.count(title(0)->tracks[0]->indexes[0]), 1);
        QCOMPARE(selected.count(title(0)->tracks[0]->indexes[1]), 1);
        for (DVDAObject *object : selected)
            QVERIFY(object->kind() == KindTrack || object->kind() == KindIndex);

        window->treeView()->clearSelection();
        QVERIFY(!guitest::action(*window, "action_Extract")->isEnabled());
    }

    void clickingMakesCurrentButSelectsOnlyTracks()
    {
        ZoneTreeView *view = window->treeView();
        view->clearSelection();

        clickItem(zoneItem());
        QCOMPARE(view->currentItem(), zoneItem());
        QVERIFY(view->selectedItems().isEmpty());
        // Title 2 has no tracks and titleset 3 no files: the zone's properties list both,
        // the status bar counts them.
        QCOMPARE(propertyLabels(), (QStringList{QStringLiteral("Disc ID"), QStringLiteral("Problem"), QStringLiteral("Problem")}));
        QCOMPARE(window->propertiesView()->topLevelItem(1)->text(1),
                 QStringLiteral("ATS_01_0.IFO, byte 2142: title 2 has no tracks"));
        QCOMPARE(window->propertiesView()->topLevelItem(2)->text(1),
                 QStringLiteral("ATS_03_0.IFO: cannot open the information file (missing, or not a regular file)"));
        QCOMPARE(window->statusBar()->currentMessage(),
                 QStringLiteral("2 part(s) of the zone could not be read"));
        // View > Zone Problems names them wherever the current item is.
        QString listed;
        guitest::ModalHandler handler([&](QWidget *modal) {
            if (auto *box = qobject_cast<QMessageBox *>(modal))
                listed = box->informativeText();
            modal->close();
        });
        guitest::action(*window, "action_Problems")->trigger();
        QCOMPARE(listed, window->propertiesView()->topLevelItem(1)->text(1) + '\n'
                             + window->propertiesView()->topLevelItem(2)->text(1));

        clickItem(titleItem(2));
        QCOMPARE(view->currentItem(), titleItem(2));
        QVERIFY(view->selectedItems().isEmpty());
        QCOMPARE(propertyLabels(), (QStringList{QStringLiteral("Title id"), QStringLiteral("Title tag")}));
        QCOMPARE(window->propertiesView()->topLevelItem(0)->text(1), QStringLiteral("1"));
        QCOMPARE(window->propertiesView()->topLevelItem(1)->text(1), QStringLiteral("1"));

        clickItem(titlesetItem(0));
        QCOMPARE(view->currentItem(), titlesetItem(0));
        QCOMPARE(propertyLabels(), QStringList{QStringLiteral("AOBs location")});

        // A video titleset can be neither current nor selected.
        clickItem(titlesetItem(1));
        QCOMPARE(view->currentItem(), titlesetItem(0));
        QVERIFY(view->selectedItems().isEmpty());

        QTreeWidgetItem *track = titleItem(2)->child(0);
        clickItem(track);
        QCOMPARE(view->currentItem(), track);
        QCOMPARE(view->selectedItems(), QList<QTreeWidgetItem *>{track});
        QVERIFY(guitest::action(*window, "action_Extract")->isEnabled());
        QCOMPARE(propertyLabels().value(0), QStringLiteral("Stream type"));
        view->clearSelection();
    }

    void indexesShowOnlyWhenTheTrackIsExpanded()
    {
        ZoneTreeView *view = window->treeView();
        QTreeWidgetItem *track = titleItem(0)->child(0);
        QTreeWidgetItem *index = track->child(1);
        QVERIFY(view->visualItemRect(index).isEmpty());
        track->setExpanded(true);
        QVERIFY(!view->visualItemRect(index).isEmpty());
        track->setExpanded(false);
    }

    void viewConfiguration()
    {
        ZoneTreeView *view = window->treeView();
        QCOMPARE(view->iconSize(), QSize(30, 20));
        QVERIFY(view->header()->isHidden());
        QVERIFY(!view->rootIsDecorated());
        QCOMPARE(view->selectionMode(), QAbstractItemView::ExtendedSelection);
        QVERIFY(view->acceptDrops());
        QVERIFY(view->autoFillBackground());
        const QPalette palette = view->palette();
        for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
            QCOMPARE(palette.color(group, QPalette::Base), QColor(96, 96, 96));
            QCOMPARE(palette.color(group, QPalette::Text), QColor(Qt::white));
            QCOMPARE(palette.color(group, QPalette::Highlight), QColor(140, 0, 0));
            QCOMPARE(palette.color(group, QPalette::HighlightedText), QColor(Qt::white));
        }
    }

    void zoneOfUnknownTitlesetsShowsOnlyTheZone()
    {
        testzone::Zone zone;
        zone.titlesets.push_back(testzone::Titleset::absent());
        zone.titlesets.push_back(testzone::Titleset::absent());
        testzone::ZoneFolder unknown(zone);
        QVERIFY(unknown.ok());
        DVDAZone dvda{QDir(unknown.path())};
        QCOMPARE(int(dvda.titlesets.size()), 2);
        ZoneTreeView view;
        ZoneInfo(&dvda, &view, nullptr).fillTree();
        QCOMPARE(view.topLevelItemCount(), 1);
        QCOMPARE(view.topLevelItem(0)->text(0), QStringLiteral("AUDIO_TS.IFO"));
        QCOMPARE(view.topLevelItem(0)->childCount(), 0);

        // No titleset at all: nothing, not even the zone.
        DVDAZone empty{QDir(settingsDir.path())};
        ZoneTreeView emptyView;
        ZoneInfo(&empty, &emptyView, nullptr).fillTree();
        QCOMPARE(emptyView.topLevelItemCount(), 0);
    }

    void drops()
    {
        ZoneTreeView view;
        QSignalSpy opened(&view, &ZoneTreeView::open);
        const QString zoneDir = QDir(fixture.zoneFolder->path()).absolutePath();
        const QUrl manager = QUrl::fromLocalFile(fixture.zoneFolder->filePath(QStringLiteral("AUDIO_TS.IFO")));
        const QUrl titlesetInfo = QUrl::fromLocalFile(fixture.zoneFolder->filePath(QStringLiteral("ATS_01_0.IFO")));

        // A file opens the folder that holds it.
        QVERIFY(guitest::dropUrls(&view, {manager}));
        QCOMPARE(opened.size(), 1);
        QCOMPARE(opened.takeFirst().at(0).value<QDir>().absolutePath(), zoneDir);

        // The folder opens itself.
        QVERIFY(guitest::dropUrls(&view, {QUrl::fromLocalFile(zoneDir)}));
        QCOMPARE(opened.size(), 1);
        QCOMPARE(opened.takeFirst().at(0).value<QDir>().absolutePath(), zoneDir);

        // Several items: only the first counts.
        QVERIFY(guitest::dropUrls(&view, {QUrl::fromLocalFile(settingsDir.path()), titlesetInfo, manager}));
        QCOMPARE(opened.size(), 1);
        QCOMPARE(opened.takeFirst().at(0).value<QDir>().absolutePath(), QDir(settingsDir.path()).absolutePath());

        // Not a local file, a path that does not exist, no URL at all: nothing.
        guitest::dropUrls(&view, {QUrl(QStringLiteral("http://example.org/AUDIO_TS/AUDIO_TS.IFO"))});
        guitest::dropUrls(&view, {QUrl::fromLocalFile(fixture.zoneFolder->filePath(QStringLiteral("missing/AUDIO_TS.IFO")))});
        guitest::dropUrls(&view, {});
        QCOMPARE(opened.size(), 0);

        // Plain text is refused as soon as it is dragged in.
        QMimeData text;
        text.setText(zoneDir);
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
        enter.ignore();
        QCoreApplication::sendEvent(view.viewport(), &enter);
        QVERIFY(!enter.isAccepted());

        // While drops are turned off nothing is taken.
        view.setAcceptDrops(false);
        QVERIFY(!guitest::dropUrls(&view, {manager}));
        QCOMPARE(opened.size(), 0);
    }
};

QTEST_MAIN(TestZoneTree)
#include "tst_zonetree.moc"
