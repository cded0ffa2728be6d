// kestrova-screenshots ZONE OUTDIR: the pictures of the README, taken of the real window
// at its default 800 x 600 on whatever platform Qt runs (offscreen without a display):
//   window.png          the zone open, a track current, the tree's columns
//   extract-dialog.png  the extraction dialog as a first run shows it
//   window-running.png  an extraction of every track to FLAC under way
//   end-box.png         the box that ends it
// Settings and the output go to a temporary folder; nothing of the user's is read or touched.
#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QPointer>
#include <QProgressBar>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

#include "zone/dvdazone.h"
#include "window/extractdialog.h"
#include "window/mainwindow.h"
#include "window/zonetreeview.h"
#include "ui_extract.h"

namespace {

bool save(QWidget *widget, const QDir &out, const char *name)
{
    const QString path = out.filePath(QLatin1String(name));
    if (widget->grab().save(path, "PNG"))
        return true;
    std::fprintf(stderr, "kestrova-screenshots: cannot write %s\n", qPrintable(path));
    return false;
}

// Answers each modal widget as it comes: the dialog is shot and confirmed, the end box
// shot and closed, which ends the program.
class Driver : public QObject {
public:
    Driver(MainWindow &window_, const QDir &out_) : window(window_), out(out_)
    {
        poll.setInterval(50);
        connect(&poll, &QTimer::timeout, this, [this] { step(); });
        poll.start();
    }
    bool ok = true;

private:
    void step()
    {
        // A quarter into the run, the window at its default size.
        if (!runShot && window.progressBar() && window.progressBar()->value() >= 25) {
            runShot = true;
            ok = save(&window, out, "window-running.png") && ok;
        }
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || modal == handled)
            return;
        handled = modal;
        if (auto *dialog = qobject_cast<ExtractDialog *>(modal)) {
            ok = save(dialog, out, "extract-dialog.png") && ok;
            dialog->form().extractRun->click();
        } else if (auto *box = qobject_cast<QMessageBox *>(modal)) {
            ok = save(box, out, "end-box.png") && runShot && ok;
            box->button(QMessageBox::Ok)->click();
            QTimer::singleShot(0, qApp, [this] { QApplication::exit(ok ? 0 : 1); });
        } else {
            modal->close();
        }
    }

    MainWindow &window;
    QDir out;
    QTimer poll;
    QPointer<QWidget> handled;
    bool runShot = false;
};

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: kestrova-screenshots ZONE OUTDIR\n");
        return 2;
    }
    QTemporaryDir scratch;
    if (!scratch.isValid())
        return 1;
    qputenv("XDG_DATA_HOME", scratch.filePath(QStringLiteral("data")).toUtf8());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, scratch.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, scratch.path());
    QApplication app(argc, argv);
    const QDir out(QString::fromLocal8Bit(argv[2]));
    {
        QSettings settings(QStringLiteral("Tolvane"), QStringLiteral("Kestrova"));
        settings.setValue(QStringLiteral("ExtractDir"), scratch.filePath(QStringLiteral("Music")));
        QDir(scratch.path()).mkpath(QStringLiteral("Music"));
    }

    MainWindow window;
    window.setupWindow();
    window.resize(800, 600);
    window.show();
    window.open(QDir(QString::fromLocal8Bit(argv[1])));
    if (!window.zone() || window.zone()->titlesets.empty()) {
        std::fprintf(stderr, "kestrova-screenshots: no zone in %s\n", argv[1]);
        return 1;
    }
    Driver driver(window, out);
    QTimer::singleShot(500, &window, [&] {
        const QAbstractItemModel *nodes = window.treeView()->model();
        const QModelIndex first = nodes->match(nodes->index(0, 0), Qt::DisplayRole, QStringLiteral("Track"), 1,
                                               Qt::MatchStartsWith | Qt::MatchRecursive).value(0);
        window.treeView()->setCurrentIndex(first);
        driver.ok = save(&window, out, "window.png") && driver.ok;
        window.selectAll();
        window.extract();
    });
    return app.exec();
}
