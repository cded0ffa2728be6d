#pragma once
// The window's report of a verification: a table with a row per track or index (name,
// stream, status and what the status rests on), the summary, and a button that copies
// the report as the command line prints it.
#include <QDialog>
#include <QList>
#include <QStringList>

#include "extraction/objectcheck.h"

class QPushButton;
class QTableWidget;

class VerifyReport : public QDialog {
    Q_OBJECT
public:
    // A row per check, named as the tree names it with its selector; Copy gives the
    // report as the command line prints it.
    explicit VerifyReport(const QList<ObjectCheck> &checks, QWidget *parent = nullptr);

    QTableWidget *table;
    QPushButton *copyButton;
    QString text; // what Copy puts on the clipboard

public slots:
    void copy();
};
