// Whole extractions run from the window through the real dialog: the enabling before,
// during and after, the status bar and its progress bar, the marking of the object being
// extracted, the one result message, cancelling with Ctrl+E and closing the window.
#include <QLabel>
#include <QRegularExpression>
#include <QMessageBox>
#include <QProgressBar>
#include <QStatusBar>
#include <QStyle>
#include <QtTest>

#include "zone/dvdazone.h"
#include "window/albumdialog.h"
#include "window/extractdialog.h"
#include "ui_extract.h"
#include "window/zonetreeview.h"
#include "guitest.h"
#include "guizones.h"
#include "testzone/dumpzone.h"
#include "testzone/pcmtrack.h"
#include "testzone/wavereader.h"

namespace {
using Tracks = QList<QPair<int, int>>; // (title, track), both from 1

// Finishes a file only once "<file>.go" exists, so the test decides when the job thread
// moves on.
const char gateScript[] = "while [ ! -e \"$1.go\" ]; do sleep 0.02; done\n";
const char firstFile[] = "track-01-01[0]-01-[L-R]-16-48000.pcm";
} // namespace

class TestWindowExtraction : public QObject {
    Q_OBJECT

    guitest::ZoneWindows fixture;
    const QTemporaryDir &settingsDir = fixture.settingsDir;
    std::unique_ptr<QTemporaryDir> out;
    QString gatedCommand;
    QStringList lastDetails;

    static DVDAObject *trackObject(const MainWindow &w, int title, int track)
    {
        return guitest::treeObject(w, {0, title - 1, track - 1});
    }
    static bool isSelected(const MainWindow &w, int title, int track)
    {
        return w.treeView()->selectedObjects().contains(trackObject(w, title, track));
    }
    static QImage iconOf(const MainWindow &w, int title, int track)
    {
        const QModelIndex node = guitest::treeNode(w, {0, title - 1, track - 1});
        return node.data(Qt::DecorationRole).value<QIcon>().pixmap(16, 16).toImage();
    }

    std::unique_ptr<MainWindow> windowWithSelection(const Tracks &tracks)
    {
        auto w = fixture.openWindow();
        for (const auto &track : tracks)
            w->treeView()->setSelected(trackObject(*w, track.first, track.second), true);
        return w;
    }

    // Ctrl+E with the dialog's choices stored as a returning user left them; the dialog
    // is confirmed with its own button. Returns once the threads run.
    void startExtraction(MainWindow &w, const QString &command, bool convert = false, int cacheMiB = 1000)
    {
        QSettings settings(QStringLiteral("Tolvane"), QStringLiteral("Kestrova"));
        settings.setValue(QStringLiteral("ExtractDir"), out->path());
        settings.setValue(QStringLiteral("Convert"), convert);
        settings.setValue(QStringLiteral("Run"), command.isEmpty() ? 0 : 2);
        settings.setValue(QStringLiteral("Command"), command);
        settings.setValue(QStringLiteral("Cache"), cacheMiB);
        settings.setValue(QStringLiteral("Delete"), convert ? 2 : 0);
        bool dialogSeen = false;
        guitest::ModalHandler handler([&](QWidget *modal) {
            auto *dialog = qobject_cast<ExtractDialog *>(modal);
            dialogSeen = dialog && w.treeView()->selectionMode() == QAbstractItemView::NoSelection
                         && !guitest::action(w, "action_ExtractCancel")->isVisible() && guitest::action(w, "action_Open")->isEnabled();
            if (dialog)
                QTest::mouseClick(dialog->form().extractRun, Qt::LeftButton);
            modal->close();
        });
        pressCtrlE(w);
        QVERIFY(dialogSeen);
        QVERIFY(w.extraction().isRunning());
        verifyEnabling(w, true);
    }

