#include "window/showresult.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSpacerItem>
#include <QUrl>

#include "text/resulttext.h"

namespace {
QString tr(const char *text)
{
    return QApplication::translate("Kestrova", text);
}

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

// A message box sizes itself to a fixed width; a path cut in two is no use, so the box
// is made as wide as its longest line, within most of the screen.
void widenFor(QMessageBox &box, const QStringList &lines)
{
    int widest = 0;
    for (const QString &line : lines)
        widest = qMax(widest, box.fontMetrics().horizontalAdvance(line));
    const QScreen *screen = box.screen();
    const int most = screen ? screen->availableGeometry().width() * 4 / 5 : 1200;
    auto *grid = qobject_cast<QGridLayout *>(box.layout());
    if (grid)
        // The icon's column and the margins come on top of the text's width.
        grid->addItem(new QSpacerItem(qMin(widest + 160, most), 0, QSizePolicy::Minimum, QSizePolicy::Expanding),
                      grid->rowCount(), 0, 1, grid->columnCount());
}

// The folder in the file manager; where none opens it, a box with the path to copy.
void openFolder(QWidget *parent, const QString &folder)
{
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(folder)))
        return;
    QMessageBox box(QMessageBox::Information, tr("Open Folder"),
                    tr("No program to open folders was found. The files are in:"), QMessageBox::Ok, parent);
    box.setInformativeText(QDir::toNativeSeparators(folder));
    box.setTextInteractionFlags(Qt::TextSelectableByMouse);
    widenFor(box, {box.informativeText()});
    box.exec();
}
} // namespace

ResultChoice showResult(QWidget *parent, const Result &result, const ResultDetails &details)
{
    const ResultCode code = result.code();
    QMessageBox box(parent);
    box.setText(resultMessage(code));
    box.setIcon(code == ResultCode::Succeeded && !details.lines.isEmpty() ? QMessageBox::Warning : resultIcon(code));
    QStringList lines = details.lines;
    if (!result.where().isEmpty())
        lines.prepend(result.where());
    if (!details.summary.isEmpty())
        lines.append(details.summary);
    if (!details.folder.isEmpty())
        lines.append(tr("Folder: %1").arg(QDir::toNativeSeparators(details.folder)));
    if (!details.ripLog.isEmpty())
        lines.append(tr("Rip log: %1").arg(QDir::toNativeSeparators(details.ripLog)));
    box.setInformativeText(lines.join(QLatin1Char('\n')));
    widenFor(box, lines);
    QAbstractButton *openButton = nullptr;
    QAbstractButton *retryButton = nullptr;
    if (!details.retry.isEmpty())
        retryButton = box.addButton(details.retry, QMessageBox::AcceptRole);
    if (!details.folder.isEmpty())
        openButton = box.addButton(tr("Open Folder"), QMessageBox::ActionRole);
    if (retryButton || openButton) {
        box.addButton(QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Ok); // closing the box is Ok, not one of the others
        box.setDefaultButton(QMessageBox::Ok);
    }
    if (parent)
        QApplication::alert(parent);
    box.exec();
    if (openButton && box.clickedButton() == openButton)
        openFolder(parent, details.folder);
    return retryButton && box.clickedButton() == retryButton ? ResultChoice::Retry : ResultChoice::Closed;
}
