// The zone tree: labels, columns, icons, flags, expansion and objects of every node of a
// written zone; what can be current and selected; titles typed in; drops of files and folders.
#include <QHeaderView>
#include <QToolButton>
#include <functional>
#include <QStyle>
#include <QLineEdit>
#include <QMimeData>
#include <QStatusBar>
#include <QMessageBox>
#include <QtTest>

#include "window/mainwindow.h"
#include "window/zonetreemodel.h"
#include "extraction/discmetadata.h"
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

} // namespace

class TestZoneTree : public QObject {
    Q_OBJECT

    guitest::ZoneWindows fixture;
    const QTemporaryDir &settingsDir = fixture.settingsDir;
    std::unique_ptr<MainWindow> window;

    QModelIndex node(const QList<int> &path, int column = 0) { return guitest::treeNode(*window, path, column); }
    DVDAObject *current() { return window->treeView()->currentObject(); }
    QList<DVDAObject *> selected() { return window->treeView()->selectedObjects(); }

    DVDATitleset *titleset(int i) { return window->zone()->titlesets[size_t(i)]; }
    DVDATitle *title(int i) { return titleset(0)->titles[size_t(i)]; }

    QStringList propertyLabels() { return guitest::propertyColumn(*window, 0); }
    QStringList propertyValues() { return guitest::propertyColumn(*window, 1); }

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
        QTest::addColumn<QStringList>("facts"); // format, channels, rate / bits
        const int enabled = int(Qt::ItemIsEnabled), none = 0, standard = int(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        const QStringList noFacts{"", "", ""}, pcm{"PCM", "2", "48 kHz / 16 bit"}, mlp{"MLP", "", ""} /* no major sync: nothing known */;
        QTest::newRow("zone") << QList<int>{} << "AUDIO_TS.IFO" << "tree_zone.png" << enabled << true << 3 << noFacts;
        QTest::newRow("audio titleset") << QList<int>{0} << "ATS_01_0.IFO - Audio" << "tree_titleset.png"
                                        << enabled << true << 3 << noFacts;
        QTest::newRow("video titleset") << QList<int>{1} << "ATS_02_0.IFO - Video" << "tree_titleset.png"
                                        << none << true << 0 << noFacts;
        QTest::newRow("one track") << QList<int>{0, 0} << "Title 01[0] - 00:01:04 - 1 track"
                                   << "tree_title.png" << enabled << true << 1 << noFacts;
        QTest::newRow("no tracks") << QList<int>{0, 1} << "Title 02[0] - 00:00:00 - 0 tracks"
                                   << "tree_title.png" << enabled << true << 0 << noFacts;
        QTest::newRow("two tracks, tagged") << QList<int>{0, 2} << "Title 01[1] - 00:00:05 - 2 tracks"
                                            << "tree_title.png" << enabled << true << 2 << noFacts;
        QTest::newRow("pcm track") << QList<int>{0, 0, 0} << "Track 01 - 00:01:04"
                                   << "tree_track_pcm.png" << standard << false << 2 << pcm;
        QTest::newRow("index 1") << QList<int>{0, 0, 0, 0} << "01 - 00:00:32"
                                 << "tree_index.png" << standard << false << 0 << pcm;
        QTest::newRow("index 2") << QList<int>{0, 0, 0, 1} << "02 - 00:00:32"
                                 << "tree_index.png" << standard << false << 0 << pcm;
        QTest::newRow("mlp track") << QList<int>{0, 2, 0} << "Track 01 - 00:00:03"
                                   << "tree_track_mlp.png" << standard << false << 1 << mlp;
        QTest::newRow("mlp index") << QList<int>{0, 2, 0, 0} << "01 - 00:00:03"
                                   << "tree_index.png" << standard << false << 0 << mlp;
        QTest::newRow("unknown track") << QList<int>{0, 2, 1} << "Track 02 - 00:00:02"
                                       << "tree_track_unk.png" << standard << false << 1 << noFacts;
        QTest::newRow("its index") << QList<int>{0, 2, 1, 0} << "02 - 00:00:02"
                                   << "tree_index.png" << standard << false << 0 << noFacts;
    }

