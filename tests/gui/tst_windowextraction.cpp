// Whole extractions run from the window through the real dialog: the enabling before,
// during and after, the status bar and its progress bar, the marking of the object being
// extracted, the one result message, cancelling with Ctrl+E and closing the window.
#include <QMessageBox>
#include <QProgressBar>
#include <QStatusBar>
#include <QtTest>

#include "app/kestrova.h"
#include "app/zonetreeview.h"
#include "extract/extractdialog.h"
#include "guitest.h"
#include "guizones.h"
#include "zone/dvdazone.h"

namespace {
const QColor markedColour(180, 0, 0);

// Tracks as (title, track), both counted from 1.
using Tracks = QList<QPair<int, int>>;

// What the dialog is set to before it is opened (it loads them from the settings).
struct DialogChoice {
    bool convert = false;
    QString command; // run on every file when not empty
    int cacheMiB = 1000;
    bool deleteFiles = false;
};

// A command that finishes a file only once "<file>.go" exists, so a test decides when
// the job thread moves on.
const char gateScript[] = "while [ ! -e \"$1.go\" ]; do sleep 0.02; done\n";
} // namespace

class TestWindowExtraction : public QObject {
    Q_OBJECT

    QTemporaryDir settingsDir;
    std::unique_ptr<testzone::ZoneFolder> zoneFolder;
    std::unique_ptr<QTemporaryDir> outputDir;
    QString gatedCommand;

    // Title t (1-based), track k (1-based) of the only titleset.
    static QTreeWidgetItem *trackItem(const Kestrova &w, int t, int k)
    {
        return w.treeView->topLevelItem(0)->child(0)->child(t - 1)->child(k - 1);
    }

    std::unique_ptr<Kestrova> windowWithSelection(const Tracks &tracks)
    {
        auto w = guitest::startWindow();
        w->activateWindow(); // for Ctrl+E
        if (!QTest::qWaitForWindowActive(w.get()))
            qWarning("window not active");
        w->open(QDir(zoneFolder->path()));
        for (const auto &track : tracks)
            trackItem(*w, track.first, track.second)->setSelected(true);
        return w;
    }

    void storeChoice(const DialogChoice &choice)
    {
        QSettings settings(QStringLiteral("Tolvane"), QStringLiteral("Kestrova"));
        settings.setValue(QStringLiteral("ExtractDir"), outputDir->path());
        settings.setValue(QStringLiteral("Convert"), choice.convert);
        settings.setValue(QStringLiteral("Run"), choice.command.isEmpty() ? 0 : 2);
        settings.setValue(QStringLiteral("Command"), choice.command);
        settings.setValue(QStringLiteral("Cache"), choice.cacheMiB);
        settings.setValue(QStringLiteral("Delete"), choice.deleteFiles ? 2 : 0);
    }

    // Ctrl+E with the choice stored; the dialog is confirmed with its own button. Returns
    // once the threads run, having checked the window while the dialog was open.
    void startExtraction(Kestrova &w, const DialogChoice &choice)
    {
        storeChoice(choice);
        bool dialogSeen = false;
        guitest::ModalHandler handler([&](QWidget *modal) {
            auto *dialog = qobject_cast<Extract *>(modal);
            if (!dialog) {
                modal->close();
                return;
            }
            dialogSeen = true;
            QCOMPARE(dialog->parentWidget(), static_cast<QWidget *>(&w));
            QCOMPARE(w.treeView->selectionMode(), QAbstractItemView::NoSelection);
            QVERIFY(w.action_Open->isEnabled());
            QVERIFY(!w.action_ExtractCancel->isVisible());
            QVERIFY(w.treeView->acceptDrops());
            QTest::mouseClick(dialog->extractRun, Qt::LeftButton);
        });
        QTest::keyClick(&w, Qt::Key_E, Qt::ControlModifier);
        QVERIFY(dialogSeen);
        QVERIFY(w.extractThread);
        verifyRunning(w);
    }