    // Confirms the extraction dialog with its own button, then hands the message box that
    // follows to `answer` and closes it; boxSeen says when that box has come.
    class DialogThenBox {
    public:
        explicit DialogThenBox(std::function<void(QMessageBox *)> answer)
            : dialog([this, answer](QWidget *modal) {
                  if (auto *d = qobject_cast<ExtractDialog *>(modal))
                      QTest::mouseClick(d->form().extractRun, Qt::LeftButton);
                  modal->close();
                  box = std::make_unique<guitest::ModalHandler>([answer](QWidget *m) {
                      if (auto *b = qobject_cast<QMessageBox *>(m))
                          answer(b);
                      m->close();
                  });
              })
        {
        }
        bool boxSeen() const { return box && box->seen(); }

    private:
        std::unique_ptr<guitest::ModalHandler> box;
        guitest::ModalHandler dialog;
    };

    // As the user does, in the window (also right after the dialog closed).
    static void pressCtrlE(MainWindow &w)
    {
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QTest::keyClick(&w, Qt::Key_E, Qt::ControlModifier);
    }

    static void verifyEnabling(const MainWindow &w, bool running)
    {
        QCOMPARE(w.extraction().isRunning(), running);
        QCOMPARE(guitest::action(w, "action_Open")->isEnabled(), !running);
        QCOMPARE(guitest::action(w, "action_Extract")->isVisible(), !running);
        QCOMPARE(guitest::action(w, "action_ExtractCancel")->isVisible(), running);
        QCOMPARE(guitest::action(w, "action_SelectAll")->isEnabled(), !running);
        QCOMPARE(w.treeView()->acceptDrops(), !running);
        QCOMPARE(w.treeView()->selectionMode(),
                 running ? QAbstractItemView::NoSelection : QAbstractItemView::ExtendedSelection);
        if (!running)
            QCOMPARE(guitest::action(w, "action_Extract")->isEnabled(), !w.treeView()->selectedObjects().isEmpty());
    }

    // Waits for the end; the texts of the message boxes shown, each closed at once. The
    // last box's lines below its text and its buttons are kept in lastDetails.
    QStringList awaitMessages(MainWindow &w, int timeoutMs = 30000)
    {
        QStringList messages;
        std::unique_ptr<guitest::ModalHandler> handler;
        const auto close = [&](QWidget *modal) {
            if (auto *box = qobject_cast<QMessageBox *>(modal)) {
                messages << box->text();
                lastDetails = box->informativeText().split('\n');
                for (QAbstractButton *button : box->buttons())
                    lastDetails << "[" + button->text() + "]";
            }
            modal->close();
        };
        handler = std::make_unique<guitest::ModalHandler>(close, timeoutMs);
        if (!QTest::qWaitFor([&] { return !w.extraction().isRunning() && handler->seen(); }, timeoutMs) && w.extraction().isRunning())
            messages << QStringLiteral("(no end)");
        handler = std::make_unique<guitest::ModalHandler>(close, 300); // a second box?
        (void)QTest::qWaitFor([&] { return handler->seen(); }, 400);
        return messages;
    }

    // The whole extraction's progress at the right of the status bar.
    static QString wholeText(const MainWindow &w)
    {
        const auto *label = w.statusBar()->findChild<QLabel *>(QStringLiteral("wholeProgress"));
        return label ? label->text() : QStringLiteral("(no label)");
    }

    QStringList outputFiles() const { return QDir(out->path()).entryList({"track*"}, QDir::Files, QDir::Name); }

    // The status bar's text begins with text, within 5 s.
    static bool statusShows(const MainWindow &w, const char *text)
    {
        return QTest::qWaitFor([&] { return w.statusBar()->currentMessage().startsWith(QString::fromUtf8(text)); });
    }

