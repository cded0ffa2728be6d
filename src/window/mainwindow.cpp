#include "window/mainwindow.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QProgressBar>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QThread>
#include <QToolButton>
#include <QStandardItemModel>
#include <QTreeView>
#include <cstdio>

#include "zone/dvdazone.h"
#include "zone/zoneopener.h"
#include "zone/zoneproblem.h"
#include "zone/zonewalk.h"
#include "extraction/discmetadata.h"
#include "extraction/objectnames.h"
#include "text/counted.h"
#include "text/existingfilestext.h"
#include "text/objectproperties.h"
#include "text/objectselector.h"
#include "text/statustext.h"
#include "text/treelabels.h"
#include "job/jobtagging.h"
#include "window/albumdialog.h"
#include "window/appresources.h"
#include "window/extractdialog.h"
#include "window/recentzones.h"
#include "window/showresult.h"
#include "window/usersettings.h"
#include "window/verifyreport.h"
#include "window/zonetreeview.h"
#include "kestrova_version.h"
#include "ui_about.h"
#include "ui_kestrova.h"

namespace {
const char audioTsDirKey[] = "AudioTsDir";
const char geometryKey[] = "WindowGeometry";
const char splitterKey[] = "SplitterState";

enum {
    refreshIntervalMs = 500, // status bar and progress bar while an extraction runs
    doneMessageMs = 2000,
    progressBarWidth = 140,
};

void setPaletteColour(QPalette &palette, QPalette::ColorRole role, const QColor &colour)
{
    palette.setColor(QPalette::All, role, colour);
}

void writeTo(FILE *stream, const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return;
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}
// "1 part of the zone could not be read", "2 parts ..."
QString problemsText(qsizetype problems)
{
    return QApplication::translate("Kestrova", "%1 of the zone could not be read")
        .arg(countOf(problems, QApplication::translate("Kestrova", "part"), QApplication::translate("Kestrova", "parts")));
}

// A message of the job ("the name template gives ...") as the window's boxes say it.
QString sentence(const QString &text)
{
    return text.left(1).toUpper() + text.mid(1) + QLatin1Char('.');
}
} // namespace

MainWindow::MainWindow(QWidget *parent) : QMainWindow(parent), ui(std::make_unique<Ui::KestrovaUI>())
{
    loadAppResources();
    running.setProgressInterval(refreshIntervalMs);
    connect(&running, &ExtractionJob::objectStarted, this,
            [this](DVDAObject *object, const QString &) { objectStarted(object); });
    connect(&running, &ExtractionJob::objectFinished, this,
            [this](DVDAObject *object, const Result &result, const ObjectCheck &) {
                objectFinished(object, result);
            });
    connect(&running, &ExtractionJob::progress, this, &MainWindow::showProgress);
    // The command's output, when it does not go to the log, onto the program's own.
    connect(&running, &ExtractionJob::commandOutput, this,
            [](const QByteArray &error, const QByteArray &output) {
                writeTo(stderr, error);
                writeTo(stdout, output);
            });
    connect(&running, &ExtractionJob::ended, this, &MainWindow::extractionFinished);
}

MainWindow::~MainWindow()
{
    // The extraction ends before the zone it reads (its destructor stops and waits); a
    // check of a rip stops before its next file and is joined.
    running.disconnect(this);
    running.stop();
    if (ripCheck) {
        stopRipCheck = true;
        ripCheck->disconnect(this);
        ripCheck->wait();
        delete ripCheck;
    }
    // The tree's nodes point into the zone, which goes before the panes; they must not
    // call back into a window being destroyed.
    if (tree) {
        tree->disconnect(this);
        tree->zoneModel()->disconnect(this);
        tree->showZone(nullptr);
    }
}

