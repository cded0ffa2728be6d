#include "7-window/kestrova.h"

#include <QCloseEvent>
#include <QFileDialog>
#include <QMessageBox>
#include <QProgressBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTreeWidget>

#include "7-window/appresources.h"
#include "7-window/usersettings.h"
#include "7-window/verifyreport.h"
#include "7-window/zoneinfo.h"
#include "7-window/zonetreeview.h"
#include "6-text/checkreport.h"
#include "7-window/extractdialog.h"
#include "1-base/result.h"
#include "5-extraction/extractthread.h"
#include "5-extraction/jobthread.h"
#include "7-window/showresult.h"
#include "ui_about.h"
#include "3-zone/dvdazone.h"
#include "3-zone/zoneproblem.h"
#include "3-zone/zoneopener.h"

namespace {
const char audioTsDirKey[] = "AudioTsDir";

enum {
    refreshIntervalMs = 500, // status bar and progress bar while an extraction runs
    doneMessageMs = 2000,
    stopWaitMs = 5000,       // per thread, before it is terminated
};
const QColor markedColour(180, 0, 0); // background of the object being extracted

void setPaletteColour(QPalette &palette, QPalette::ColorRole role, const QColor &colour)
{
    palette.setColor(QPalette::All, role, colour);
}
} // namespace

Kestrova::Kestrova(QWidget *parent)
    : QMainWindow(parent),
      zone(nullptr),
      treeView(nullptr),
      propertiesView(nullptr),
      splitter(nullptr),
      progressBar(nullptr)
{
    loadAppResources();
}

Kestrova::~Kestrova()
{
    stopExtraction();
    // The items point into the zone, so they go first; the panes outlive this body and
    // must not call back into a window being destroyed.
    if (treeView) {
        treeView->disconnect(this);
        treeView->clear();
    }
    delete zone;
    zone = nullptr;
}

void Kestrova::setupWindow()
{
    setupUi(this);
    connect(action_Open, &QAction::triggered, this, qOverload<>(&Kestrova::open));
    connect(action_Extract, &QAction::triggered, this, &Kestrova::extract);
    connect(action_Verify, &QAction::triggered, this, &Kestrova::verify);
    connect(action_ExtractCancel, &QAction::triggered, this, &Kestrova::stopExtraction);
    connect(action_SelectAll, &QAction::triggered, this, &Kestrova::selectAll);
    connect(action_Exit, &QAction::triggered, this, &QWidget::close);
    connect(action_Toolbar, &QAction::triggered, this, &Kestrova::showToolbar);
    connect(action_Statusbar, &QAction::triggered, this, &Kestrova::showStatusbar);
    connect(action_About, &QAction::triggered, this, &Kestrova::showAbout);
    action_Extract->setEnabled(false);
    action_Verify->setEnabled(false);
    action_ExtractCancel->setVisible(false);
    action_SelectAll->setEnabled(false);
    buildCentralArea();
}

void Kestrova::buildCentralArea()
{
    treeView = new ZoneTreeView;
    QPalette treePalette = treeView->palette();
    setPaletteColour(treePalette, QPalette::Base, QColor(96, 96, 96));
    setPaletteColour(treePalette, QPalette::Text, Qt::white);
    setPaletteColour(treePalette, QPalette::Highlight, QColor(140, 0, 0));
    setPaletteColour(treePalette, QPalette::HighlightedText, Qt::white);
    treeView->setPalette(treePalette);
    treeView->setAutoFillBackground(true);
    treeView->setIconSize(QSize(30, 20));
    treeView->headerItem()->setHidden(true);
    treeView->setRootIsDecorated(false);
    treeView->setSelectionMode(QAbstractItemView::ExtendedSelection);

    propertiesView = new QTreeWidget;
    QPalette rowsPalette = propertiesView->palette();
    setPaletteColour(rowsPalette, QPalette::Base, QColor(227, 230, 228));
    setPaletteColour(rowsPalette, QPalette::Text, Qt::black);
    propertiesView->setPalette(rowsPalette);
    propertiesView->setAutoFillBackground(true);
    propertiesView->setRootIsDecorated(false);
    propertiesView->setSelectionMode(QAbstractItemView::NoSelection);
    propertiesView->setHeaderLabels({tr("Parameter"), tr("Value")});

    splitter = new QSplitter(Qt::Horizontal);
    splitter->addWidget(treeView);
    splitter->addWidget(propertiesView);
    splitter->setWindowTitle(tr("Splitter"));
    splitter->setStretchFactor(0, 100);
    splitter->setStretchFactor(1, 162);
    setCentralWidget(splitter);
    // The placeholder's tool buttons went with it.
    centralwidget = nullptr;
    toolButton_Open = nullptr;
    toolButton_Extract = nullptr;

    connect(treeView, &ZoneTreeView::open, this, qOverload<QDir>(&Kestrova::open));
    connect(treeView, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem *current, QTreeWidgetItem *) { currentItemChanged(current); });
    connect(treeView, &QTreeWidget::itemSelectionChanged, this, &Kestrova::itemSelectionChanged);

    setResultParent(this);
}