    // Two objects, no cache: the walk waits for the first file's command, held by its gate.
    void startGatedExtraction(MainWindow &w)
    {
        startExtraction(w, gatedCommand, false, 0);
        QVERIFY(statusShows(w, "Waiting for the command... · files waiting for the command: 1"));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(fixture.setUp(guizones::extractionZone()));
        QFile script(settingsDir.filePath(QStringLiteral("gate.sh")));
        QVERIFY(script.open(QIODevice::WriteOnly) && script.write(gateScript) > 0);
        gatedCommand = QStringLiteral("sh \"%1\" \"%filepath%\"").arg(script.fileName());
    }

    // Each test starts from no settings: a choice one test leaves stays out of the next.
    // The objects go one at a time, in the order the tests hold them back.
    void init()
    {
        guitest::clearSettings();
        QSettings(QStringLiteral("Tolvane"), QStringLiteral("Kestrova")).setValue(QStringLiteral("Threads"), 1);
        out = std::make_unique<QTemporaryDir>();
    }

    void cancelledDialogChangesNothing()
    {
        auto w = windowWithSelection({{1, 1}});
        guitest::ModalHandler handler([](QWidget *modal) { modal->close(); });
        guitest::action(*w, "action_Extract")->trigger();
        QVERIFY(handler.seen());
        verifyEnabling(*w, false);
        QVERIFY(!w->progressBar());
    }

    void wholeExtraction_data()
    {
        QTest::addColumn<Tracks>("tracks");
        QTest::addColumn<bool>("convert");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("files"); // their last characters, in name order
        QTest::addColumn<Tracks>("stillSelected");
        const Tracks two = {{1, 1}, {2, 2}};
        QTest::newRow("stored") << two << false << "" << "Extraction succeeded." << "0.pcm 0.pcm" << Tracks();
        QTest::newRow("wave to flac, deleted")
            << two << true << "flac -s -f \"%filepath%\"" << "Extraction succeeded." << "0.flac 0.flac" << Tracks();
        // The walk succeeds, the command fails: the command's failure is reported, and the
        // tracks whose files it failed on stay selected.
        QTest::newRow("command fails") << two << false << "false" << "External program failed."
                                       << "0.pcm 0.pcm" << two;
        // Track 4 lies past the AOB file: it fails before any file of it is created and
        // stays selected; the run goes on with track 3.
        QTest::newRow("third fails") << Tracks{{2, 1}, {2, 2}, {2, 4}, {2, 3}} << false << ""
                                     << "Cannot find block in DVD-Audio zone." << "0.pcm 0.pcm 0.pcm"
                                     << Tracks{{2, 4}};
    }
    void wholeExtraction()
    {
        QFETCH(Tracks, tracks);
        QFETCH(bool, convert);
        QFETCH(QString, command);
        QFETCH(QString, message);
        QFETCH(QString, files);
        QFETCH(Tracks, stillSelected);
        auto w = windowWithSelection(tracks);
        QList<QImage> icons;
        for (const auto &track : tracks)
            icons << iconOf(*w, track.first, track.second);
        startExtraction(*w, command, convert);
        QCOMPARE(w->extraction().status().runsJobs, !command.isEmpty());

        QCOMPARE(awaitMessages(*w), QStringList{message});
        verifyEnabling(*w, false);
        QVERIFY(!w->progressBar());
        // What was written, below the message, and the folder offered.
        // What was written, the folder and the rip log, and the folder offered.
        QVERIFY2(QRegularExpression(QString("^%1 files written, [0-9.]+ MB, in 0:00:\\d\\d(, \\d failures?)?$").arg(files.count(' ') + 1))
                     .match(lastDetails.value(lastDetails.size() - 5)).hasMatch(), qPrintable(lastDetails.join('|')));
        QCOMPARE(lastDetails.value(lastDetails.size() - 4), "Folder: " + out->path());
        QCOMPARE(lastDetails.value(lastDetails.size() - 3), "Rip log: " + out->filePath("kestrova-rip.log"));
        QVERIFY(lastDetails.contains("[Open Folder]"));
        QVERIFY(QFile::exists(out->filePath("kestrova-rip.log")));
        const QStringList names = outputFiles();
        QCOMPARE(names.size(), files.count(' ') + 1);
        for (int i = 0; i < names.size(); ++i)
            QVERIFY2(names[i].endsWith(files.section(' ', i, i)), qPrintable(names[i]));
        QList<DVDAObject *> expected;
        for (const auto &track : stillSelected)
            expected << trackObject(*w, track.first, track.second);
        QList<DVDAObject *> selected = w->treeView()->selectedObjects();
        std::sort(expected.begin(), expected.end());
        std::sort(selected.begin(), selected.end());
        QCOMPARE(selected, expected);
        // The running mark is gone: every track has its own icon again.
        for (int i = 0; i < tracks.size(); ++i)
            QCOMPARE(iconOf(*w, tracks[i].first, tracks[i].second), icons[i]);
    }