void MainWindow::setupWindow()
{
    ui->setupUi(this);
    programTitle = windowTitle();
    connect(ui->action_Open, &QAction::triggered, this, qOverload<>(&MainWindow::open));
    connect(ui->action_Extract, &QAction::triggered, this, &MainWindow::extract);
    connect(ui->action_Verify, &QAction::triggered, this, &MainWindow::verify);
    connect(ui->action_ExtractCancel, &QAction::triggered, this, &MainWindow::stopExtraction);
    connect(ui->action_SelectAll, &QAction::triggered, this, &MainWindow::selectAll);
    connect(ui->action_Exit, &QAction::triggered, this, &QWidget::close);
    connect(ui->action_Toolbar, &QAction::triggered, this, &MainWindow::showToolbar);
    connect(ui->action_Statusbar, &QAction::triggered, this, &MainWindow::showStatusbar);
    connect(ui->action_About, &QAction::triggered, this, &MainWindow::showAbout);
    connect(ui->action_OpenFolder, &QAction::triggered, this, &MainWindow::openFolder);
    connect(ui->action_Problems, &QAction::triggered, this, &MainWindow::showProblems);
    connect(ui->action_CopyPath, &QAction::triggered, this, &MainWindow::copyPath);
    connect(ui->action_Album, &QAction::triggered, this, &MainWindow::editAlbum);
    connect(ui->action_CheckRip, &QAction::triggered, this, &MainWindow::checkRipFolder);
    ui->action_Extract->setEnabled(false);
    ui->action_Verify->setEnabled(false);
    ui->action_ExtractCancel->setVisible(false);
    ui->action_SelectAll->setEnabled(false);
    ui->action_CopyPath->setEnabled(false);
    ui->action_Problems->setEnabled(false);
    ui->action_Album->setEnabled(false);
    buildCentralArea();
    fillRecentMenu();
    UserSettings settings;
    restoreGeometry(settings.value(QLatin1String(geometryKey)).toByteArray());
    panes->restoreState(settings.value(QLatin1String(splitterKey)).toByteArray());
}

void MainWindow::fillRecentMenu()
{
    ui->menu_Recent->clear();
    const QStringList zones = recentzones::list();
    for (qsizetype i = 0; i < zones.size(); ++i) {
        const QString path = zones[i];
        // "&1 /media/dvd/AUDIO_TS": a key for each; an & in the path is shown as one.
        const QString text = QStringLiteral("&%1 %2").arg(i + 1).arg(QDir::toNativeSeparators(path).replace(
                                                                         QLatin1Char('&'), QStringLiteral("&&")));
        ui->menu_Recent->addAction(text, this, [this, path] { open(QDir(path)); });
    }
    if (!zones.isEmpty()) {
        ui->menu_Recent->addSeparator();
        QAction *clear = ui->menu_Recent->addAction(tr("&Clear Menu"), this, [this] {
            recentzones::clear();
            fillRecentMenu();
        });
        clear->setObjectName(QStringLiteral("action_ClearRecent"));
    }
    ui->menu_Recent->setEnabled(!zones.isEmpty());
}

// Extract, Verify, Properties and Copy Path for the item under the pointer.
void MainWindow::showTreeMenu(const QPoint &at)
{
    const QModelIndex item = tree->indexAt(at);
    if (!item.isValid())
        return;
    tree->selectionModel()->setCurrentIndex(item, QItemSelectionModel::NoUpdate);
    QMenu menu(this);
    menu.addAction(ui->action_Extract);
    menu.addAction(ui->action_Verify);
    menu.addSeparator();
    menu.addAction(tr("&Properties"), this, [this] { properties->setFocus(); });
    menu.addAction(ui->action_CopyPath);
    menu.exec(tree->viewport()->mapToGlobal(at));
}