    void items()
    {
        QFETCH(QList<int>, path);
        QFETCH(QString, label);
        QFETCH(QString, icon);
        QFETCH(int, flags);
        QFETCH(bool, expanded);
        QFETCH(int, children);
        QFETCH(QStringList, facts);

        const QAbstractItemModel *nodes = window->treeView()->model();
        QCOMPARE(nodes->rowCount(), 1);
        const QModelIndex item = node(path);
        QVERIFY(item.isValid());
        QCOMPARE(item.data().toString(), label);
        QCOMPARE(iconImage(item.data(Qt::DecorationRole).value<QIcon>()), resourceImage(qPrintable(icon)));
        QCOMPARE(int(nodes->flags(item)), flags);
        QCOMPARE(window->treeView()->isExpanded(item), expanded);
        QCOMPARE(nodes->rowCount(item), children);
        const QStringList shown{node(path, ZoneTreeModel::ColumnFormat).data().toString(),
                                node(path, ZoneTreeModel::ColumnChannels).data().toString(),
                                node(path, ZoneTreeModel::ColumnRate).data().toString()};
        QCOMPARE(shown, facts);
    }

    void nodesCarryTheirObjects()
    {
        const ZoneTreeModel *nodes = window->treeView()->zoneModel();
        const auto holds = [&](const QList<int> &path, const DVDAObject *object) {
            return nodes->object(node(path)) == object && nodes->indexOf(object) == node(path);
        };
        QVERIFY(holds({}, window->zone()));
        QVERIFY(holds({0}, titleset(0)));
        QVERIFY(holds({1}, titleset(1)));
        for (int t = 0; t < 3; ++t) {
            QVERIFY(holds({0, t}, title(t)));
            for (int k = 0; k < nodes->rowCount(node({0, t})); ++k) {
                DVDATrack *track = title(t)->tracks[size_t(k)];
                QVERIFY(holds({0, t, k}, track));
                for (int i = 0; i < nodes->rowCount(node({0, t, k})); ++i)
                    QVERIFY(holds({0, t, k, i}, track->indexes[size_t(i)]));
            }
        }
    }

