#include "7-window/showresult.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>

#include "1-base/result.h"

namespace {
QPointer<QWidget> &registeredParent()
{
    static QPointer<QWidget> window;
    return window;
}

QMessageBox::Icon resultIcon(int code)
{
    switch (code) {
    case ExtractSucceeded:
        return QMessageBox::Information;
    case ErrCancelled:
        return QMessageBox::Warning;
    default:
        return QMessageBox::Critical;
    }
}
} // namespace

void setResultParent(QWidget *window)
{
    registeredParent() = window;
}

QWidget *resultParent()
{
    return registeredParent().data();
}

void showResult(int code, const QStringList &damagedFiles)
{
    QWidget *parent = resultParent();
    QMessageBox box(parent);
    box.setText(resultMessage(code));
    box.setIcon(code == ExtractSucceeded && !damagedFiles.isEmpty() ? QMessageBox::Warning
                                                                     : resultIcon(code));
    box.setInformativeText(damagedFiles.join(QLatin1Char('\n')));
    if (parent)
        QApplication::alert(parent);
    box.exec();
}