void MainWindow::buildCentralArea()
{
    tree = new ZoneTreeView;
    QPalette treePalette = tree->palette();
    setPaletteColour(treePalette, QPalette::Base, QColor(96, 96, 96));
    setPaletteColour(treePalette, QPalette::Text, Qt::white);
    tree->setPalette(treePalette);
    tree->setAutoFillBackground(true);
    tree->setIconSize(QSize(30, 20));
    tree->setRootIsDecorated(false);
    tree->setSelectionMode(QAbstractItemView::ExtendedSelection);
    tree->setSelectionBehavior(QAbstractItemView::SelectRows);

    properties = new QTreeView;
    rows = new QStandardItemModel(0, 2, properties);
    rows->setHorizontalHeaderLabels({tr("Parameter"), tr("Value")});
    properties->setModel(rows);
    properties->setEditTriggers(QAbstractItemView::NoEditTriggers);
    QPalette rowsPalette = properties->palette();
    setPaletteColour(rowsPalette, QPalette::Base, QColor(227, 230, 228));
    setPaletteColour(rowsPalette, QPalette::Text, Qt::black);
    properties->setPalette(rowsPalette);
    properties->setAutoFillBackground(true);
    properties->setRootIsDecorated(false);
    properties->setSelectionMode(QAbstractItemView::NoSelection);

    // The zone's damage, as long as the zone is open: a click lists it.
    problemsButton = new QToolButton;
    problemsButton->setObjectName(QStringLiteral("zoneProblems"));
    problemsButton->setIcon(style()->standardIcon(QStyle::SP_MessageBoxWarning));
    problemsButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    problemsButton->setAutoRaise(true);
    problemsButton->setToolTip(tr("Show what could not be read (View > Zone Problems)"));
    problemsButton->hide();
    connect(problemsButton, &QToolButton::clicked, this, &MainWindow::showProblems);
    ui->statusbar->addPermanentWidget(problemsButton);

    // The whole extraction, at the right of the status bar while one runs.
    wholeLabel = new QLabel;
    wholeLabel->setObjectName(QStringLiteral("wholeProgress"));
    ui->statusbar->addPermanentWidget(wholeLabel);

    panes = new QSplitter(Qt::Horizontal);
    panes->addWidget(tree);
    panes->addWidget(properties);
    panes->setWindowTitle(tr("Splitter"));
    // The tree has the columns users choose by; the properties are short rows.
    panes->setStretchFactor(0, 162);
    panes->setStretchFactor(1, 100);
    setCentralWidget(panes);
    // The placeholder's tool buttons went with it.
    ui->centralwidget = nullptr;
    ui->toolButton_Open = nullptr;
    ui->toolButton_Extract = nullptr;

    connect(tree, &ZoneTreeView::open, this, qOverload<QDir>(&MainWindow::open));
    tree->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(tree, &QWidget::customContextMenuRequested, this, &MainWindow::showTreeMenu);
    connect(tree->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &current) { currentItemChanged(tree->zoneModel()->object(current)); });
    connect(tree->selectionModel(), &QItemSelectionModel::selectionChanged, this, &MainWindow::itemSelectionChanged);
    connect(tree->zoneModel(), &ZoneTreeModel::titleEdited, this, &MainWindow::keepTitle);
}

void MainWindow::open()
{
    const QDir stored(UserSettings().value(QLatin1String(audioTsDirKey)).toString());
    const QString start = stored.exists() ? stored.path() : QString();
    const QString file = QFileDialog::getOpenFileName(
        this, tr("Open DVD-Audio zone"), start,
        tr("Zones and disc images (*.ifo *.iso *.img);;AMG files (*.ifo)"));
    if (file.isEmpty())
        return;
    open(zoneLocation(file));
}

void MainWindow::openFolder()
{
    const QDir stored(UserSettings().value(QLatin1String(audioTsDirKey)).toString());
    const QString folder = QFileDialog::getExistingDirectory(
        this, tr("Open DVD-Audio zone folder"), stored.exists() ? stored.path() : QString());
    if (!folder.isEmpty())
        open(QDir(folder));
}

