// The main window as main builds it: its form, the enabling of the actions at start-up,
// after opening zones and while an extraction runs; the stored zone folder; the panes.
#include <QClipboard>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>

#include "window/mainwindow.h"
#include "kestrova_version.h"
#include "window/zonetreeview.h"
#include "window/showresult.h"
#include "guitest.h"
#include "guizones.h"
#include "testzone/discimage.h"
#include "zone/dvdazone.h"
#include "text/objectproperties.h"

class TestMainWindow : public QObject {
    Q_OBJECT

    QTemporaryDir settingsDir;
    std::unique_ptr<testzone::ZoneFolder> mixed;
    std::unique_ptr<testzone::ZoneFolder> small;

    static std::unique_ptr<MainWindow> startWindow() { return guitest::startWindow(); }

    static QString storedZoneDir()
    {
        return QSettings(QStringLiteral("Tolvane"), QStringLiteral("Kestrova"))
            .value(QStringLiteral("AudioTsDir"))
            .toString();
    }

    static QStringList actionNames(const QList<QAction *> &actions)
    {
        QStringList names;
        for (QAction *action : actions)
            names << (action->isSeparator() ? QStringLiteral("-") : action->objectName());
        return names;
    }

    // The rows of the properties pane as "label=value".
    static QStringList shownRows(const MainWindow &window)
    {
        const QStringList labels = guitest::propertyColumn(window, 0), values = guitest::propertyColumn(window, 1);
        QStringList rows;
        for (int i = 0; i < labels.size(); ++i)
            rows << labels[i] + QLatin1Char('=') + values[i];
        return rows;
    }

    static QModelIndex firstTrack(const MainWindow &window) { return guitest::treeNode(window, {0, 0, 0}); }
    static int zoneRows(const MainWindow &window) { return window.treeView()->model()->rowCount(); }
    static void select(const MainWindow &window, const QModelIndex &node, bool selected)
    {
        window.treeView()->setSelected(window.treeView()->zoneModel()->object(node), selected);
    }

    // Idle enabling with the zone state given.
    static void verifyIdle(const MainWindow &w, bool zoneOpen)
    {
        QVERIFY(guitest::action(w, "action_Open")->isEnabled());
        QVERIFY(guitest::action(w, "action_Extract")->isVisible());
        QCOMPARE(guitest::action(w, "action_Extract")->isEnabled(), !w.treeView()->selectedObjects().isEmpty());
        QVERIFY(!guitest::action(w, "action_ExtractCancel")->isVisible());
        QCOMPARE(guitest::action(w, "action_SelectAll")->isEnabled(), zoneOpen);
        QVERIFY(w.treeView()->acceptDrops());
        QCOMPARE(w.treeView()->selectionMode(), QAbstractItemView::ExtendedSelection);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(settingsDir.isValid());
        guitest::redirectSettings(settingsDir.path());
        guitest::clearSettings();
        mixed = std::make_unique<testzone::ZoneFolder>(guizones::mixedZone());
        small = std::make_unique<testzone::ZoneFolder>(guizones::smallZone());
        QVERIFY(mixed->ok());
        QVERIFY(small->ok());
    }

    // First of all, before any file dialog was used in this process.
    void openDialogStartsInTheWorkingDirectoryAtFirstUse()
    {
        auto w = startWindow();
        QString startDir, caption;
        QStringList filters;
        guitest::ModalHandler handler([&](QWidget *modal) {
            auto *files = qobject_cast<QFileDialog *>(modal);
            caption = modal->windowTitle();
            if (files) {
                startDir = files->directory().absolutePath();
                filters = files->nameFilters();
                files->reject();
            } else {
                modal->close();
            }
        });
        guitest::action(*w, "action_Open")->trigger();
        QVERIFY(handler.seen());
        QCOMPARE(caption, QStringLiteral("Open DVD-Audio zone"));
        QCOMPARE(filters, QStringList({QStringLiteral("Zones and disc images (*.ifo *.iso *.img)"),
                                       QStringLiteral("AMG files (*.ifo)")}));
        QCOMPARE(startDir, QDir::current().absolutePath());
        // Cancelled: nothing opened, nothing stored.
        QVERIFY(!w->zone());
        QVERIFY(storedZoneDir().isEmpty());
    }

