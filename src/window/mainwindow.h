#pragma once
// The program's window: the zone tree on the left, the rows of the current object on
// the right, and the actions that open a zone and extract from it. It holds the open zone
// and one extraction, which it drives and whose signals it shows.
#include <QDir>
#include <QMainWindow>
#include <atomic>
#include <memory>

#include "job/checkrip.h"
#include "job/extractionjob.h"

class DVDAObject;
class DVDAZone;
class QLabel;
class QProgressBar;
class QSplitter;
class QThread;
class QToolButton;
class QStandardItemModel;
class QTreeView;
class ZoneTreeView;
namespace Ui {
class KestrovaUI;
}

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    // Builds the form, connects the actions, sets the start-up enabling and builds the
    // central area. main and the tests call it right after construction.
    void setupWindow();

    [[nodiscard]] DVDAZone *zone() const { return openZone.get(); }
    [[nodiscard]] ZoneTreeView *treeView() const { return tree; }
    [[nodiscard]] QTreeView *propertiesView() const { return properties; }
    [[nodiscard]] QSplitter *splitter() const { return panes; }
    // At the right of the status bar while an extraction runs; null otherwise.
    [[nodiscard]] QProgressBar *progressBar() const { return bar; }
    [[nodiscard]] const Extraction &extraction() const { return running.run(); }

protected:
    void closeEvent(QCloseEvent *event) override;

public slots:
    void open();
    void open(QDir zoneDir);
    // The zone named on the command line: a missing path or one without a zone gets the
    // message box File > Open shows.
    void openArgument(const QString &path);
    void openFolder();
    void extract();
    // Reads and decodes the selected objects without writing, then shows the report.
    void verify();
    void stopExtraction();
    // Edit > Album: the album's fields and cover of the open disc.
    void editAlbum();
    // File > Check Rip Folder: the folder's rip log checked on a thread of its own, the
    // outcome in a box.
    void checkRipFolder();
    void selectAll();

private:
    void buildCentralArea();
    void fillRecentMenu();
    void showTreeMenu(const QPoint &at);
    // Shows a zone that loaded: the tree, the problems, the recent list.
    void showZone(std::unique_ptr<DVDAZone> opened, const QString &path);
    void showProblems();
    void copyPath();
    void setExtractionState();
    // The properties pane shows the current object's rows.
    void currentItemChanged(const DVDAObject *current);
    void itemSelectionChanged();
    void showToolbar();
    void showStatusbar();
    void showAbout();
    // Runs the extraction's walk over the objects with the status bar's progress.
    void startWalk(const QList<DVDAObject *> &objects, const ExtractOptions &options);
    // The job's question: the user replaces the files that exist already, or not.
    [[nodiscard]] bool replaceAllowed(const QStringList &existing, const QDir &folder);
    [[nodiscard]] QList<DVDAObject *> selectedObjects() const;
    // The titles the disc's metadata file gives, into the tree's title column.
    void showTitles();
    // A title typed into the tree, kept in the disc's metadata file.
    void keepTitle(DVDAObject *object, const QString &title);
    void retag();
    void objectStarted(DVDAObject *object);
    void objectFinished(DVDAObject *object, const Result &result);
    void showProgress(const ExtractionStatus &status);
    void extractionFinished(const JobEnding &ending);
    void showExtractionEnd(const JobEnding &ending);
    void showRipCheck(const QString &folder, const RipCheck &check);

    std::unique_ptr<Ui::KestrovaUI> ui;
    std::unique_ptr<DVDAZone> openZone;
    ZoneTreeView *tree = nullptr;
    QTreeView *properties = nullptr;
    QStandardItemModel *rows = nullptr; // the properties pane's
    QSplitter *panes = nullptr;
    QProgressBar *bar = nullptr; // lives exactly as long as the extraction runs
    QLabel *wholeLabel = nullptr; // the whole extraction's progress, empty when none runs
    QToolButton *problemsButton = nullptr; // what could not be read of the open zone
    ExtractionJob running;
    QString programTitle; // the window's title without a zone, and its boxes' title
    bool verifying = false;     // the walk running or last run is a verification
    bool closeWhenDone = false; // the window was closed during the extraction
    // A check of a rip folder under way, and what stops it.
    QThread *ripCheck = nullptr;
    std::atomic<bool> stopRipCheck{false};
};