void MainWindow::open(QDir zoneDir)
{
    // The extraction reads the open zone; it is never replaced under it.
    if (running.isRunning())
        return;
    // The path may name a disc image or drive as well as a folder.
    QString error;
    std::unique_ptr<DVDAZone> opened = loadZone(zoneDir.path(), &error);
    if (!opened) {
        QMessageBox::warning(this, tr("Open DVD-Audio zone"), error);
        return;
    }
    showZone(std::move(opened), zoneDir.path());
}

void MainWindow::openArgument(const QString &path)
{
    if (running.isRunning())
        return;
    // What File > Open says of a path that is missing or holds no zone, where the user
    // sees it: a program started from a file manager has no terminal.
    QString error;
    std::unique_ptr<DVDAZone> opened = ::openZone(path, &error);
    if (!opened) {
        QMessageBox::warning(this, tr("Open DVD-Audio zone"), error);
        return;
    }
    showZone(std::move(opened), zoneLocation(QFileInfo(path).absoluteFilePath()).path());
}

void MainWindow::showZone(std::unique_ptr<DVDAZone> opened, const QString &path)
{
    UserSettings().setValue(QLatin1String(audioTsDirKey),
                            opened->source->image ? opened->dir.path() : path);
    if (!opened->titlesets.empty()) {
        recentzones::add(path);
        fillRecentMenu();
    }
    if (openZone) {
        ui->action_SelectAll->setEnabled(false);
        tree->showZone(nullptr);
        currentItemChanged(nullptr);
    }
    openZone = std::move(opened);
    setWindowTitle(QStringLiteral("%1 - %2").arg(zoneName(openZone.get()), programTitle));
    tree->showZone(openZone.get());
    showTitles();
    itemSelectionChanged(); // a new model has nothing selected, and says so to nobody
    ui->action_SelectAll->setEnabled(true);
    ui->action_Album->setEnabled(true);
    // The list is in the zone item's properties and behind View > Zone Problems.
    const qsizetype problems = zoneProblems(openZone.get()).size();
    ui->action_Problems->setEnabled(problems > 0);
    problemsButton->setText(problemsText(problems));
    problemsButton->setVisible(problems > 0);
    ui->statusbar->clearMessage();
}

void MainWindow::showProblems()
{
    QStringList lines;
    for (const ZoneProblem &problem : zoneProblems(openZone.get()))
        lines << problemText(problem);
    if (lines.isEmpty())
        return;
    QMessageBox box(QMessageBox::Warning, tr("Zone problems"), problemsText(lines.size()), QMessageBox::Close, this);
    box.setInformativeText(lines.join(QLatin1Char('\n')));
    box.exec();
}

// The zone's path and the current item's selector, as kestrova-cli takes them.
void MainWindow::copyPath()
{
    if (!openZone)
        return;
    const QString selector = selectorOf(tree->currentObject());
    const QString zonePath = QDir::toNativeSeparators(openZone->source->origin);
    QGuiApplication::clipboard()->setText(selector.isEmpty() ? zonePath : zonePath + QLatin1Char(' ') + selector);
}

void MainWindow::currentItemChanged(const DVDAObject *current)
{
    rows->removeRows(0, rows->rowCount());
    ui->action_CopyPath->setEnabled(current != nullptr);
    if (!current)
        return;
    for (const PropertyRow &row : objectProperties(current))
        rows->appendRow({new QStandardItem(row.label), new QStandardItem(row.value)});
    properties->resizeColumnToContents(0);
    properties->resizeColumnToContents(1);
}

void MainWindow::itemSelectionChanged()
{
    ui->action_Extract->setEnabled(tree->selectionModel()->hasSelection());
    ui->action_Verify->setEnabled(ui->action_Extract->isEnabled());
}

void MainWindow::selectAll()
{
    tree->selectAll();
}

void MainWindow::showToolbar()
{
    ui->toolbar->setVisible(ui->action_Toolbar->isChecked());
}

void MainWindow::showStatusbar()
{
    ui->statusbar->setVisible(ui->action_Statusbar->isChecked());
}