    void formAsBuilt()
    {
        auto w = startWindow();
        QCOMPARE(w->objectName(), QStringLiteral("KestrovaUI"));
        QCOMPARE(w->windowTitle(), QStringLiteral("Kestrova 2008"));
        QVERIFY(!w->windowIcon().isNull());
        // Extract and Cancel share Ctrl+E; only one of them is ever visible.
        QCOMPARE(guitest::action(*w, "action_Extract")->shortcut(), QKeySequence(QStringLiteral("Ctrl+E")));
        QCOMPARE(guitest::action(*w, "action_ExtractCancel")->shortcut(), QKeySequence(QStringLiteral("Ctrl+E")));
        QVERIFY(guitest::action(*w, "action_Toolbar")->isChecked());
        QVERIFY(guitest::action(*w, "action_Statusbar")->isChecked());
        for (QAction *action : {guitest::action(*w, "action_Open"), guitest::action(*w, "action_Extract"), guitest::action(*w, "action_ExtractCancel"), guitest::action(*w, "action_About")})
            QVERIFY2(!action->icon().isNull(), qPrintable(action->objectName()));

        QCOMPARE(actionNames(guitest::part<QMenu>(*w, "menu_File")->actions()),
                 (QStringList{"action_Open", "action_OpenFolder", "", "-", "action_Extract", "action_Verify",
                              "action_ExtractCancel", "action_CheckRip", "-", "action_Exit"}));
        QCOMPARE(guitest::part<QMenu>(*w, "menu_File")->actions().at(2),
                 guitest::part<QMenu>(*w, "menu_Recent")->menuAction());
        QCOMPARE(actionNames(guitest::part<QMenu>(*w, "menu_Edit")->actions()),
                 (QStringList{"action_SelectAll", "action_CopyPath", "action_Album"}));
        QCOMPARE(actionNames(guitest::part<QMenu>(*w, "menu_View")->actions()),
                 (QStringList{"action_Toolbar", "action_Statusbar", "-", "action_Problems"}));
        QCOMPARE(actionNames(guitest::part<QMenu>(*w, "menu_Help")->actions()), QStringList{"action_About"});
        QCOMPARE(w->menuBar()->actions(),
                 (QList<QAction *>{guitest::part<QMenu>(*w, "menu_File")->menuAction(),
                                   guitest::part<QMenu>(*w, "menu_Edit")->menuAction(),
                                   guitest::part<QMenu>(*w, "menu_View")->menuAction(),
                                   guitest::part<QMenu>(*w, "menu_Help")->menuAction()}));
        QCOMPARE(guitest::action(*w, "action_Exit")->shortcut(), QKeySequence(QStringLiteral("Ctrl+Q")));
        QCOMPARE(actionNames(guitest::part<QToolBar>(*w, "toolbar")->actions()),
                 (QStringList{"action_Open", "action_Extract", "action_Verify", "action_ExtractCancel"}));
        QCOMPARE(w->toolBarArea(guitest::part<QToolBar>(*w, "toolbar")), Qt::TopToolBarArea);

        // The central area replaced the placeholder.
        QCOMPARE(w->centralWidget(), static_cast<QWidget *>(w->splitter()));
        QVERIFY(!w->findChild<QToolButton *>(QStringLiteral("toolButton_Open")));
        QCOMPARE(w->splitter()->orientation(), Qt::Horizontal);
        QCOMPARE(w->splitter()->widget(0), static_cast<QWidget *>(w->treeView()));
        QCOMPARE(w->splitter()->widget(1), static_cast<QWidget *>(w->propertiesView()));
        const QAbstractItemModel *rows = w->propertiesView()->model();
        QCOMPARE(rows->columnCount(), 2);
        QCOMPARE(rows->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Parameter"));
        QCOMPARE(rows->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Value"));
        QCOMPARE(w->propertiesView()->selectionMode(), QAbstractItemView::NoSelection);
        QVERIFY(!w->propertiesView()->rootIsDecorated());
        QCOMPARE(w->propertiesView()->palette().color(QPalette::Inactive, QPalette::Base), QColor(227, 230, 228));
    }

    void startUpEnabling()
    {
        auto w = startWindow();
        verifyIdle(*w, false);
        QVERIFY(!guitest::action(*w, "action_Extract")->isEnabled());
        QCOMPARE(zoneRows(*w), 0);
        // The empty tree says what to open or drop; a zone takes its place, a folder
        // without one brings it back.
        QVERIFY(w->treeView()->emptyHint()->isVisible());
        QVERIFY(w->treeView()->emptyHint()->text().startsWith("Open a DVD-Audio disc with File > Open, or drop"));
        w->open(QDir(small->path()));
        QVERIFY(!w->treeView()->emptyHint()->isVisible());
        QTemporaryDir plain;
        w->open(QDir(plain.path()));
        QVERIFY(w->treeView()->emptyHint()->isVisible());
    }

    void openingAZone()
    {
        auto w = startWindow();
        w->open(QDir(small->path()));
        QCOMPARE(storedZoneDir(), QDir(small->path()).path());
        QVERIFY(w->zone());
        QCOMPARE(zoneRows(*w), 1);
        verifyIdle(*w, true);
        QVERIFY(!guitest::action(*w, "action_Extract")->isEnabled());

        // Extract follows the selection.
        const QModelIndex track = firstTrack(*w);
        select(*w, track, true);
        QVERIFY(guitest::action(*w, "action_Extract")->isEnabled());
        select(*w, track, false);
        QVERIFY(!guitest::action(*w, "action_Extract")->isEnabled());

        // The current item's rows are the object's property rows, in order.
        w->treeView()->setCurrentIndex(track);
        QStringList expected;
        for (const PropertyRow &row : objectProperties(guitest::treeObject(*w, {0, 0, 0})))
            expected << row.label + QLatin1Char('=') + row.value;
        QVERIFY(!expected.isEmpty());
        QCOMPARE(shownRows(*w), expected);
        w->treeView()->setCurrentIndex(guitest::treeNode(*w, {}));
        QCOMPARE(shownRows(*w).size(), 1);
        QVERIFY(shownRows(*w).first().startsWith(QStringLiteral("Disc ID=")));
    }

    void openingASecondZoneReplacesTheFirst()
    {
        auto w = startWindow();
        w->open(QDir(mixed->path()));
        QCOMPARE(w->treeView()->model()->rowCount(guitest::treeNode(*w, {})), 3); // the lost titleset too
        w->treeView()->setCurrentIndex(firstTrack(*w));
        QVERIFY(!shownRows(*w).isEmpty());

        w->open(QDir(small->path()));
        QCOMPARE(storedZoneDir(), QDir(small->path()).path());
        QVERIFY(shownRows(*w).isEmpty());
        QCOMPARE(zoneRows(*w), 1);
        const QAbstractItemModel *nodes = w->treeView()->model();
        QCOMPARE(nodes->rowCount(guitest::treeNode(*w, {})), 1);
        QCOMPARE(nodes->rowCount(guitest::treeNode(*w, {0, 0})), 2);
        QCOMPARE(guitest::treeObject(*w, {}), static_cast<DVDAObject *>(w->zone()));
        verifyIdle(*w, true);
    }

    void openingAFolderThatIsNoZone()
    {
        auto w = startWindow();
        w->open(QDir(small->path()));
        QTemporaryDir plain;
        w->open(QDir(plain.path()));
        QCOMPARE(storedZoneDir(), QDir(plain.path()).path());
        QCOMPARE(zoneRows(*w), 0);
        QVERIFY(w->zone());
        QVERIFY(w->zone()->titlesets.empty());
        verifyIdle(*w, true);
        QVERIFY(!guitest::action(*w, "action_Extract")->isEnabled());
    }

    void openDialogOpensTheChosenFilesFolder()
    {
        QSettings(QStringLiteral("Tolvane"), QStringLiteral("Kestrova"))
            .setValue(QStringLiteral("AudioTsDir"), mixed->path());
        auto w = startWindow();
        QString startDir;
        guitest::ModalHandler handler([&](QWidget *modal) {
            auto *files = qobject_cast<QFileDialog *>(modal);
            if (!files) {
                modal->close();
                return;
            }
            startDir = files->directory().absolutePath();
            // A titleset information file of another folder: its folder is opened.
            guitest::chooseFile(files, small->filePath(QStringLiteral("ATS_01_0.IFO")));
        });
        guitest::action(*w, "action_Open")->trigger();
        QVERIFY(handler.seen());
        QCOMPARE(startDir, QDir(mixed->path()).absolutePath());
        QCOMPARE(QDir(storedZoneDir()).absolutePath(), QDir(small->path()).absolutePath());
        QVERIFY(w->zone());
        QCOMPARE(w->zone()->titlesets.size(), size_t(1));
    }

    // A dropped image is opened itself; one that is no image leaves the open zone alone.
    void dropOpensADiscImage_data()
    {
        QTest::addColumn<bool>("image");
        QTest::addColumn<QString>("label"); // of the first tree item
        QTest::newRow("disc image") << true << "small.iso - KESTROVA_TEST";
        QTest::newRow("not an image") << false << "AUDIO_TS.IFO";
    }

    void dropOpensADiscImage()
    {
        QFETCH(bool, image);
        QFETCH(QString, label);
        QTemporaryDir work;
        const QString path = work.filePath(QStringLiteral("small.iso"));
        if (image) {
            QVERIFY(testzone::writeImage(guizones::smallZone(), path));
        } else {
            QFile bytes(path);
            QVERIFY(bytes.open(QIODevice::WriteOnly));
            bytes.write(QByteArray(70000, 'k'));
        }
        auto w = startWindow();
        w->open(QDir(mixed->path()));
        QString warning;
        guitest::ModalHandler handler([&](QWidget *modal) {
            if (auto *box = qobject_cast<QMessageBox *>(modal))
                warning = box->text();
            modal->close();
        });
        QVERIFY(guitest::dropUrls(w->treeView(), {QUrl::fromLocalFile(path)}));
        QCOMPARE(handler.seen(), !image);
        QCOMPARE(warning.contains(QLatin1String("is not a UDF disc image")), !image);
        QVERIFY(w->zone());
        QCOMPARE(guitest::treeNode(*w, {}).data().toString(), label);
        QCOMPARE(QDir(storedZoneDir()).absolutePath(),
                 QDir(image ? work.path() : mixed->path()).absolutePath());
    }

    void dropOpensTheZone()
    {
        auto w = startWindow();
        QVERIFY(guitest::dropUrls(w->treeView(), {QUrl::fromLocalFile(mixed->filePath(QStringLiteral("AUDIO_TS.IFO")))}));
        QCOMPARE(QDir(storedZoneDir()).absolutePath(), QDir(mixed->path()).absolutePath());
        QVERIFY(w->zone());
        QCOMPARE(w->treeView()->model()->rowCount(guitest::treeNode(*w, {})), 3); // the lost titleset too
    }

    void runningExtractionLocksTheZone()
    {
        auto w = startWindow();
        w->open(QDir(small->path()));
        DVDAZone *zone = w->zone();
        select(*w, firstTrack(*w), true);

        // A verification runs, held at its first block by the titleset's I/O lock: the
        // window is busy.
        QMutexLocker hold(&zone->titlesets[0]->ioMutex);
        guitest::action(*w, "action_Verify")->trigger();
        QVERIFY(w->extraction().isRunning());
        QVERIFY(!guitest::action(*w, "action_Open")->isEnabled());
        QVERIFY(!guitest::action(*w, "action_Extract")->isVisible());
        QVERIFY(guitest::action(*w, "action_ExtractCancel")->isVisible());
        QVERIFY(!guitest::action(*w, "action_SelectAll")->isEnabled());
        QVERIFY(!w->treeView()->acceptDrops());

        // Neither a drop nor a direct call replaces the zone the thread reads.
        QVERIFY(!guitest::dropUrls(w->treeView(), {QUrl::fromLocalFile(mixed->path())}));
        w->open(QDir(mixed->path()));
        QCOMPARE(w->zone(), zone);
        QCOMPARE(QDir(storedZoneDir()).absolutePath(), QDir(small->path()).absolutePath());

        guitest::ModalHandler report([](QWidget *modal) { modal->close(); }, 10000);
        hold.unlock();
        QVERIFY(QTest::qWaitFor([&] { return !w->extraction().isRunning() && report.seen(); }, 10000));
        verifyIdle(*w, true);
        select(*w, firstTrack(*w), true); // the verified track was deselected
        QVERIFY(guitest::action(*w, "action_Extract")->isEnabled());
    }

    void toolbarAndStatusbarFollowTheirActions()
    {
        auto w = startWindow();
        guitest::action(*w, "action_Toolbar")->trigger();
        QVERIFY(!guitest::action(*w, "action_Toolbar")->isChecked());
        QVERIFY(!guitest::part<QToolBar>(*w, "toolbar")->isVisible());
        guitest::action(*w, "action_Statusbar")->trigger();
        QVERIFY(!w->statusBar()->isVisible());
        guitest::action(*w, "action_Toolbar")->trigger();
        guitest::action(*w, "action_Statusbar")->trigger();
        QVERIFY(guitest::part<QToolBar>(*w, "toolbar")->isVisible());
        QVERIFY(w->statusBar()->isVisible());
    }

    void aboutBoxClosesOnItsButton()
    {
        auto w = startWindow();
        QString product, title;
        QSize size;
        QWidget *parent = nullptr;
        guitest::ModalHandler handler([&](QWidget *modal) {
            title = modal->windowTitle();
            size = modal->size();
            parent = modal->parentWidget();
            if (auto *label = modal->findChild<QLabel *>(QStringLiteral("labelProduct")))
                product = label->text();
            if (auto *button = modal->findChild<QPushButton *>(QStringLiteral("buttonAbout")))
                QTest::mouseClick(button, Qt::LeftButton);
            else
                modal->close();
        });
        guitest::action(*w, "action_About")->trigger();
        QVERIFY(handler.seen());
        QCOMPARE(title, QStringLiteral("About Kestrova 2008"));
        QCOMPARE(product, QStringLiteral("Kestrova " KESTROVA_VERSION)); // as --version says
        QCOMPARE(size, QSize(360, 104));
        QCOMPARE(parent, static_cast<QWidget *>(w.get()));
        // The box is gone once the slot has returned.
        QVERIFY(!w->findChild<QDialog *>());
        QVERIFY(!QApplication::activeModalWidget());
    }

    // A start argument that names no zone gets the box File > Open shows, not a line on
    // a terminal nobody sees; a mounted disc's root (AUDIO_TS in any case) opens its zone.
    void startArgument_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("message"); // empty: the zone opens
        QTest::addColumn<int>("titlesets");
        QTest::newRow("missing") << "/missing/zone" << "'/missing/zone': no such file or folder" << 0;
        QTest::newRow("folder without a zone") << "plain" << "'%1' holds no DVD-Audio zone: AUDIO_TS.IFO is "
                                                             "missing, unreadable or not valid" << 0;
        QTest::newRow("mounted disc's root") << "root" << "" << 1;
    }
    void startArgument()
    {
        QFETCH(QString, path);
        QFETCH(QString, message);
        QFETCH(int, titlesets);
        QTemporaryDir plain;
        if (path == "plain")
            path = plain.path();
        if (path == "root") {
            path = plain.path();
            QVERIFY(QDir(small->path()).rename(small->path(), plain.filePath("audio_ts")));
        }
        auto w = startWindow();
        QString shown;
        guitest::ModalHandler handler([&](QWidget *modal) {
            if (auto *box = qobject_cast<QMessageBox *>(modal))
                shown = box->text();
            modal->close();
        }, 1000);
        w->openArgument(path);
        if (path == plain.path() && titlesets)
            QVERIFY(QDir().rename(plain.filePath("audio_ts"), small->path()));
        QCOMPARE(shown, message.arg(path));
        QCOMPARE(w->zone() ? int(w->zone()->titlesets.size()) : 0, titlesets);
    }

    // The zones opened last are offered newest first, in this and the next session; the
    // window's size and the panes' split come back too; an entry opens its zone.
    void recentZonesAndLayoutAreKept()
    {
        guitest::clearSettings();
        QList<int> sizes;
        {
            auto w = startWindow();
            w->open(QDir(mixed->path()));
            w->open(QDir(small->path()));
            w->open(QDir(mixed->path()));
            w->resize(700, 500);
            w->splitter()->setSizes({150, 500});
            sizes = w->splitter()->sizes();
            w->close();
        }
        auto w = startWindow();
        QCOMPARE(w->size(), QSize(700, 500));
        QCOMPARE(w->splitter()->sizes(), sizes);
        const QList<QAction *> entries = guitest::part<QMenu>(*w, "menu_Recent")->actions();
        QStringList texts;
        for (QAction *entry : entries)
            texts << (entry->isSeparator() ? "-" : entry->text());
        QCOMPARE(texts, (QStringList{"&1 " + mixed->path(), "&2 " + small->path(), "-", "&Clear Menu"}));
        entries.at(1)->trigger();
        QCOMPARE(w->zone()->titlesets.size(), size_t(1));
        QCOMPARE(w->zone()->dir.path(), small->path());
        // The title bar names the zone's disc folder; the program's name stays.
        QCOMPARE(w->windowTitle(), QDir(small->path()).dirName() + " - Kestrova 2008");
        // Clear empties the menu, which is then off, and the list stays empty.
        guitest::action(*w, "action_ClearRecent")->trigger();
        QVERIFY(guitest::part<QMenu>(*w, "menu_Recent")->actions().isEmpty());
        QVERIFY(!guitest::part<QMenu>(*w, "menu_Recent")->isEnabled());
        QVERIFY(startWindow()->findChild<QMenu *>("menu_Recent")->actions().isEmpty());
    }

    // Copy Path gives what kestrova-cli takes: the zone, then the current item's selector.
    void copyPathGivesTheZoneAndSelector()
    {
        auto w = startWindow();
        w->open(QDir(small->path()));
        w->treeView()->setCurrentIndex(firstTrack(*w));
        guitest::action(*w, "action_CopyPath")->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(), small->path() + " 1/1/1");
    }

