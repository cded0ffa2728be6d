#include <QApplication>
#include <QTimer>

#include "app/kestrova.h"

// KESTROVA_SCREENSHOT=<file>: save a picture of the window once it is shown, then quit.
// Lets a machine without a display see the window (tools/run.sh).
static void scheduleScreenshot(Kestrova &window)
{
    const QString path = qEnvironmentVariable("KESTROVA_SCREENSHOT");
    if (path.isEmpty())
        return;
    QTimer::singleShot(500, &window, [&window, path] {
        const bool saved = window.grab().save(path, "PNG");
        QApplication::exit(saved ? 0 : 1);
    });
}

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    Kestrova window;
    window.setupWindow();
    window.show();
    QApplication::setWindowIcon(window.windowIcon());
    scheduleScreenshot(window);
    return app.exec();
}