    // A choice made in the dialog, as a user does: FLAC gives a .flac file, "One file per
    // title" the selected track's title as one file with its cue sheet beside it. Either
    // decodes to the samples written into the zone (16-bit stereo, every byte 0x11), and
    // the choice is kept.
    void choiceInTheDialog_data()
    {
        QTest::addColumn<QString>("choice");
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("setting");
        QTest::addColumn<QVariant>("kept");
        QTest::newRow("FLAC") << "flac" << QStringList{"kestrova-rip.log", "track-01-01[0]-01-[L-R]-16-48000.flac"}
                              << "Format" << QVariant("flac");
        QTest::newRow("one file per title") << "title"
            << QStringList{"kestrova-rip.log", "title-01-01[0]-[L-R]-16-48000.cue", "title-01-01[0]-[L-R]-16-48000.wav"}
            << "PerTitle" << QVariant(true);
    }
    void choiceInTheDialog()
    {
        QFETCH(QString, choice);
        QFETCH(QStringList, files);
        QFETCH(QString, setting);
        QFETCH(QVariant, kept);
        if (!testzone::haveTool("ffmpeg"))
            QSKIP("ffmpeg is needed to read the file back");
        auto w = windowWithSelection({{1, 1}});
        QSettings settings(QStringLiteral("Tolvane"), QStringLiteral("Kestrova"));
        settings.setValue(QStringLiteral("ExtractDir"), out->path());
        settings.setValue(QStringLiteral("Convert"), true);
        settings.setValue(QStringLiteral("Run"), 0);
        guitest::ModalHandler handler([choice](QWidget *modal) {
            if (auto *dialog = qobject_cast<ExtractDialog *>(modal)) {
                if (choice == "flac") {
                    guitest::clickIndicator(dialog->form().radioFlac);
                    QVERIFY(dialog->form().spinCompression->isEnabled());
                } else {
                    guitest::clickIndicator(dialog->form().radioWave);
                    dialog->form().checkPerTitle->setChecked(true);
                }
                QTest::mouseClick(dialog->form().extractRun, Qt::LeftButton);
            }
            modal->close();
        });
        pressCtrlE(*w);
        QCOMPARE(awaitMessages(*w), QStringList{"Extraction succeeded."});
        QCOMPARE(QDir(out->path()).entryList(QDir::Files, QDir::Name), files);
        const QString audio = out->filePath(files.last());
        const testzone::Decoded d = testzone::decode(audio);
        QCOMPARE(d.error, QString());
        QCOMPARE(d.channels, 2);
        QCOMPARE(d.samples, QByteArray::fromHex("00001111").repeated(4 * 1200 / 2));
        if (audio.endsWith(".wav"))
            QCOMPARE(testzone::readWave(audio).cues.size(), size_t(1));
        QCOMPARE(settings.value(setting), kept);
    }