void Kestrova::open()
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

void Kestrova::open(QDir zoneDir)
{
    // The extraction thread reads the open zone; it is never replaced under it.
    if (busy())
        return;
    // The path may name a disc image or drive as well as a folder.
    QString error;
    std::unique_ptr<DVDAZone> opened = loadZone(zoneDir.path(), &error);
    if (!opened) {
        QMessageBox::warning(this, tr("Open DVD-Audio zone"), error);
        return;
    }
    UserSettings().setValue(QLatin1String(audioTsDirKey),
                            opened->source->image ? opened->dir.path() : zoneDir.path());
    if (zone) {
        action_SelectAll->setEnabled(false);
        treeView->clear();
        propertiesView->clear();
        delete zone;
        zone = nullptr;
    }
    zone = opened.release();
    currentZone = zone; // the old zone was deleted after this one was built
    ZoneInfo(zone, treeView, propertiesView).fillTree();
    action_SelectAll->setEnabled(true);
    // The list is in the zone item's properties.
    const qsizetype problems = zoneProblems(zone).size();
    if (problems > 0)
        statusbar->showMessage(tr("%1 part(s) of the zone could not be read").arg(problems));
    else
        statusbar->clearMessage();
}

void Kestrova::currentItemChanged(QTreeWidgetItem *current)
{
    propertiesView->clear();
    if (DVDAObject *object = ZoneInfo::itemObject(current))
        ZoneInfo(zone, treeView, propertiesView).populateRows(object);
}

void Kestrova::itemSelectionChanged()
{
    action_Extract->setEnabled(!treeView->selectedItems().isEmpty());
    action_Verify->setEnabled(action_Extract->isEnabled());
}

void Kestrova::selectAll()
{
    treeView->selectAll();
}

void Kestrova::showToolbar()
{
    toolbar->setVisible(action_Toolbar->isChecked());
}

void Kestrova::showStatusbar()
{
    statusbar->setVisible(action_Statusbar->isChecked());
}

void Kestrova::showAbout()
{
    QDialog dialog(this);
    Ui::About form;
    form.setupUi(&dialog);
    dialog.exec();
}

void Kestrova::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    setExtractionProgress();
}

void Kestrova::closeEvent(QCloseEvent *event)
{
    stopExtraction();
    // The user is leaving: the threads have ended, so the extraction ends here, without
    // a message box that would outlive the window.
    endExtractionQuietly();
    event->accept();
}

void Kestrova::setExtractionState()
{
    const bool running = busy();
    if (treeView)
        treeView->setAcceptDrops(!running);
    action_Open->setEnabled(!running);
    action_Extract->setVisible(!running);
    action_Verify->setVisible(!running);
    action_ExtractCancel->setVisible(running);
    action_SelectAll->setEnabled(!running);
}

// The extraction half of the window.
void Kestrova::extract()
{
    if (busy() || !zone)
        return;
    treeView->setSelectionMode(QAbstractItemView::NoSelection);
    QList<DVDAObject *> objects;
    ExtractOptions options;
    {
        Extract dialog(this);
        dialog.loadSettings();
        if (dialog.exec() != QDialog::Accepted) {
            treeView->setSelectionMode(QAbstractItemView::ExtendedSelection);
            return;
        }
        dialog.saveSettings();
        objects = selectedObjects();
        options = dialog.options();
    }
    startWalk(objects, options);
}

void Kestrova::verify()
{
    if (busy() || !zone)
        return;
    ExtractOptions options;
    options.mode = ModeVerify;
    startWalk(selectedObjects(), options);
}

QList<DVDAObject *> Kestrova::selectedObjects() const
{
    QList<DVDAObject *> objects;
    const QList<QTreeWidgetItem *> selected = treeView->selectedItems();
    for (QTreeWidgetItem *item : selected)
        objects << ZoneInfo::itemObject(item);
    return objects;
}