    // One or both threads running.
    static void verifyRunning(const Kestrova &w)
    {
        QVERIFY(w.busy());
        QVERIFY(!w.action_Open->isEnabled());
        QVERIFY(!w.action_Extract->isVisible());
        QVERIFY(w.action_ExtractCancel->isVisible());
        QVERIFY(!w.action_SelectAll->isEnabled());
        QVERIFY(!w.treeView->acceptDrops());
        QCOMPARE(w.treeView->selectionMode(), QAbstractItemView::NoSelection);
        QVERIFY(w.refreshTimer.isActive());
        QCOMPARE(w.refreshTimer.interval(), 500);
    }

    static void verifyIdle(const Kestrova &w)
    {
        QVERIFY(!w.busy());
        QVERIFY(!w.progressBar);
        QVERIFY(!w.refreshTimer.isActive());
        QVERIFY(w.action_Open->isEnabled());
        QVERIFY(w.action_Extract->isVisible());
        QCOMPARE(w.action_Extract->isEnabled(), !w.treeView->selectedItems().isEmpty());
        QVERIFY(!w.action_ExtractCancel->isVisible());
        QVERIFY(w.action_SelectAll->isEnabled());
        QVERIFY(w.treeView->acceptDrops());
        QCOMPARE(w.treeView->selectionMode(), QAbstractItemView::ExtendedSelection);
    }

    // Waits for the end: the texts of every message box shown, each closed at once.
    static QStringList awaitMessages(Kestrova &w)
    {
        QStringList messages;
        std::function<void(QWidget *)> close;
        std::unique_ptr<guitest::ModalHandler> handler;
        close = [&](QWidget *modal) {
            if (auto *box = qobject_cast<QMessageBox *>(modal))
                messages << box->text();
            modal->close();
        };
        handler = std::make_unique<guitest::ModalHandler>(close, 30000);
        if (!QTest::qWaitFor([&] { return !w.busy() && handler->seen(); }, 30000))
            return {QStringLiteral("no end")};
        // A second box would come within this time.
        handler = std::make_unique<guitest::ModalHandler>(close, 300);
        QTest::qWait(400);
        return messages;
    }

    QString outputFile(const QString &prefix, const QString &extension) const
    {
        const QStringList names = QDir(outputDir->path()).entryList({prefix + QLatin1String("*.") + extension});
        return names.size() == 1 ? outputDir->filePath(names.first()) : QString();
    }

    QStringList outputFiles() const { return QDir(outputDir->path()).entryList(QDir::Files, QDir::Name); }

    // Waits for the status bar to show text (it is refreshed every 500 ms).
    static bool statusShows(const Kestrova &w, const QString &text)
    {
        return QTest::qWaitFor([&] { return w.statusbar->currentMessage() == text; }, 5000);
    }

    // Two objects, no cache: the walk waits for the first file's command, which waits
    // for its gate.
    void startGatedExtraction(Kestrova &w, bool deleteFiles)
    {
        DialogChoice choice;
        choice.command = gatedCommand;
        choice.cacheMiB = 0;
        choice.deleteFiles = deleteFiles;
        startExtraction(w, choice);
        QVERIFY(statusShows(w, QStringLiteral("[Jobs:1] Waiting...")));
    }

    static void releaseGate(const QString &file)
    {
        QFile gate(file + QLatin1String(".go"));
        QVERIFY(gate.open(QIODevice::WriteOnly));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(settingsDir.isValid());
        guitest::redirectSettings(settingsDir.path());
        guitest::clearSettings();
        zoneFolder = std::make_unique<testzone::ZoneFolder>(guizones::extractionZone());
        QVERIFY(zoneFolder->ok());
        QFile script(settingsDir.filePath(QStringLiteral("gate.sh")));
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write(gateScript);
        gatedCommand = QStringLiteral("sh \"%1\" \"%filepath%\"").arg(script.fileName());
    }

    void init()
    {
        outputDir = std::make_unique<QTemporaryDir>();
        QVERIFY(outputDir->isValid());
    }

