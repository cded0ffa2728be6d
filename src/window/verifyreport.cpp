#include "window/verifyreport.h"

#include <QClipboard>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "text/checkreport.h"
#include "text/objectselector.h"

namespace {
// The selectors: the names the command line's report gives.
QStringList selectorsOf(const QList<ObjectCheck> &checks)
{
    QStringList names;
    for (const ObjectCheck &check : checks)
        names << selectorOf(check.object);
    return names;
}
} // namespace

VerifyReport::VerifyReport(const QList<ObjectCheck> &checks, QWidget *parent)
    : QDialog(parent), text(checkReportText(selectorsOf(checks), checks))
{
    setWindowTitle(tr("Verification"));
    table = new QTableWidget(int(checks.size()), 4, this);
    table->setHorizontalHeaderLabels({tr("Object"), tr("Stream"), tr("Status"), tr("Details")});
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    for (int row = 0; row < checks.size(); ++row) {
        const ObjectCheck &check = checks[row];
        const QStringList cells{objectWindowName(check.object), streamTypeText(check),
                                checkStatusText(checkStatus(check)), checkDetail(check)};
        for (int column = 0; column < cells.size(); ++column)
            table->setItem(row, column, new QTableWidgetItem(cells[column]));
    }
    table->resizeColumnsToContents();

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    copyButton = buttons->addButton(tr("&Copy"), QDialogButtonBox::ActionRole);
    connect(copyButton, &QPushButton::clicked, this, &VerifyReport::copy);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(checkSummary(checks), this));
    layout->addWidget(table);
    layout->addWidget(buttons);
    resize(720, 320);
}

void VerifyReport::copy()
{
    QGuiApplication::clipboard()->setText(text);
}
