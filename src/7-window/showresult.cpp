#include "7-window/showresult.h"

#include <QApplication>
#include <QMessageBox>

#include "6-text/resulttext.h"

namespace {
QMessageBox::Icon resultIcon(ResultCode code)
{
    switch (code) {
    case ResultCode::Succeeded:
        return QMessageBox::Information;
    case ResultCode::Cancelled:
        return QMessageBox::Warning;
    default:
        return QMessageBox::Critical;
    }
}
} // namespace

void showResult(QWidget *parent, const Result &result, const QStringList &damagedFiles)
{
    const ResultCode code = result.code();
    QMessageBox box(parent);
    box.setText(resultMessage(code));
    box.setIcon(code == ResultCode::Succeeded && !damagedFiles.isEmpty() ? QMessageBox::Warning
                                                                         : resultIcon(code));
    QStringList details = damagedFiles;
    if (!result.where().isEmpty())
        details.prepend(result.where());
    box.setInformativeText(details.join(QLatin1Char('\n')));
    if (parent)
        QApplication::alert(parent);
    box.exec();
}