void MainWindow::showAbout()
{
    QDialog dialog(this);
    Ui::About form;
    form.setupUi(&dialog);
    // One version everywhere: the one --version and the rip log give.
    form.labelProduct->setText(QStringLiteral("Kestrova " KESTROVA_VERSION));
    dialog.exec();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (!running.isRunning()) {
        UserSettings settings;
        settings.setValue(QLatin1String(geometryKey), saveGeometry());
        settings.setValue(QLatin1String(splitterKey), panes->saveState());
        event->accept();
        return;
    }
    // The files being written are finished first; the window closes once that is done.
    closeWhenDone = true;
    running.stop();
    ui->statusbar->showMessage(tr("Stopping: the window closes once the files are finished..."));
    event->ignore();
}

void MainWindow::setExtractionState()
{
    const bool busy = running.isRunning();
    if (tree)
        tree->setAcceptDrops(!busy);
    ui->action_Open->setEnabled(!busy);
    ui->action_Extract->setVisible(!busy);
    ui->action_Verify->setVisible(!busy);
    ui->action_ExtractCancel->setVisible(busy);
    ui->action_SelectAll->setEnabled(!busy);
    ui->action_OpenFolder->setEnabled(!busy);
    ui->action_Album->setEnabled(openZone != nullptr); // also while a rip runs
    ui->menu_Recent->setEnabled(!busy && !ui->menu_Recent->isEmpty());
}

// The extraction half of the window.
void MainWindow::extract()
{
    if (running.isRunning() || !openZone)
        return;
    tree->setSelectionMode(QAbstractItemView::NoSelection);
    const QList<DVDAObject *> selection = selectedObjects();
    ExtractOptions options;
    {
        ExtractDialog dialog(this);
        dialog.loadSettings();
        dialog.setNamePreview([&selection](const ExtractOptions &chosen) { return plannedNames(selection, chosen); });
        if (dialog.exec() != QDialog::Accepted) {
            tree->setSelectionMode(QAbstractItemView::ExtendedSelection);
            return;
        }
        dialog.saveSettings();
        options = dialog.options();
    }
    // The disc's album, kept by Edit > Album, and its cover.
    QString error;
    if (!loadTagging(&options, openZone.get(), QString(), QString(), &error)) {
        QMessageBox::warning(this, programTitle, sentence(error));
        tree->setSelectionMode(QAbstractItemView::ExtendedSelection);
        return;
    }
    startWalk(selection, options);
}

// Two discs of the same layout give the same names: a second rip into the folder of the
// first replaces it only when the user says so, once per extraction.
bool MainWindow::replaceAllowed(const QStringList &existing, const QDir &folder)
{
    QMessageBox ask(QMessageBox::Warning, programTitle,
                    tr("%1 of this extraction %2 already in %3.")
                        .arg(countOf(existing.size(), tr("file"), tr("files")),
                             existing.size() == 1 ? tr("exists") : tr("exist"))
                        .arg(QDir::toNativeSeparators(folder.path())),
                    QMessageBox::Cancel, this);
    ask.setInformativeText(existingFilesList(existing) + QLatin1Char('\n')
                           + tr("Overwrite them, or cancel and choose another folder?"));
    QAbstractButton *overwrite = ask.addButton(tr("Overwrite"), QMessageBox::DestructiveRole);
    ask.setDefaultButton(QMessageBox::Cancel);
    ask.exec();
    return ask.clickedButton() == overwrite;
}

void MainWindow::editAlbum()
{
    if (!openZone)
        return;
    AlbumDialog album(openZone.get(), this);
    if (album.exec() != QDialog::Accepted)
        return;
    QString error;
    if (!album.save(&error)) {
        QMessageBox::warning(this, programTitle, tr("The album cannot be kept: %1").arg(error));
        return;
    }
    retag();
}

// A rip under way tags the objects it has not begun with the disc's fields as kept now.
void MainWindow::retag()
{
    ExtractOptions tagging;
    QString error;
    if (running.isRunning() && loadTagging(&tagging, openZone.get(), QString(), QString(), &error))
        running.setTagging(tagging);
}

