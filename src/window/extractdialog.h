#pragma once
// The dialog shown before every extraction: output directory, mode, wave options and
// the command to run. Its widgets are kept in the user settings between runs.
#include <QDialog>
#include <QDir>

#include "extraction/extractoptions.h"
#include "ui_extract.h"

class Extract : public QDialog, public Ui::ExtractUI {
    Q_OBJECT
public:
    explicit Extract(QWidget *parent = nullptr);

    void loadSettings();
    void saveSettings();
    ExtractOptions options() const;
    void updateState();

    QDir outputDir;

private slots:
    void on_extractDir_clicked();
    void on_radioStore_clicked();
    void on_comboFormat_currentIndexChanged(int index);
    void on_radioConvert_clicked();
    void on_checkMerge_clicked();
    void on_checkSplit_clicked();
    void on_checkDownmix_clicked();
    void on_checkRun_clicked();
    void on_extractRun_clicked();

private:
    // Checking one of the three group boxes unchecks the other two.
    void keepOneGroupChoice(QCheckBox *checked);
};
