#include "window/showresult.h"

#include <QPushButton>
#include <QApplication>
#include <QDesktopServices>
#include <QUrl>
#include <QMessageBox>

#include "text/resulttext.h"

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

void showResult(QWidget *parent, const Result &result, const QStringList &damagedFiles,
                const QString &summary, const QString &folder)
{
    const ResultCode code = result.code();
    QMessageBox box(parent);
    box.setText(resultMessage(code));
    box.setIcon(code == ResultCode::Succeeded && !damagedFiles.isEmpty() ? QMessageBox::Warning
                                                                         : resultIcon(code));
    QStringList details = damagedFiles;
    if (!result.where().isEmpty())
        details.prepend(result.where());
    if (!summary.isEmpty())
        details.append(summary);
    box.setInformativeText(details.join(QLatin1Char('\n')));
    QAbstractButton *openFolder = nullptr;
    if (!folder.isEmpty()) {
        box.setStandardButtons(QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Ok); // closing the box is Ok, not Open Folder
        openFolder = box.addButton(QApplication::translate("Kestrova", "Open Folder"), QMessageBox::ActionRole);
    }
    if (parent)
        QApplication::alert(parent);
    box.exec();
    if (openFolder && box.clickedButton() == openFolder)
        QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
}
