#pragma once
// The program's window: the zone tree on the left, the rows of the current object on
// the right, and the actions that open a zone and extract from it.
#include <QDir>
#include <QMainWindow>
#include <QTimer>

#include "extract/jobqueue.h"
#include "ui_kestrova.h"

class DVDAObject;
class DVDAZone;
class ExtractThread;
class JobThread;
class QProgressBar;
class QSplitter;
class QTreeWidget;
class QTreeWidgetItem;
class ZoneTreeView;

class Kestrova : public QMainWindow, public Ui::KestrovaUI {
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
    int resultCode;                // of the running or last extraction
    ExtractThread *extractThread;  // while an extraction runs
    JobQueue jobQueue;             // files waiting for the command
    JobThread *jobThread;          // while the command is being run on files
    QTimer refreshTimer;           // status refresh while an extraction runs
    QProgressBar *progressBar;     // lives exactly as long as the extraction thread

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

public slots:
    void open();
    void open(QDir zoneDir);
    void extract();
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
    bool busy() const;
};
