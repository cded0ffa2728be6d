#include "window/extractdialog.h"

#include <QFileDialog>

#include "window/appresources.h"
#include "window/usersettings.h"

namespace {
bool isChecked(const QCheckBox *box)
{
    return box->checkState() != Qt::Unchecked;
}

Qt::CheckState checkStateOf(int stored)
{
    // Only the three real states are taken; anything else reads as checked.
    if (stored == Qt::Unchecked || stored == Qt::PartiallyChecked || stored == Qt::Checked)
        return Qt::CheckState(stored);
    return Qt::Checked;
}
} // namespace

Extract::Extract(QWidget *parent) : QDialog(parent)
{
    loadAppResources();
    setupUi(this);
    connect(buttonCancel, &QPushButton::clicked, this, &QDialog::reject);
    // A folder typed or pasted counts as one chosen.
    connect(editDir, &QLineEdit::textEdited, this, [this](const QString &text) {
        outputDir = QDir(QDir(text.trimmed()).absolutePath());
        updateState();
    });
}

void Extract::loadSettings()
{
    UserSettings settings;
    const QString dir = settings.value(QStringLiteral("ExtractDir")).toString();
    if (!dir.isEmpty()) {
        outputDir = QDir(dir);
        if (outputDir.exists())
            editDir->setText(outputDir.path());
    }
    radioStore->setChecked(true);
    if (settings.value(QStringLiteral("Convert"), false).toBool())
        radioConvert->setChecked(true);
    checkMerge->setCheckState(checkStateOf(settings.value(QStringLiteral("Merge"), 0).toInt()));
    checkSplit->setCheckState(checkStateOf(settings.value(QStringLiteral("Split"), 0).toInt()));
    checkDownmix->setCheckState(checkStateOf(settings.value(QStringLiteral("Downmix"), 0).toInt()));
    checkErrors->setCheckState(checkStateOf(settings.value(QStringLiteral("StreamErrors"), 0).toInt()));
    checkOldFormat->setCheckState(checkStateOf(settings.value(QStringLiteral("OldFormat"), 0).toInt()));
    checkRun->setChecked(settings.value(QStringLiteral("Run"), 0).toInt() != 0);
    editCommand->setText(settings.value(QStringLiteral("Command")).toString());
    spinCache->setValue(settings.value(QStringLiteral("Cache"), 1000).toInt());
    checkDelete->setChecked(settings.value(QStringLiteral("Delete"), 0).toInt() != 0);
    checkMessages->setCheckState(checkStateOf(settings.value(QStringLiteral("Messages"), 0).toInt()));
    comboFormat->setCurrentIndex(
        settings.value(QStringLiteral("Format")).toString() == QLatin1String("flac") ? 1 : 0);
    spinCompression->setValue(settings.value(QStringLiteral("Compression"), 5).toInt());
    checkPerTitle->setChecked(settings.value(QStringLiteral("PerTitle"), false).toBool());
    editName->setText(settings.value(QStringLiteral("NameTemplate")).toString());
    updateState();
}

void Extract::saveSettings()
{
    UserSettings settings;
    settings.setValue(QStringLiteral("ExtractDir"), outputDir.path());
    settings.setValue(QStringLiteral("Store"), radioStore->isChecked());
    settings.setValue(QStringLiteral("Convert"), radioConvert->isChecked());
    settings.setValue(QStringLiteral("Merge"), int(checkMerge->checkState()));
    settings.setValue(QStringLiteral("Split"), int(checkSplit->checkState()));
    settings.setValue(QStringLiteral("Downmix"), int(checkDownmix->checkState()));
    settings.setValue(QStringLiteral("StreamErrors"), int(checkErrors->checkState()));
    settings.setValue(QStringLiteral("OldFormat"), int(checkOldFormat->checkState()));
    settings.setValue(QStringLiteral("Run"), int(checkRun->checkState()));
    settings.setValue(QStringLiteral("Command"), editCommand->text());
    settings.setValue(QStringLiteral("Cache"), spinCache->value());
    settings.setValue(QStringLiteral("Delete"), int(checkDelete->checkState()));
    settings.setValue(QStringLiteral("Messages"), int(checkMessages->checkState()));
    settings.setValue(QStringLiteral("Format"),
                      comboFormat->currentIndex() == 1 ? QStringLiteral("flac") : QStringLiteral("wav"));
    settings.setValue(QStringLiteral("Compression"), spinCompression->value());
    settings.setValue(QStringLiteral("PerTitle"), checkPerTitle->isChecked());
    settings.setValue(QStringLiteral("NameTemplate"), editName->text());
}

ExtractOptions Extract::options() const
{
    ExtractOptions options;
    options.outputDir = outputDir;
    options.mode = ModeNone;
    if (radioStore->isChecked())
        options.mode = ModeStore;
    if (radioConvert->isChecked())
        options.mode = ModeConvert;
    options.merge = isChecked(checkMerge);
    options.split = isChecked(checkSplit);
    options.downmix = isChecked(checkDownmix);
    options.streamErrors = isChecked(checkErrors);
    options.oldFormat = isChecked(checkOldFormat);
    options.run = checkRun->isChecked() && !editCommand->text().isEmpty();
    options.command = editCommand->text();
    options.cache = spinCache->value();
    options.deleteFiles = isChecked(checkDelete);
    options.logMessages = isChecked(checkMessages);
    options.format = comboFormat->currentIndex() == 1 ? OutputFormat::Flac : OutputFormat::Wave;
    options.compression = spinCompression->value();
    options.perTitle = checkPerTitle->isChecked();
    options.nameTemplate = editName->text().trimmed();
    return options;
}

void Extract::updateState()
{
    extractRun->setEnabled(!editDir->text().trimmed().isEmpty() && outputDir.exists());
    const bool convert = radioConvert->isChecked();
    for (QCheckBox *box : {checkMerge, checkSplit, checkDownmix, checkErrors, checkOldFormat})
        box->setEnabled(convert);
    comboFormat->setEnabled(convert);
    spinCompression->setEnabled(convert && comboFormat->currentIndex() == 1);
    checkOldFormat->setEnabled(convert && comboFormat->currentIndex() == 0);
    const bool run = checkRun->isChecked();
    editCommand->setEnabled(run);
    spinCache->setEnabled(run);
    checkDelete->setEnabled(run);
}

void Extract::on_extractDir_clicked()
{
    const QString answer = QFileDialog::getExistingDirectory(this, tr("Output directory"),
                                                             outputDir.path());
    if (answer.isEmpty())
        return;
    outputDir = QDir(answer);
    editDir->setText(QDir::toNativeSeparators(outputDir.path()));
    updateState();
}

void Extract::on_comboFormat_currentIndexChanged(int)
{
    updateState();
}

void Extract::on_radioStore_clicked()
{
    updateState();
}

void Extract::on_radioConvert_clicked()
{
    updateState();
}

void Extract::keepOneGroupChoice(QCheckBox *checked)
{
    if (!checked->isChecked())
        return;
    for (QCheckBox *box : {checkMerge, checkSplit, checkDownmix}) {
        if (box != checked)
            box->setChecked(false);
    }
}

void Extract::on_checkMerge_clicked()
{
    keepOneGroupChoice(checkMerge);
}

void Extract::on_checkSplit_clicked()
{
    keepOneGroupChoice(checkSplit);
}

void Extract::on_checkDownmix_clicked()
{
    keepOneGroupChoice(checkDownmix);
}

void Extract::on_checkRun_clicked()
{
    updateState();
}

void Extract::on_extractRun_clicked()
{
    if (outputDir.exists())
        accept();
}
