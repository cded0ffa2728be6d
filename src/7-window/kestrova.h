#pragma once
// The program's window: the zone tree on the left, the rows of the current object on
// the right, and the actions that open a zone and extract from it.
#include <QBrush>
#include <QDir>
#include <QMainWindow>
#include <QTimer>

#include "5-extraction/extractiondriver.h"
#include "ui_kestrova.h"

class DVDAObject;
class DVDAZone;
class QProgressBar;
class QSplitter;
class QTreeWidget;
class QTreeWidgetItem;
class ZoneTreeView;

// The extraction's threads, job queue and result code are those of its ExtractionDriver.
class Kestrova : public QMainWindow, public Ui::KestrovaUI, public ExtractionDriver {
    Q_OBJECT
public:
    explicit Kestrova(QWidget *parent = nullptr);
    ~Kestrova() override;

    // Builds the form, connects the actions, sets the start-up enabling and builds the
    // central area. main and the tests call it right after construction.
    void setupWindow();

    DVDAZone *zone;
    ZoneTreeView *treeView;
    QTreeWidget *propertiesView;
    QSplitter *splitter;
    QTimer refreshTimer;           // status refresh while an extraction runs
    QProgressBar *progressBar;     // lives exactly as long as the extraction thread

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

public slots:
    void open();
    void open(QDir zoneDir);
    void extract();
    // Reads and decodes the selected objects without writing, then shows the report.
    void verify();
    void finishExtraction();
    void finishJobs();
    void finishAll();
    void stopExtraction();
    void setExtractionState();
    void setExtractionProgress();
    void refreshExtractionState();
    void currentItemChanged(QTreeWidgetItem *current);
    void itemSelectionChanged();
    void itemProcessing(DVDAObject *dvdaObject, int state);
    void showToolbar();
    void showStatusbar();
    void showAbout();
    void selectAll();

private:
    void buildCentralArea();
    // Runs the extraction thread's walk over the objects with the status bar's progress.
    void startWalk(const QList<DVDAObject *> &objects, const ExtractOptions &options);
    QList<DVDAObject *> selectedObjects() const;
    // Everything of finishAll but the result message.
    void endExtractionQuietly();

    // The tree item of the object being extracted, and its background before.
    QTreeWidgetItem *markedItem = nullptr;
    QBrush markedBackground;
    bool verifying = false; // the walk running or last run is a verification
};