    void cancelledDialogChangesNothingButTheSelectionMode()
    {
        auto w = windowWithSelection({{1, 1}});
        guitest::ModalHandler handler([](QWidget *modal) { modal->close(); });
        w->action_Extract->trigger();
        QVERIFY(handler.seen());
        verifyIdle(*w);
        QVERIFY(outputFiles().isEmpty());
    }

    // tracks: the selection as (title, track); succeeded: the tracks left unselected.
    void wholeExtraction_data()
    {
        QTest::addColumn<Tracks>("tracks");
        QTest::addColumn<bool>("convert");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<Tracks>("stillSelected");
        const Tracks two = {{1, 1}, {2, 2}};
        QTest::newRow("stored") << two << false << QString() << "Extraction succeeded."
                                << QStringList{"track-01-01[0]-01-[L-R]-16-48000.pcm",
                                               "track-01-02[0]-02-[L-R]-16-48000.pcm"}
                                << Tracks{};
        QTest::newRow("wave to flac, files deleted")
            << two << true << QStringLiteral("flac -s -f \"%filepath%\"") << "Extraction succeeded."
            << QStringList{"track-01-01[0]-01-[L-R]-16-48000.flac", "track-01-02[0]-02-[L-R]-16-48000.flac"}
            << Tracks{};
        // The extraction succeeds, the command fails: the command's failure is reported.
        QTest::newRow("command fails") << two << false << QStringLiteral("false") << "External program failed."
                                       << QStringList{"track-01-01[0]-01-[L-R]-16-48000.pcm",
                                                      "track-01-02[0]-02-[L-R]-16-48000.pcm"}
                                       << Tracks{};
        // Track 4 lies past the AOB file: it fails (leaving the empty file of a stream it
        // could not read) and stays selected, as does track 3, which the extraction did
        // not get to.
        QTest::newRow("third object fails")
            << Tracks{{2, 1}, {2, 2}, {2, 4}, {2, 3}} << false << QString()
            << "Cannot find block in DVD-Audio zone."
            << QStringList{"track-01-02[0]-01-[L-R]-16-48000.pcm", "track-01-02[0]-02-[L-R]-16-48000.pcm",
                           "track-01-02[0]-04.raw"}
            << Tracks{{2, 3}, {2, 4}};
    }
    void wholeExtraction()
    {
        QFETCH(Tracks, tracks);
        QFETCH(bool, convert);
        QFETCH(QString, command);
        QFETCH(QString, message);
        QFETCH(QStringList, files);
        QFETCH(Tracks, stillSelected);

        auto w = windowWithSelection(tracks);
        DialogChoice choice;
        choice.convert = convert;
        choice.command = command;
        choice.deleteFiles = convert;
        startExtraction(*w, choice);
        QCOMPARE(w->jobThread != nullptr, !command.isEmpty());

        QCOMPARE(awaitMessages(*w), QStringList{message});
        verifyIdle(*w);
        QCOMPARE(w->jobQueue.count(), 0);
        QCOMPARE(outputFiles(), files);
        QStringList expectedSelection, selection;
        for (const auto &track : stillSelected)
            expectedSelection << trackItem(*w, track.first, track.second)->text(0);
        for (QTreeWidgetItem *item : w->treeView->selectedItems()) {
            selection << item->text(0);
            QCOMPARE(item->background(0), QBrush());
        }
        expectedSelection.sort();
        selection.sort();
        QCOMPARE(selection, expectedSelection);
    }

