#include "extract/showresult.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>

#include "extract/extractresult.h"

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

void showResult(int code)
{
    QWidget *parent = resultParent();
    QMessageBox box(parent);
    box.setText(resultMessage(code));
    box.setIcon(resultIcon(code));
    if (parent)
        QApplication::alert(parent);
    box.exec();
}