    // A right click on an item offers what can be done with it, and what it does is done
    // with that item: it becomes the current one, while the selection stays as it was.
    void treeMenuActsOnTheClickedItem()
    {
        auto w = startWindow();
        w->open(QDir(small->path()));
        ZoneTreeView *tree = w->treeView();
        const QModelIndex track = firstTrack(*w);
        tree->setCurrentIndex(guitest::treeNode(*w, {0, 0, 1}));
        const QList<DVDAObject *> selected = tree->selectedObjects();
        QCOMPARE(selected, QList<DVDAObject *>{guitest::treeObject(*w, {0, 0, 1})});
        tree->scrollTo(track);
        QStringList entries;
        QTimer poll;
        poll.setInterval(10);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            if (!menu)
                return;
            poll.stop();
            for (QAction *entry : menu->actions())
                entries << (entry->isSeparator() ? QStringLiteral("-") : entry->text());
            menu->close();
            guitest::action(*w, "action_CopyPath")->trigger();
        });
        poll.start();
        const QPoint at = tree->visualRect(track).center();
        QContextMenuEvent click(QContextMenuEvent::Mouse, at, tree->viewport()->mapToGlobal(at));
        QCoreApplication::sendEvent(tree->viewport(), &click);
        QCOMPARE(entries, (QStringList{guitest::action(*w, "action_Extract")->text(),
                                       guitest::action(*w, "action_Verify")->text(), "-",
                                       "&Properties", guitest::action(*w, "action_CopyPath")->text()}));
        QCOMPARE(tree->currentIndex(), track);
        QCOMPARE(tree->selectedObjects(), selected);
        QCOMPARE(QGuiApplication::clipboard()->text(), small->path() + " 1/1/1");
    }

    void exitClosesTheWindow()
    {
        auto w = startWindow();
        w->open(QDir(small->path()));
        guitest::action(*w, "action_Exit")->trigger();
        QVERIFY(!w->isVisible());
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