    // The extraction thread held on its first block by the titleset's I/O lock.
    void statusWhileDumping_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("status");
        QTest::newRow("no command") << QString() << " TS:01 TI:02[0] TR:03 BL:00000012";
        QTest::newRow("command") << QStringLiteral("true") << "[Jobs:0] TS:01 TI:02[0] TR:03 BL:00000012";
    }
    void statusWhileDumping()
    {
        QFETCH(QString, command);
        QFETCH(QString, status);
        auto w = windowWithSelection({{2, 3}});
        QTreeWidgetItem *item = trackItem(*w, 2, 3);
        DVDATitleset *titleset = w->zone->titlesets[0];
        DialogChoice choice;
        choice.command = command;
        {
            QMutexLocker hold(&titleset->ioMutex);
            startExtraction(*w, choice);
            QVERIFY(statusShows(*w, status));
            // Marked: red and no longer selected.
            QCOMPARE(item->background(0), QBrush(markedColour));
            QVERIFY(!item->isSelected());

            // The progress bar: the middle third of the status bar, at 0 %, also after a resize.
            QVERIFY(w->progressBar);
            QCOMPARE(w->progressBar->parentWidget(), static_cast<QWidget *>(w->statusbar));
            for (int width : {640, 901}) {
                w->resize(width, 400);
                QTRY_COMPARE(w->statusbar->width(), width);
                const int W = w->statusbar->width(), H = w->statusbar->height();
                QVERIFY(H > 7);
                QCOMPARE(w->progressBar->geometry(), QRect(W / 2 - (W / 3) / 2, 2, W / 3, H - 4));
            }
            QVERIFY(w->progressBar->isVisible());
            QCOMPARE(w->progressBar->value(), 0);
            QCOMPARE(w->progressBar->alignment(), Qt::AlignHCenter | Qt::AlignVCenter);
            QCOMPARE(w->progressBar->palette().color(QPalette::Inactive, QPalette::Base), QColor(96, 96, 96));
        }
        QCOMPARE(awaitMessages(*w), QStringList{"Extraction succeeded."});
        QCOMPARE(item->background(0), QBrush());
        QVERIFY(!item->isSelected());
        QCOMPARE(w->statusbar->currentMessage(), QStringLiteral("Done"));
    }

    void statusWhileTheCommandRuns()
    {
        auto w = windowWithSelection({{1, 1}, {2, 1}});
        startGatedExtraction(*w, false);
        QVERIFY(!w->progressBar->isVisible());
        QCOMPARE(trackItem(*w, 2, 1)->background(0), QBrush()); // not started yet
        releaseGate(outputFile(QStringLiteral("track-01-01"), QStringLiteral("pcm")));

        // The walk ends; the second file's command still runs.
        QVERIFY(QTest::qWaitFor([&] { return !w->extractThread; }, 5000));
        QVERIFY(!w->progressBar);
        verifyRunning(*w);
        QVERIFY(statusShows(*w, QStringLiteral("[Jobs:1] Finishing...")));
        releaseGate(outputFile(QStringLiteral("track-01-02"), QStringLiteral("pcm")));
        QCOMPARE(awaitMessages(*w), QStringList{"Extraction succeeded."});
    }

    void ctrlECancels()
    {
        auto w = windowWithSelection({{1, 1}, {2, 1}});
        startGatedExtraction(*w, false);

        // Back in the window, as the user clicks it after the dialog.
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        QTest::keyClick(w.get(), Qt::Key_E, Qt::ControlModifier);
        QCOMPARE(awaitMessages(*w), QStringList{"Extraction cancelled by user request."});
        verifyIdle(*w);
        // The finished first file stays; the second object was never begun.
        QCOMPARE(outputFiles(), QStringList{"track-01-01[0]-01-[L-R]-16-48000.pcm"});
        QVERIFY(trackItem(*w, 2, 1)->isSelected());
    }

    void closingTheWindowEndsBothThreads()
    {
        auto w = windowWithSelection({{1, 1}, {2, 1}});
        startGatedExtraction(*w, true);
        const QString first = outputFile(QStringLiteral("track-01-01"), QStringLiteral("pcm"));
        const qint64 size = QFileInfo(first).size();
        QVERIFY(size > 0);

        QVERIFY(w->close());
        QVERIFY(!w->busy());
        QVERIFY(!w->progressBar);
        // No message box once the window has gone.
        guitest::ModalHandler handler([](QWidget *modal) { modal->close(); }, 700);
        QTest::qWait(800);
        QVERIFY(!handler.seen());
        // The command was killed before it finished: its file is neither lost nor deleted.
        QCOMPARE(QFileInfo(first).size(), size);
        QCOMPARE(outputFiles(), QStringList{QFileInfo(first).fileName()});
    }
};

QTEST_MAIN(TestWindowExtraction)
#include "tst_windowextraction.moc"
