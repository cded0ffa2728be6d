#pragma once
// Helpers shared by the window tests: the window as main shows it, settings kept in a
// temporary folder, and a way to handle the modal dialogs that the code under test runs
// with exec().
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QAbstractScrollArea>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QMimeData>
#include <QPointer>
#include <QTreeView>
#include <QUrl>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "testzone/testzone.h"
#include "window/mainwindow.h"
#include "window/zonetreeview.h"

namespace guitest {

// The window as main builds and shows it (at size, when one is given).
inline std::unique_ptr<MainWindow> startWindow(const QSize &size = QSize())
{
    auto window = std::make_unique<MainWindow>();
    window->setupWindow();
    if (size.isValid())
        window->resize(size);
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get()))
        qWarning("window not exposed");
    return window;
}

// A part of the window by its object name, as the form names it ("action_Extract",
// "toolbar", "menu_File").
template <typename T = QAction>
T *part(const QObject &window, const char *name)
{
    T *found = window.findChild<T *>(QLatin1String(name));
    if (!found)
        qWarning("the window has no %s", name);
    return found;
}

inline QAction *action(const QObject &window, const char *name)
{
    return part<QAction>(window, name);
}

// Points the per-user settings at dir, before any QSettings is made.
inline void redirectSettings(const QString &dir)
{
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir);
}

// Empties the store the program uses.
inline void clearSettings()
{
    QSettings settings(QStringLiteral("Tolvane"), QStringLiteral("Kestrova"));
    settings.clear();
    settings.sync();
}

// What a window suite shares: the settings in a folder of their own, emptied, and a zone
// written to a folder, on which it opens windows.
struct ZoneWindows {
    // For initTestCase: false when the settings or the zone could not be set up.
    [[nodiscard]] bool setUp(const testzone::Zone &zone)
    {
        if (!settingsDir.isValid())
            return false;
        redirectSettings(settingsDir.path());
        clearSettings();
        zoneFolder = std::make_unique<testzone::ZoneFolder>(zone);
        return zoneFolder->ok();
    }
    // A window as main shows it, with the zone open.
    std::unique_ptr<MainWindow> openWindow(const QSize &size = QSize()) const
    {
        auto window = startWindow(size);
        window->open(QDir(zoneFolder->path()));
        return window;
    }

    QTemporaryDir settingsDir;
    std::unique_ptr<testzone::ZoneFolder> zoneFolder;
};

// The tree's node at path (rows from the zone down; {} is the zone), in column; invalid
// where there is none.
inline QModelIndex treeNode(const MainWindow &window, const QList<int> &path, int column = 0)
{
    const QAbstractItemModel *nodes = window.treeView()->model();
    QModelIndex at = nodes->index(0, 0);
    for (int row : path)
        at = nodes->index(row, 0, at);
    return at.siblingAtColumn(column);
}

inline DVDAObject *treeObject(const MainWindow &window, const QList<int> &path)
{
    return window.treeView()->zoneModel()->object(treeNode(window, path));
}

// One column of the properties pane: 0 the labels, 1 the values.
inline QStringList propertyColumn(const MainWindow &window, int column)
{
    const QAbstractItemModel *rows = window.propertiesView()->model();
    QStringList texts;
    for (int row = 0; row < rows->rowCount(); ++row)
        texts << rows->index(row, column).data().toString();
    return texts;
}

// A click on the node at path, scrolled into sight first.
inline void clickNode(const MainWindow &window, const QList<int> &path)
{
    ZoneTreeView *view = window.treeView();
    const QModelIndex at = treeNode(window, path);
    view->scrollTo(at);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, view->visualRect(at).center());
}

// Runs handle on the next modal widget that becomes active (it must close that widget).
// Call before the code that runs the dialog; the handler runs inside its event loop.
// The returned flag tells afterwards whether a modal widget was seen at all.
class ModalHandler {
public:
    explicit ModalHandler(std::function<void(QWidget *)> handle_, int timeoutMs_ = 5000)
        : handle(std::move(handle_)), timeoutMs(timeoutMs_)
    {
        clock.start();
        timer.setInterval(10);
        QObject::connect(&timer, &QTimer::timeout, [this] { poll(); });
        timer.start();
    }
    bool seen() const { return found; }

private:
    void poll()
    {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            timer.stop();
            found = true;
            handle(modal);
            return;
        }
        if (clock.elapsed() > timeoutMs)
            timer.stop();
    }

    std::function<void(QWidget *)> handle;
    int timeoutMs;
    QTimer timer;
    QElapsedTimer clock;
    bool found = false;
};

// Runs handle on every modal widget that becomes active while it lives (each call must
// close its widget), for code that shows several in a row.
class ModalSequence {
public:
    explicit ModalSequence(std::function<void(QWidget *)> handle_) : handle(std::move(handle_))
    {
        timer.setInterval(10);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            QWidget *modal = QApplication::activeModalWidget();
            if (!modal || modal == last)
                return;
            last = modal;
            handle(modal);
        });
        timer.start();
    }

private:
    std::function<void(QWidget *)> handle;
    QTimer timer;
    QPointer<QWidget> last; // handled already, while it closes
};

// Types path into a file dialog's name field and accepts it, as the Open or Save button
// does. (selectFile leaves the field alone while it has the focus, which it may have
// by the time the dialog runs.)
inline void chooseFile(QFileDialog *files, const QString &path)
{
    if (auto *name = files->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
        name->setText(path);
    else
        files->selectFile(path);
    static_cast<QDialog *>(files)->accept();
}

// A click on a check box or radio button where its indicator is, so the click hits
// whatever the width of the widget.
inline void clickIndicator(QAbstractButton *button)
{
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, QPoint(6, button->height() / 2));
}

// Drags urls onto a widget and drops them, as the window system delivers them. Returns
// whether the drag was accepted on entering.
inline bool dropUrls(QWidget *target, const QList<QUrl> &urls)
{
    QMimeData data;
    data.setUrls(urls);
    const QPoint at(10, 10);
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
    return enter.isAccepted();
}

// The same onto a view, whose viewport takes them.
inline bool dropUrls(QAbstractScrollArea *view, const QList<QUrl> &urls)
{
    return dropUrls(view->viewport(), urls);
}

} // namespace guitest