    // The walk held on the first block of title 2, track 3 by the titleset's I/O lock.
    // A second extraction into the folder of the first asks once before anything is
    // written: Cancel leaves the first rip's file as it was, with the selection kept;
    // Overwrite replaces it.
    void existingFilesAreReplacedOnlyWhenAsked_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::newRow("cancel") << "Cancel";
        QTest::newRow("overwrite") << "Overwrite";
    }
    void existingFilesAreReplacedOnlyWhenAsked()
    {
        QFETCH(QString, answer);
        auto w = windowWithSelection({{1, 1}});
        startExtraction(*w, QString());
        QCOMPARE(awaitMessages(*w), QStringList{"Extraction succeeded."});
        const QString path = out->filePath(firstFile);
        const QByteArray stored = dumpzone::fileBytes(path);
        QFile first(path);
        QVERIFY(first.open(QIODevice::WriteOnly) && first.write("first rip") == 9);
        first.close();

        w->treeView()->setSelected(trackObject(*w, 1, 1), true);
        QString question;
        DialogThenBox asked([&](QMessageBox *m) {
            question = m->text() + ' ' + m->informativeText();
            for (QAbstractButton *button : m->buttons())
                if (button->text() == answer)
                    button->click();
        });
        pressCtrlE(*w);
        QVERIFY(QTest::qWaitFor([&] { return asked.boxSeen(); }));
        QCOMPARE(question, QString("1 file of this extraction exists already in %1. %2\n"
                                   "Overwrite them, or cancel and choose another folder?")
                               .arg(out->path(), firstFile));
        if (answer == "Cancel") {
            verifyEnabling(*w, false);
            QCOMPARE(w->treeView()->selectedObjects(), QList<DVDAObject *>{trackObject(*w, 1, 1)});
            QCOMPARE(dumpzone::fileBytes(path), QByteArray("first rip"));
            return;
        }
        QCOMPARE(awaitMessages(*w), QStringList{"Extraction succeeded."});
        QCOMPARE(dumpzone::fileBytes(path), stored);
    }

    // Edit > Album keeps the album's fields for the disc, and the next extraction tags its
    // FLAC files with them, as metaflac reads them.
    void albumTagsTheFiles()
    {
        QTemporaryDir data;
        QVERIFY(data.isValid());
        const QByteArray saved = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", data.path().toUtf8());
        auto w = windowWithSelection({{1, 1}});
        // The track's title typed into the tree, and a cover dropped on the dialog (a file
        // that is no image is not taken).
        QVERIFY(w->treeView()->model()->setData(guitest::treeNode(*w, {0, 0, 0}, ZoneTreeModel::ColumnTitle), "Dawn"));
        const QString cover = data.filePath("front.png"), notes = data.filePath("notes.txt");
        QImage image(40, 30, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        QVERIFY(image.save(cover) && QFile(notes).open(QIODevice::WriteOnly));
        guitest::ModalHandler album([&](QWidget *modal) {
            if (auto *dialog = qobject_cast<AlbumDialog *>(modal)) {
                QTest::keyClicks(dialog->field("ALBUM"), "Night Songs");
                QTest::keyClicks(dialog->field("ARTIST"), "The Band");
                QVERIFY(!guitest::dropUrls(dialog, {QUrl::fromLocalFile(notes)}));
                QVERIFY(guitest::dropUrls(dialog, {QUrl::fromLocalFile(cover)}));
                QCOMPARE(dialog->field("cover")->text(), cover);
                dialog->accept();
                return;
            }
            modal->close();
        });
        guitest::action(*w, "action_Album")->trigger();
        QVERIFY(album.seen());
        QSettings settings(QStringLiteral("Tolvane"), QStringLiteral("Kestrova"));
        settings.setValue(QStringLiteral("Format"), "flac");
        startExtraction(*w, QString(), true);
        awaitMessages(*w);
        qputenv("XDG_DATA_HOME", saved);
        const QStringList flacs = QDir(out->path()).entryList({"*.flac"}, QDir::Files);
        QCOMPARE(flacs.size(), 1);
        QByteArray tags;
        QCOMPARE(testzone::runTool("metaflac", {"--export-tags-to=-", out->filePath(flacs[0])}, &tags), QString());
        QVERIFY2(tags.contains("ALBUM=Night Songs\n") && tags.contains("ARTIST=The Band\n") && tags.contains("TITLE=Dawn\n"),
                 tags.constData());
        QByteArray picture;
        QCOMPARE(testzone::runTool("metaflac", {"--list", "--block-type=PICTURE", out->filePath(flacs[0])}, &picture), QString());
        QVERIFY2(picture.contains("width: 40") && picture.contains("MIME type: image/png"), picture.constData());
    }

    // Album fields filled in while a rip runs tag the objects it has not begun: the first
    // track's command holds the rip (cache 0) while Edit > Album is used.
    void albumDuringARipTagsTheRest()
    {
        QTemporaryDir data;
        QVERIFY(data.isValid());
        const QByteArray saved = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", data.path().toUtf8());
        QSettings settings(QStringLiteral("Tolvane"), QStringLiteral("Kestrova"));
        for (const auto &[key, value] : std::initializer_list<std::pair<const char *, QVariant>>{
                 {"ExtractDir", out->path()}, {"Convert", true}, {"Format", "flac"}, {"Run", 2},
                 {"Command", gatedCommand}, {"Cache", 0}})
            settings.setValue(QLatin1String(key), value);
        auto w = windowWithSelection({{1, 1}, {2, 1}});
        guitest::ModalHandler dialog([](QWidget *modal) {
            if (auto *d = qobject_cast<ExtractDialog *>(modal))
                QTest::mouseClick(d->form().extractRun, Qt::LeftButton);
            modal->close();
        });
        pressCtrlE(*w);
        QVERIFY(dialog.seen());
        QVERIFY(statusShows(*w, "Waiting for the command..."));
        guitest::ModalHandler album([](QWidget *modal) {
            if (auto *a = qobject_cast<AlbumDialog *>(modal)) {
                QTest::keyClicks(a->field("ALBUM"), "Later");
                a->accept();
                return;
            }
            modal->close();
        });
        guitest::action(*w, "action_Album")->trigger();
        QVERIFY(album.seen());
        // Each file's command goes on once its ".go" exists; the end's message box is taken.
        QTimer release;
        connect(&release, &QTimer::timeout, this, [this] {
            for (const QString &name : QDir(out->path()).entryList({"*.flac"}, QDir::Files))
                QFile(out->filePath(name + ".go")).open(QIODevice::WriteOnly);
        });
        release.start(50);
        QCOMPARE(awaitMessages(*w).value(0), QStringLiteral("Extraction succeeded."));
        qputenv("XDG_DATA_HOME", saved);
        const QStringList flacs = QDir(out->path()).entryList({"*.flac"}, QDir::Files, QDir::Name);
        QCOMPARE(flacs.size(), 2);
        QStringList albums;
        for (const QString &name : flacs) {
            QByteArray tags;
            QCOMPARE(testzone::runTool("metaflac", {"--show-tag=ALBUM", out->filePath(name)}, &tags), QString());
            albums << QString::fromUtf8(tags).trimmed();
        }
        QCOMPARE(albums, (QStringList{"", "ALBUM=Later"}));
    }

    // The dialog shows the first file the template names for the selection, and how many
    // more, as it is typed.
    void dialogShowsTheNames_data()
    {
        QTest::addColumn<QString>("nameTemplate");
        QTest::addColumn<QString>("shown");
        QTest::newRow("the program's own") << "" << "track-01-01[0]-01-[L-R]-16-48000.flac and 1 more";
        QTest::newRow("subfolders") << "%title%/%track%" << "01/01.flac and 1 more";
    }
    void dialogShowsTheNames()
    {
        QFETCH(QString, nameTemplate);
        QFETCH(QString, shown);
        QSettings settings(QStringLiteral("Tolvane"), QStringLiteral("Kestrova"));
        settings.setValue(QStringLiteral("ExtractDir"), out->path());
        settings.setValue(QStringLiteral("Convert"), true);
        settings.setValue(QStringLiteral("Format"), "flac");
        auto w = windowWithSelection({{1, 1}, {2, 1}});
        QString label;
        guitest::ModalHandler handler([&](QWidget *modal) {
            if (auto *dialog = qobject_cast<ExtractDialog *>(modal)) {
                QTest::keyClicks(dialog->form().editName, nameTemplate);
                label = dialog->form().labelNames->text();
            }
            modal->close();
        });
        pressCtrlE(*w);
        QVERIFY(handler.seen());
        QCOMPARE(label, shown);
        QVERIFY(QDir(out->path()).isEmpty());
    }

    // A name template that gives two files one name is refused before anything runs.
    void nameTemplateThatRepeatsIsRefused()
    {
        QSettings(QStringLiteral("Tolvane"), QStringLiteral("Kestrova")).setValue(QStringLiteral("NameTemplate"), "same");
        auto w = windowWithSelection({{1, 1}, {2, 1}});
        QSettings settings(QStringLiteral("Tolvane"), QStringLiteral("Kestrova"));
        settings.setValue(QStringLiteral("ExtractDir"), out->path());
        settings.setValue(QStringLiteral("Convert"), false);
        QString said;
        DialogThenBox box([&](QMessageBox *m) { said = m->text(); });
        pressCtrlE(*w);
        QVERIFY(QTest::qWaitFor([&] { return box.boxSeen(); }));
        QCOMPARE(said, QString("The name template gives more than one file the name '%1'.")
                           .arg(out->filePath("same.pcm")));
        verifyEnabling(*w, false);
        QVERIFY(QDir(out->path()).isEmpty());
    }

    void statusWhileDumping_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("status");
        QTest::newRow("no command") << "" << "Track 1 of 1";
        QTest::newRow("command") << "true" << "Track 1 of 1";
    }
    void statusWhileDumping()
    {
        QFETCH(QString, command);
        QFETCH(QString, status);
        auto w = windowWithSelection({{2, 3}});
        {
            QMutexLocker hold(&w->zone()->titlesets[0]->ioMutex);
            startExtraction(*w, command);
            QVERIFY(statusShows(*w, qPrintable(status)));
            // Marked with the running icon, not selected.
            QCOMPARE(iconOf(*w, 2, 3), QApplication::style()->standardIcon(QStyle::SP_MediaPlay).pixmap(16, 16).toImage());
            QVERIFY(!isSelected(*w, 2, 3));
            // The run's share and the bytes read beside the text, all of it inside the
            // window at its default 800 px and at 640 px.
            QCOMPARE(w->progressBar()->parentWidget(), static_cast<QWidget *>(w->statusBar()));
            const auto *track = static_cast<const AOBObject *>(trackObject(*w, 2, 3));
            const qint64 read = (12 - track->firstBlock()) * 2048, all = (track->lastBlock() - track->firstBlock() + 1) * 2048;
            QTRY_COMPARE(w->progressBar()->value(), int(read * 100 / all));
            QCOMPARE(wholeText(*w), QString("%1 of %2 MB read").arg(read / 1e6, 0, 'f', 1).arg(all / 1e6, 0, 'f', 1));
            for (int width : {800, 640}) {
                w->resize(width, 400);
                QTRY_COMPARE(w->statusBar()->width(), width);
                const auto *label = w->statusBar()->findChild<QLabel *>(QStringLiteral("wholeProgress"));
                QVERIFY(w->progressBar()->isVisible());
                QVERIFY(w->progressBar()->geometry().right() < width);
                QTRY_VERIFY(label->width() >= label->sizeHint().width()); // not cut, once laid out
                const int messageWidth = w->statusBar()->fontMetrics().horizontalAdvance(w->statusBar()->currentMessage());
                QVERIFY2(messageWidth < label->geometry().left(), qPrintable(QString::number(messageWidth)));
            }
            QCOMPARE(w->progressBar()->palette().color(QPalette::Inactive, QPalette::Base), QColor(96, 96, 96));
        }
        QCOMPARE(awaitMessages(*w), QStringList{"Extraction succeeded."});
        QCOMPARE(w->statusBar()->currentMessage(), QStringLiteral("Done"));
    }

    void finishingWhileTheLastCommandRuns()
    {
        auto w = windowWithSelection({{1, 1}, {2, 1}});
        startGatedExtraction(*w);
        QFile(out->filePath(firstFile) + ".go").open(QIODevice::WriteOnly);
        // Every object is done; only the command still runs: the share done goes.
        QVERIFY(QTest::qWaitFor([&] { return !w->progressBar(); }));
        verifyEnabling(*w, true);
        QVERIFY(statusShows(*w, "Finishing: the command runs on the last files..."));
        const QString whole = wholeText(*w); // every byte read: "N of N MB read"
        QCOMPARE(whole.section(" of ", 0, 0) + " MB read", whole.section(" of ", 1));
        QFile(out->filePath(outputFiles().last()) + ".go").open(QIODevice::WriteOnly);
        QCOMPARE(awaitMessages(*w), QStringList{"Extraction succeeded."});
        QCOMPARE(wholeText(*w), QString());
    }

    // Ctrl+E cancels; closing the window stops the extraction and closes once it has
    // ended, without a message box that would outlive it. Either way the finished first
    // file stays, the command that was killed did not delete it, and the second object was
    // never begun.
    void endingEarly_data()
    {
        QTest::addColumn<bool>("close");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("Ctrl+E") << false << QStringList{"Extraction cancelled by user request."};
        QTest::newRow("window closed") << true << QStringList();
    }
    void endingEarly()
    {
        QFETCH(bool, close);
        QFETCH(QStringList, messages);
        auto w = windowWithSelection({{1, 1}, {2, 1}});
        startGatedExtraction(*w);
        const qint64 size = QFileInfo(out->filePath(firstFile)).size();
        QVERIFY(size > 0);
        if (close) {
            // The window waits for the files to be finished, saying so, then closes.
            QVERIFY(!w->close());
            QVERIFY(w->statusBar()->currentMessage().startsWith("Stopping"));
            QVERIFY(QTest::qWaitFor([&] { return !w->isVisible(); }, 5000));
            QVERIFY(!w->extraction().isRunning());
        } else {
            pressCtrlE(*w);
        }
        QCOMPARE(awaitMessages(*w, 5000), messages);
        verifyEnabling(*w, false);
        QCOMPARE(outputFiles(), QStringList{firstFile});
        QCOMPARE(QFileInfo(out->filePath(firstFile)).size(), size);
        QVERIFY(isSelected(*w, 2, 1));
        // The first file's command was killed: its track is not done either.
        QVERIFY(isSelected(*w, 1, 1));
    }

    // A stop while only the command runs ("Finishing..."): the track whose file the
    // command finished stays done, the one it was killed on is selected again.
    void cancelWhileFinishingKeepsWhatIsUndone()
    {
        auto w = windowWithSelection({{1, 1}, {2, 1}});
        startGatedExtraction(*w);
        QFile(out->filePath(firstFile) + ".go").open(QIODevice::WriteOnly);
        QVERIFY(statusShows(*w, "Finishing: the command runs on the last files..."));
        pressCtrlE(*w);
        QCOMPARE(awaitMessages(*w, 5000), QStringList{"Extraction cancelled by user request."});
        QCOMPARE(w->treeView()->selectedObjects(), QList<DVDAObject *>{trackObject(*w, 2, 1)});
    }
};

QTEST_MAIN(TestWindowExtraction)
#include "tst_windowextraction.moc"
