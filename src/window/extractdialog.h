#pragma once
// The dialog shown before every extraction: output folder, what to write (FLAC, wave or
// the stored stream) and its options, the layout of channels and files,
// file names (with the names the template gives) and the command to run. Its choices are
// kept in the user settings between runs.
#include <QDialog>
#include <QStringList>
#include <functional>
#include <memory>

#include "extraction/extractoptions.h"

class QCheckBox;
namespace Ui {
class ExtractUI;
}

class ExtractDialog : public QDialog {
    Q_OBJECT
public:
    explicit ExtractDialog(QWidget *parent = nullptr);
    ~ExtractDialog() override;

    void loadSettings();
    void saveSettings();
    [[nodiscard]] ExtractOptions options() const;
    // The files the options would write, first ones first: shown under the name template
    // as it is edited.
    void setNamePreview(std::function<QStringList(const ExtractOptions &)> preview);

    // The form, for the tests that drive its widgets.
    [[nodiscard]] const Ui::ExtractUI &form() const { return *ui; }

private:
    void updateState();
    void showFolderState();
    // Extract: the folder is made when it is not there yet, then the dialog accepted.
    void acceptWithFolder();
    void chooseFolder();
    void setFolder(const QString &path);
    // Checking one of the three group boxes unchecks the other two.
    void keepOneGroupChoice(QCheckBox *checked);
    void showNames();

    std::unique_ptr<Ui::ExtractUI> ui;
    QString folder; // the output folder as chosen or typed, absolute
    std::function<QStringList(const ExtractOptions &)> namePreview;
};
