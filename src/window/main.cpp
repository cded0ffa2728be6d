#include <QApplication>
#include <QTimer>

#include "window/extractdialog.h"
#include "window/mainwindow.h"
#include "window/terminaloptions.h"
#include "window/zonetreeview.h"

// KESTROVA_SCREENSHOT=<file>: save a picture of the window once it is shown, then quit.
// Lets a machine without a display see the window (tools/run.sh). With
// KESTROVA_SCREENSHOT_ZONE=<folder> that zone is opened first and its first track shown;
// with KESTROVA_SCREENSHOT_DIALOG=1 the picture is of the extraction dialog instead.
static void scheduleScreenshot(MainWindow &window)
{
    const QString path = qEnvironmentVariable("KESTROVA_SCREENSHOT");
    if (path.isEmpty())
        return;
    if (qEnvironmentVariableIsSet("KESTROVA_SCREENSHOT_DIALOG")) {
        auto *dialog = new ExtractDialog(&window);
        dialog->loadSettings();
        dialog->show();
        QTimer::singleShot(500, dialog, [dialog, path] {
            QApplication::exit(dialog->grab().save(path, "PNG") ? 0 : 1);
        });
        return;
    }
    const QString zone = qEnvironmentVariable("KESTROVA_SCREENSHOT_ZONE");
    if (!zone.isEmpty()) {
        window.open(QDir(zone));
        const QAbstractItemModel *nodes = window.treeView()->model();
        const QModelIndexList tracks = nodes->match(nodes->index(0, 0), Qt::DisplayRole, QStringLiteral("Track"), 1,
                                                    Qt::MatchStartsWith | Qt::MatchRecursive);
        if (!tracks.isEmpty())
            window.treeView()->setCurrentIndex(tracks.first());
    }
    QTimer::singleShot(500, &window, [&window, path] {
        const bool saved = window.grab().save(path, "PNG");
        QApplication::exit(saved ? 0 : 1);
    });
}

// `kestrova ZONE`: opens the zone's folder, the folder of any file in it, a disc image or
// drive, or a mounted disc's root, as a file manager's "Open with" passes it; a path
// without a zone is said in a message box. Without an argument the window starts empty.
static void openZoneArgument(MainWindow &window)
{
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() >= 2)
        window.openArgument(arguments.at(1));
}

int main(int argc, char *argv[])
{
    int exitCode = 0;
    if (answerOnTerminal(argc, argv, &exitCode))
        return exitCode;
    QApplication app(argc, argv);
    MainWindow window;
    window.setupWindow();
    window.show();
    QApplication::setWindowIcon(window.windowIcon());
    openZoneArgument(window);
    scheduleScreenshot(window);
    return app.exec();
}