void MainWindow::showTitles()
{
    DiscMetadata stored;
    QString error;
    QHash<const DVDAObject *, QString> titles;
    if (readDiscMetadata(storedMetadataPath(openZone->discId), &stored, &error))
        walkZone(openZone.get(), [&](const ZoneNode &node) {
            if (node.depth == 2 || node.depth == 3)
                titles.insert(node.object, objectTitle(stored, node.object));
        });
    tree->zoneModel()->setTitles(titles);
}

void MainWindow::keepTitle(DVDAObject *object, const QString &title)
{
    QString error;
    if (!openZone || !updateStoredMetadata(
                         openZone.get(), [&](const QByteArray &json) { return withObjectTitle(json, object, title); },
                         &error)) {
        QMessageBox::warning(this, programTitle, tr("The title cannot be kept: %1").arg(error));
        showTitles();
        return;
    }
    retag();
}

void MainWindow::checkRipFolder()
{
    if (ripCheck)
        return;
    const QString folder = QFileDialog::getExistingDirectory(this, tr("Check Rip Folder"),
                                                             UserSettings().value(QLatin1String("ExtractDir")).toString());
    if (folder.isEmpty())
        return;
    stopRipCheck = false;
    auto result = std::make_shared<RipCheck>();
    ripCheck = QThread::create([this, folder, result] { *result = checkRip(folder, &stopRipCheck); });
    connect(ripCheck, &QThread::finished, this, [this, folder, result] {
        ripCheck->wait();
        delete ripCheck;
        ripCheck = nullptr;
        ui->action_CheckRip->setEnabled(true);
        ui->statusbar->clearMessage();
        showRipCheck(folder, *result);
    });
    ui->action_CheckRip->setEnabled(false);
    ui->statusbar->showMessage(tr("Checking %1 against its rip log...").arg(QDir::toNativeSeparators(folder)));
    ripCheck->start();
}

void MainWindow::showRipCheck(const QString &folder, const RipCheck &check)
{
    QMessageBox box(this);
    box.setWindowTitle(tr("Check Rip Folder"));
    if (!check.error.isEmpty()) {
        box.setIcon(QMessageBox::Warning);
        box.setText(tr("The rip cannot be checked."));
        box.setInformativeText(check.error);
    } else {
        const bool clean = check.differences == 0;
        box.setIcon(clean ? QMessageBox::Information : QMessageBox::Warning);
        box.setText(ripCheckSummary(check, QDir::toNativeSeparators(folder)));
        // The differences first; every file's line behind Show Details.
        QStringList differences = check.lines;
        differences.removeIf([](const QString &line) { return line.startsWith(QLatin1String("ok: ")); });
        box.setInformativeText(differences.join(QLatin1Char('\n')));
        box.setDetailedText(check.lines.join(QLatin1Char('\n')));
    }
    box.exec();
}

void MainWindow::verify()
{
    if (running.isRunning() || !openZone)
        return;
    ExtractOptions options;
    options.mode = ModeVerify;
    startWalk(selectedObjects(), options);
}

QList<DVDAObject *> MainWindow::selectedObjects() const
{
    return tree->selectedObjects();
}

void MainWindow::startWalk(const QList<DVDAObject *> &objects, const ExtractOptions &options)
{
    tree->setSelectionMode(QAbstractItemView::NoSelection);
    verifying = options.mode == ModeVerify;
    const auto replace = [this, &options](const QStringList &existing) {
        return replaceAllowed(existing, options.outputDir);
    };
    const ExtractionJob::Start started = running.start(objects, options, replace);
    if (started != ExtractionJob::Start::Started) {
        if (started == ExtractionJob::Start::Refused)
            QMessageBox::warning(this, programTitle, sentence(running.refusal()));
        tree->setSelectionMode(QAbstractItemView::ExtendedSelection);
        return;
    }
    setExtractionState();

    // The whole run's share, at the right end of the status bar.
    bar = new QProgressBar;
    bar->setAutoFillBackground(true);
    QPalette barPalette = bar->palette();
    setPaletteColour(barPalette, QPalette::Base, QColor(96, 96, 96));
    bar->setPalette(barPalette);
    bar->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    bar->setOrientation(Qt::Horizontal);
    bar->setRange(0, 100);
    bar->setFixedWidth(progressBarWidth);
    ui->statusbar->addPermanentWidget(bar);
    bar->show();
}