void Kestrova::startWalk(const QList<DVDAObject *> &objects, const ExtractOptions &options)
{
    treeView->setSelectionMode(QAbstractItemView::NoSelection);
    verifying = options.mode == ModeVerify;
    createThreads(zone, objects, options);
    connect(extractThread, &QThread::finished, this, &Kestrova::finishExtraction);
    connect(extractThread, &ExtractThread::itemProcessing, this, &Kestrova::itemProcessing);
    if (jobThread)
        connect(jobThread, &QThread::finished, this, &Kestrova::finishJobs);
    connect(&refreshTimer, &QTimer::timeout, this, &Kestrova::refreshExtractionState,
            Qt::UniqueConnection);
    refreshTimer.start(refreshIntervalMs);
    setExtractionState();

    // Laid over the middle of the status bar by hand, not by its layout.
    progressBar = new QProgressBar(statusbar);
    progressBar->setAutoFillBackground(true);
    QPalette barPalette = progressBar->palette();
    setPaletteColour(barPalette, QPalette::Base, QColor(96, 96, 96));
    progressBar->setPalette(barPalette);
    progressBar->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    progressBar->setOrientation(Qt::Horizontal);
    progressBar->setRange(0, 100);
    setExtractionProgress();
    progressBar->show();

    startThreads();
}

void Kestrova::finishExtraction()
{
    delete progressBar;
    progressBar = nullptr;
    // Nothing to do for a finished() whose thread was already ended on closing.
    if (!extractThread)
        return;
    endExtractThread();
    if (!jobThread)
        finishAll();
}

void Kestrova::finishJobs()
{
    if (!jobThread)
        return;
    endJobThread();
    if (!busy())
        finishAll();
}

void Kestrova::endExtractionQuietly()
{
    if (!busy() && !refreshTimer.isActive())
        return;
    delete progressBar;
    progressBar = nullptr;
    endExtractThread();
    endJobThread();
    endExtraction();
    refreshTimer.stop();
    markedItem = nullptr;
    setExtractionState();
    treeView->setSelectionMode(QAbstractItemView::ExtendedSelection);
}

void Kestrova::finishAll()
{
    endExtraction();
    refreshTimer.stop();
    markedItem = nullptr;
    statusbar->showMessage(tr("Done"), doneMessageMs);
    if (verifying && resultCode != ErrCancelled && !checks.isEmpty()) {
        QStringList names;
        for (const ObjectCheck &check : std::as_const(checks))
            names << ExtractThread::baseName(zone, check.object);
        VerifyReport(names, checks, this).exec();
    } else {
        showResult(resultCode, damagedFileLines(checks));
    }
    setExtractionState();
    treeView->setSelectionMode(QAbstractItemView::ExtendedSelection);
    treeView->setAcceptDrops(true);
}

void Kestrova::stopExtraction()
{
    stopThreads(stopWaitMs);
}

void Kestrova::setExtractionProgress()
{
    if (!progressBar)
        return;
    const int width = statusbar->width();
    const int height = statusbar->height();
    const int margin = height > 7 ? 2 : 0;
    progressBar->setGeometry(width / 2 - (width / 3) / 2, margin, width / 3, height - 2 * margin);
}

void Kestrova::refreshExtractionState()
{
    const ExtractionStatus status = this->status();
    forwardJobOutput();
    statusbar->showMessage(extractionStatusText(status), 0);
    if (progressBar) {
        progressBar->setValue(progressPercent(status.firstBlock, status.currentBlock, status.lastBlock));
        progressBar->setVisible(!status.waiting);
    }
}

void Kestrova::itemProcessing(DVDAObject *dvdaObject, int state)
{
    switch (state) {
    case ExtractThread::ItemStarted: {
        markedItem = nullptr;
        const QList<QTreeWidgetItem *> selected = treeView->selectedItems();
        for (QTreeWidgetItem *item : selected) {
            if (ZoneInfo::itemObject(item) != dvdaObject)
                continue;
            markedItem = item;
            markedBackground = item->background(0);
            item->setSelected(false);
            item->setBackground(0, QBrush(markedColour));
            break;
        }
        break;
    }
    case ExtractThread::ItemSucceeded:
    case ExtractThread::ItemFailed:
        if (!markedItem)
            break;
        // What failed stays selected, so the user sees it and can try again.
        markedItem->setSelected(state == ExtractThread::ItemFailed);
        markedItem->setBackground(0, markedBackground);
        markedItem = nullptr;
        break;
    default:
        break;
    }
}