    // A titleset that could not be read stands as a placeholder that says why; nothing
    // under it, nothing to select.
    void unreadableTitlesetIsAPlaceholder()
    {
        QCOMPARE(titleset(2)->contentKind, TitlesetUnknown);
        const QModelIndex lost = node({2});
        QCOMPARE(window->treeView()->zoneModel()->object(lost), static_cast<DVDAObject *>(titleset(2)));
        QCOMPARE(lost.data().toString(), QStringLiteral("ATS_03_0.IFO - Unknown - could not be read"));
        QCOMPARE(lost.data(Qt::ToolTipRole).toString(),
                 QStringLiteral("ATS_03_0.IFO: cannot open the information file (missing, or not a regular file)"));
        QCOMPARE(iconImage(lost.data(Qt::DecorationRole).value<QIcon>()),
                 iconImage(QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning)));
        QCOMPARE(int(window->treeView()->model()->flags(lost)), int(Qt::ItemIsEnabled));
        QCOMPARE(window->treeView()->model()->rowCount(lost), 0);
    }

    // A track whose blocks a cut AOB file lost is marked before any Verify; the others not.
    void trackCutByTheAobIsMarked()
    {
        testzone::Zone zone;
        testzone::Titleset &audio = zone.titlesets.emplace_back();
        audio.info.titles.push_back(testzone::makeTitle({{guizones::SECOND, {{0, 1}}}, {guizones::SECOND, {{2, 5}}}}));
        const QByteArray pcm = guizones::pcmPack();
        audio.aobFiles.push_back(testzone::AobFile::ofBytes(pcm + pcm + pcm + pcm)); // blocks 4-5 cut off
        testzone::ZoneFolder folder(zone);
        QVERIFY(folder.ok());
        DVDAZone dvda{QDir(folder.path())};
        ZoneTreeModel nodes;
        nodes.setZone(&dvda);
        const QModelIndex title = nodes.index(0, 0, nodes.index(0, 0, nodes.index(0, 0)));
        QVERIFY(nodes.index(0, 0, title).data(Qt::ToolTipRole).toString().startsWith("Track 01"));
        QCOMPARE(nodes.index(1, 0, title).data(Qt::ToolTipRole).toString(),
                 QStringLiteral("2 of 4 blocks are not in the AOB files (one is missing or was cut short)"));
        QCOMPARE(iconImage(nodes.index(1, 0, title).data(Qt::DecorationRole).value<QIcon>()),
                 iconImage(QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning)));
    }

    void selectAllTakesTracksAndIndexesOnly()
    {
        auto selectAll = [this] {
            window->treeView()->clearSelection();
            guitest::action(*window, "action_SelectAll")->trigger();
            return selected();
        };
        // The view selects what it shows: the three tracks while they are collapsed.
        QList<DVDAObject *> selected = selectAll();
        QCOMPARE(selected.size(), 3);
        for (DVDAObject *object : selected)
            QCOMPARE(object->kind(), qint32(KindTrack));
        QVERIFY(guitest::action(*window, "action_Extract")->isEnabled());

        // With a track opened its indexes are shown and selected too; never a title.
        window->treeView()->setExpanded(node({0, 0, 0}), true);
        selected = selectAll();
        window->treeView()->setExpanded(node({0, 0, 0}), false);
        QCOMPARE(selected.size(), 5);
        QCOMPARE(selected.count(title(0)->tracks[0]->indexes[0]), 1);
        QCOMPARE(selected.count(title(0)->tracks[0]->indexes[1]), 1);
        for (DVDAObject *object : selected)
            QVERIFY(object->kind() == KindTrack || object->kind() == KindIndex);

        window->treeView()->clearSelection();
        QVERIFY(!guitest::action(*window, "action_Extract")->isEnabled());
    }

    void clickingMakesCurrentAndSelectsTracks()
    {
        ZoneTreeView *view = window->treeView();
        view->clearSelection();

        guitest::clickNode(*window, {});
        QCOMPARE(current(), static_cast<DVDAObject *>(window->zone()));
        QVERIFY(selected().isEmpty());
        // Title 2 has no tracks and titleset 3 no files: the zone's properties list both,
        // the status bar counts them.
        QCOMPARE(propertyLabels(), (QStringList{QStringLiteral("Disc ID"), QStringLiteral("Problem"), QStringLiteral("Problem")}));
        const QStringList problems{QStringLiteral("ATS_01_0.IFO, byte 2142: title 2 has no tracks"),
                                   QStringLiteral("ATS_03_0.IFO: cannot open the information file (missing, or not a regular file)")};
        QCOMPARE(propertyValues().mid(1), problems);
        // The status bar counts them for as long as the zone is open, past any hover; its
        // button, like View > Zone Problems, names them wherever the current item is.
        auto *indicator = window->statusBar()->findChild<QToolButton *>(QStringLiteral("zoneProblems"));
        QVERIFY(indicator && indicator->isVisible());
        QCOMPARE(indicator->text(), QStringLiteral("2 parts of the zone could not be read"));
        window->statusBar()->showMessage(QStringLiteral("a passing message"), 1);
        QTRY_VERIFY(window->statusBar()->currentMessage().isEmpty());
        QVERIFY(indicator->isVisible());
        for (auto show : {std::function<void()>([&] { guitest::action(*window, "action_Problems")->trigger(); }),
                          std::function<void()>([&] { indicator->click(); })}) {
            QString listed;
            guitest::ModalHandler handler([&](QWidget *modal) {
                if (auto *box = qobject_cast<QMessageBox *>(modal))
                    listed = box->text() + '|' + box->informativeText();
                modal->close();
            });
            show();
            QCOMPARE(listed, "2 parts of the zone could not be read|" + problems.join('\n'));
        }

        // A title's click selects its tracks, which is what extracting it means.
        guitest::clickNode(*window, {0, 2});
        QCOMPARE(current(), static_cast<DVDAObject *>(title(2)));
        QCOMPARE(selected(), (QList<DVDAObject *>{title(2)->tracks[0], title(2)->tracks[1]}));
        QVERIFY(guitest::action(*window, "action_Extract")->isEnabled());
        QCOMPARE(propertyLabels(), (QStringList{QStringLiteral("Title id"), QStringLiteral("Title tag")}));
        QCOMPARE(propertyValues(), (QStringList{QStringLiteral("1"), QStringLiteral("1")}));
        // With Ctrl, another title's tracks join them.
        QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::ControlModifier, view->visualRect(node({0, 0})).center());
        QCOMPARE(selected(), (QList<DVDAObject *>{title(2)->tracks[0], title(2)->tracks[1], title(0)->tracks[0]}));

        view->clearSelection();
        guitest::clickNode(*window, {0});
        QCOMPARE(current(), static_cast<DVDAObject *>(titleset(0)));
        QCOMPARE(propertyLabels(), QStringList{QStringLiteral("AOBs location")});
        QVERIFY(selected().isEmpty());

        // A video titleset can be neither current nor selected.
        guitest::clickNode(*window, {1});
        QCOMPARE(current(), static_cast<DVDAObject *>(titleset(0)));
        QVERIFY(selected().isEmpty());

        guitest::clickNode(*window, {0, 2, 0});
        QCOMPARE(current(), static_cast<DVDAObject *>(title(2)->tracks[0]));
        QCOMPARE(selected(), QList<DVDAObject *>{title(2)->tracks[0]});
        QVERIFY(guitest::action(*window, "action_Extract")->isEnabled());
        QCOMPARE(propertyLabels().value(0), QStringLiteral("Stream type"));
        view->clearSelection();
    }

    void indexesShowOnlyWhenTheTrackIsExpanded()
    {
        ZoneTreeView *view = window->treeView();
        QVERIFY(view->visualRect(node({0, 0, 0, 1})).isEmpty());
        view->setExpanded(node({0, 0, 0}), true);
        QVERIFY(!view->visualRect(node({0, 0, 0, 1})).isEmpty());
        view->setExpanded(node({0, 0, 0}), false);
    }

    // A title typed into the tree is kept in the disc's metadata file, and comes back when
    // the disc is opened again.
    void titlesTypedAreKept()
    {
        ZoneTreeView *view = window->treeView();
        const QModelIndex trackTitle = node({0, 2, 1}, ZoneTreeModel::ColumnTitle);
        QVERIFY(view->model()->flags(trackTitle) & Qt::ItemIsEditable);
        QVERIFY(!(view->model()->flags(node({0, 2, 1, 0}, ZoneTreeModel::ColumnTitle)) & Qt::ItemIsEditable));
        view->setCurrentIndex(trackTitle);
        QTest::keyClick(view, Qt::Key_F2);
        auto *editor = view->viewport()->findChild<QLineEdit *>();
        QVERIFY(editor);
        editor->setText(QStringLiteral("  Coda  "));
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE(trackTitle.data().toString(), QStringLiteral("Coda")); // the delegate commits queued
        view->model()->setData(node({0, 2}, ZoneTreeModel::ColumnTitle), QStringLiteral("Suite"));

        DiscMetadata kept;
        QString error;
        QVERIFY2(readDiscMetadata(storedMetadataPath(window->zone()->discId), &kept, &error), qPrintable(error));
        QCOMPARE(objectTitle(kept, title(2)->tracks[1]), QStringLiteral("Coda"));
        QCOMPARE(objectTitle(kept, title(2)), QStringLiteral("Suite"));
        QCOMPARE(objectTitle(kept, title(2)->tracks[0]), QString());

        window->open(QDir(fixture.zoneFolder->path()));
        QCOMPARE(node({0, 2, 1}, ZoneTreeModel::ColumnTitle).data().toString(), QStringLiteral("Coda"));
        QCOMPARE(node({0, 2}, ZoneTreeModel::ColumnTitle).data().toString(), QStringLiteral("Suite"));
        QFile::remove(storedMetadataPath(window->zone()->discId));
    }

    void viewConfiguration()
    {
        ZoneTreeView *view = window->treeView();
        QCOMPARE(view->iconSize(), QSize(30, 20));
        QVERIFY(!view->header()->isHidden());
        QVERIFY(!view->rootIsDecorated());
        QCOMPARE(view->selectionMode(), QAbstractItemView::ExtendedSelection);
        QVERIFY(view->acceptDrops());
        QVERIFY(view->autoFillBackground());
        const QPalette palette = view->palette();
        for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
            QCOMPARE(palette.color(group, QPalette::Base), QColor(96, 96, 96));
            QCOMPARE(palette.color(group, QPalette::Text), QColor(Qt::white));
            // The selection keeps the style's highlight; the running object has an icon.
            QCOMPARE(palette.color(group, QPalette::Highlight), QApplication::palette().color(group, QPalette::Highlight));
        }
    }

    void zoneOfUnknownTitlesetsShowsTheirPlaceholders()
    {
        testzone::Zone zone;
        zone.titlesets.push_back(testzone::Titleset::absent());
        zone.titlesets.push_back(testzone::Titleset::absent());
        testzone::ZoneFolder unknown(zone);
        QVERIFY(unknown.ok());
        DVDAZone dvda{QDir(unknown.path())};
        QCOMPARE(int(dvda.titlesets.size()), 2);
        ZoneTreeModel nodes;
        nodes.setZone(&dvda);
        QCOMPARE(nodes.rowCount(), 1);
        QCOMPARE(nodes.index(0, 0).data().toString(), QStringLiteral("AUDIO_TS.IFO"));
        QCOMPARE(nodes.rowCount(nodes.index(0, 0)), 2); // two placeholders
        QVERIFY(nodes.index(1, 0, nodes.index(0, 0)).data().toString().endsWith(" - could not be read"));

        // No titleset at all: nothing, not even the zone.
        DVDAZone empty{QDir(settingsDir.path())};
        nodes.setZone(&empty);
        QCOMPARE(nodes.rowCount(), 0);
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