void MainWindow::extractionFinished(const JobEnding &ending)
{
    delete bar;
    bar = nullptr;
    wholeLabel->clear();
    tree->zoneModel()->clearRunning();
    setExtractionState();
    tree->setSelectionMode(QAbstractItemView::ExtendedSelection);
    // An object is done once the command has finished with its files: where it failed, was
    // killed or never came to them, the object is selected again to be tried again.
    for (const DVDAObject *undone : ending.commandUndone)
        tree->setSelected(undone, true);
    if (closeWhenDone) {
        // The user is leaving: no message box that would outlive the window.
        close();
        return;
    }
    ui->statusbar->showMessage(tr("Done"), doneMessageMs);
    const QList<ObjectCheck> &checks = ending.report.checks;
    if (verifying && ending.result != ResultCode::Cancelled && !checks.isEmpty()) {
        VerifyReport(checks, this).exec();
    } else if (verifying) {
        ResultDetails details;
        details.lines = ending.damagedLines;
        (void)showResult(this, ending.result, details);
    } else {
        showExtractionEnd(ending);
    }
}

// What was written, what failed or is damaged, and where it all is; the objects that
// "Recover from stream errors" may mend are offered a second run with it.
void MainWindow::showExtractionEnd(const JobEnding &ending)
{
    ResultDetails details;
    for (const QString &failed : ending.failedLines)
        details.lines << tr("Failed: %1").arg(failed);
    details.lines << ending.damagedLines;
    if (ending.log.failed())
        details.lines << tr("The rip log cannot be written: %1").arg(ending.log.where());
    if (ending.replayGain.failed())
        details.lines << tr("The ReplayGain tags cannot be written: %1").arg(ending.replayGain.where());
    details.summary = ending.summary;
    details.folder = ending.report.options.outputDir.absolutePath();
    details.ripLog = ending.ripLog;
    if (!ending.recoverable.isEmpty())
        details.retry = tr("Extract Again with Recover");
    const Result shown = ending.result.ok() && ending.log.failed() ? ending.log : ending.result;
    if (showResult(this, shown, details) != ResultChoice::Retry)
        return;
    QList<DVDAObject *> again;
    for (const DVDAObject *object : ending.recoverable)
        again << tree->zoneModel()->object(tree->zoneModel()->indexOf(object));
    ExtractOptions options = ending.report.options;
    options.streamErrors = true;
    startWalk(again, options);
}

void MainWindow::stopExtraction()
{
    running.stop();
}

void MainWindow::showProgress(const ExtractionStatus &status)
{
    // Once every object is done, only the command may still run: no share to show.
    if (!status.extracting) {
        delete bar;
        bar = nullptr;
    }
    if (closeWhenDone)
        return; // the status bar says why the window waits
    ui->statusbar->showMessage(extractionStatusText(status), 0);
    wholeLabel->setText(readProgressText(status.whole));
    if (bar)
        bar->setValue(wholePercent(status.whole));
}

void MainWindow::objectStarted(DVDAObject *object)
{
    tree->setSelected(object, false);
    tree->zoneModel()->setRunning(object, true);
}

void MainWindow::objectFinished(DVDAObject *object, const Result &result)
{
    // What failed is selected again, so the user sees it and can try again.
    tree->setSelected(object, result != ResultCode::Succeeded);
    tree->zoneModel()->setRunning(object, false);
}
