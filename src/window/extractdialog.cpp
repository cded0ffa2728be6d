#include "window/extractdialog.h"

#include <QDir>
#include <QFileDialog>
#include <QThread>

#include "window/appresources.h"
#include "window/usersettings.h"
#include "ui_extract.h"

namespace {

[[nodiscard]] bool isChecked(const QCheckBox *box)
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

// How a setting is stored and which widget shows it.
enum class Stored {
    Bool,       // a button's checked state as true or false; only true is taken back
    CheckState, // a box's check state as 0, 1 or 2
    Flag,       // a box's check state, read back as checked when not 0
    Text,
    Number,
};

struct SettingKey {
    const char *key;
    Stored kind;
    QWidget *(*widget)(const Ui::ExtractUI &form);
    QVariant fallback;
};

// Every setting of the dialog but the output folder and what is written, under the keys
// earlier versions wrote.
const SettingKey settingKeys[] = {
    {"Merge", Stored::CheckState, [](const Ui::ExtractUI &f) -> QWidget * { return f.checkMerge; }, 0},
    {"Split", Stored::CheckState, [](const Ui::ExtractUI &f) -> QWidget * { return f.checkSplit; }, 0},
    {"Downmix", Stored::CheckState, [](const Ui::ExtractUI &f) -> QWidget * { return f.checkDownmix; }, 0},
    {"StreamErrors", Stored::CheckState, [](const Ui::ExtractUI &f) -> QWidget * { return f.checkErrors; }, 0},
    {"OldFormat", Stored::CheckState, [](const Ui::ExtractUI &f) -> QWidget * { return f.checkOldFormat; }, 0},
    {"Run", Stored::Flag, [](const Ui::ExtractUI &f) -> QWidget * { return f.checkRun; }, 0},
    {"Command", Stored::Text, [](const Ui::ExtractUI &f) -> QWidget * { return f.editCommand; }, QString()},
    {"Cache", Stored::Number, [](const Ui::ExtractUI &f) -> QWidget * { return f.spinCache; }, 1000},
    {"Delete", Stored::Flag, [](const Ui::ExtractUI &f) -> QWidget * { return f.checkDelete; }, 0},
    {"Messages", Stored::CheckState, [](const Ui::ExtractUI &f) -> QWidget * { return f.checkMessages; }, 0},
    {"Compression", Stored::Number, [](const Ui::ExtractUI &f) -> QWidget * { return f.spinCompression; }, 5},
    {"PerTitle", Stored::Bool, [](const Ui::ExtractUI &f) -> QWidget * { return f.checkPerTitle; }, false},
    {"ReplayGain", Stored::Bool, [](const Ui::ExtractUI &f) -> QWidget * { return f.checkReplayGain; }, false},
    {"AlbumBySelection", Stored::Bool, [](const Ui::ExtractUI &f) -> QWidget * { return f.checkAlbumSelection; }, false},
    {"NameTemplate", Stored::Text, [](const Ui::ExtractUI &f) -> QWidget * { return f.editName; }, QString()},
    // A first run extracts as many objects at once as the machine has cores.
    {"Threads", Stored::Number, [](const Ui::ExtractUI &f) -> QWidget * { return f.spinThreads; },
     QThread::idealThreadCount()},
};

const char folderKey[] = "ExtractDir";
// What is written, kept as earlier versions did: Store or Convert, and the format of
// Convert by its name, "wav" or "flac".
const char storeKey[] = "Store";
const char convertKey[] = "Convert";
const char formatKey[] = "Format";

void loadSetting(const SettingKey &setting, QWidget *widget, const QVariant &value)
{
    switch (setting.kind) {
    case Stored::Bool:
        if (value.toBool())
            static_cast<QAbstractButton *>(widget)->setChecked(true);
        break;
    case Stored::CheckState:
        static_cast<QCheckBox *>(widget)->setCheckState(checkStateOf(value.toInt()));
        break;
    case Stored::Flag:
        static_cast<QCheckBox *>(widget)->setChecked(value.toInt() != 0);
        break;
    case Stored::Text:
        static_cast<QLineEdit *>(widget)->setText(value.toString());
        break;
    case Stored::Number:
        static_cast<QSpinBox *>(widget)->setValue(value.toInt());
        break;
    }
}

QVariant savedSetting(const SettingKey &setting, const QWidget *widget)
{
    switch (setting.kind) {
    case Stored::Bool:
        return static_cast<const QAbstractButton *>(widget)->isChecked();
    case Stored::CheckState:
    case Stored::Flag:
        return int(static_cast<const QCheckBox *>(widget)->checkState());
    case Stored::Text:
        return static_cast<const QLineEdit *>(widget)->text();
    case Stored::Number:
        return static_cast<const QSpinBox *>(widget)->value();
    }
    return QVariant();
}

} // namespace

ExtractDialog::ExtractDialog(QWidget *parent) : QDialog(parent), ui(std::make_unique<Ui::ExtractUI>())
{
    loadAppResources();
    ui->setupUi(this);
    connect(ui->buttonCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui->extractRun, &QPushButton::clicked, this, &ExtractDialog::acceptWithFolder);
    connect(ui->extractDir, &QPushButton::clicked, this, &ExtractDialog::chooseFolder);
    // A folder typed or pasted counts as one chosen.
    connect(ui->editDir, &QLineEdit::textEdited, this, [this](const QString &text) { setFolder(text.trimmed()); });
    for (QAbstractButton *button : {static_cast<QAbstractButton *>(ui->radioFlac),
                                    static_cast<QAbstractButton *>(ui->radioWave),
                                    static_cast<QAbstractButton *>(ui->radioStore),
                                    static_cast<QAbstractButton *>(ui->checkRun),
                                    static_cast<QAbstractButton *>(ui->checkReplayGain)})
        connect(button, &QAbstractButton::toggled, this, &ExtractDialog::updateState);
    for (QCheckBox *box : {ui->checkMerge, ui->checkSplit, ui->checkDownmix})
        connect(box, &QCheckBox::clicked, this, [this, box] { keepOneGroupChoice(box); });
    connect(ui->editName, &QLineEdit::textChanged, this, &ExtractDialog::showNames);
}

ExtractDialog::~ExtractDialog() = default;

void ExtractDialog::loadSettings()
{
    UserSettings settings;
    const QString dir = settings.value(QLatin1String(folderKey)).toString();
    if (!dir.isEmpty()) {
        folder = dir;
        if (QDir(dir).exists())
            ui->editDir->setText(dir);
    }
    // A first run writes FLAC; after that, what was written last.
    const bool known = settings.contains(QLatin1String(storeKey)) || settings.contains(QLatin1String(convertKey));
    const bool flac = settings.value(QLatin1String(formatKey)).toString() == QLatin1String("flac");
    if (!known)
        ui->radioFlac->setChecked(true);
    else if (settings.value(QLatin1String(convertKey)).toBool())
        (flac ? ui->radioFlac : ui->radioWave)->setChecked(true);
    else
        ui->radioStore->setChecked(true);
    for (const SettingKey &setting : settingKeys)
        loadSetting(setting, setting.widget(*ui), settings.value(QLatin1String(setting.key), setting.fallback));
    updateState();
}

void ExtractDialog::saveSettings()
{
    UserSettings settings;
    settings.setValue(QLatin1String(folderKey), folder);
    settings.setValue(QLatin1String(storeKey), ui->radioStore->isChecked());
    settings.setValue(QLatin1String(convertKey), !ui->radioStore->isChecked());
    settings.setValue(QLatin1String(formatKey), ui->radioFlac->isChecked() ? QStringLiteral("flac") : QStringLiteral("wav"));
    for (const SettingKey &setting : settingKeys)
        settings.setValue(QLatin1String(setting.key), savedSetting(setting, setting.widget(*ui)));
}

ExtractOptions ExtractDialog::options() const
{
    ExtractOptions options;
    options.outputDir = QDir(folder);
    options.mode = ui->radioStore->isChecked() ? ModeStore : ModeConvert;
    options.merge = isChecked(ui->checkMerge);
    options.split = isChecked(ui->checkSplit);
    options.downmix = isChecked(ui->checkDownmix);
    options.streamErrors = isChecked(ui->checkErrors);
    options.oldFormat = isChecked(ui->checkOldFormat);
    options.run = ui->checkRun->isChecked() && !ui->editCommand->text().isEmpty();
    options.command = ui->editCommand->text();
    options.cache = ui->spinCache->value();
    options.deleteFiles = isChecked(ui->checkDelete);
    options.logMessages = isChecked(ui->checkMessages);
    options.format = ui->radioFlac->isChecked() ? OutputFormat::Flac : OutputFormat::Wave;
    options.compression = ui->spinCompression->value();
    options.perTitle = ui->checkPerTitle->isChecked();
    options.replayGain = ui->checkReplayGain->isChecked() && options.mode == ModeConvert;
    options.albumPerSelection = ui->checkAlbumSelection->isChecked();
    options.nameTemplate = ui->editName->text().trimmed();
    // A failed or damaged object does not end the window's run: the end box lists it.
    options.keepGoing = true;
    // One at a time is one worker, its FLAC encoding helped by every other core.
    options.threads = ui->spinThreads->value() > 1 ? ui->spinThreads->value() : 0;
    return options;
}

void ExtractDialog::setNamePreview(std::function<QStringList(const ExtractOptions &)> preview)
{
    namePreview = std::move(preview);
    showNames();
}

void ExtractDialog::updateState()
{
    showFolderState();
    const bool convert = !ui->radioStore->isChecked();
    for (QCheckBox *box : {ui->checkMerge, ui->checkSplit, ui->checkDownmix, ui->checkErrors, ui->checkReplayGain})
        box->setEnabled(convert);
    ui->checkAlbumSelection->setEnabled(convert && ui->checkReplayGain->isChecked());
    ui->spinCompression->setEnabled(ui->radioFlac->isChecked());
    ui->staticCompression->setEnabled(ui->radioFlac->isChecked());
    ui->checkOldFormat->setEnabled(ui->radioWave->isChecked());
    const bool run = ui->checkRun->isChecked();
    ui->editCommand->setEnabled(run);
    ui->staticCommand->setEnabled(run);
    ui->spinCache->setEnabled(run);
    ui->checkDelete->setEnabled(run);
    showNames();
}

// Extract is on once a folder is given; the line under it says why it is off, or that a
// folder not there yet will be made.
void ExtractDialog::showFolderState()
{
    const bool given = !ui->editDir->text().trimmed().isEmpty();
    ui->extractRun->setEnabled(given);
    if (!given)
        ui->labelFolderState->setText(tr("Choose the folder the files go to: Extract is off until then."));
    else if (!QDir(folder).exists())
        ui->labelFolderState->setText(tr("This folder does not exist yet: Extract creates it."));
    else
        ui->labelFolderState->clear();
}

void ExtractDialog::acceptWithFolder()
{
    if (ui->editDir->text().trimmed().isEmpty())
        return;
    if (!QDir(folder).exists() && !QDir().mkpath(folder)) {
        ui->labelFolderState->setText(
            tr("The folder %1 cannot be created; choose another.").arg(QDir::toNativeSeparators(folder)));
        return;
    }
    accept();
}

void ExtractDialog::chooseFolder()
{
    const QString answer = QFileDialog::getExistingDirectory(this, tr("Output directory"), folder);
    if (answer.isEmpty())
        return;
    ui->editDir->setText(QDir::toNativeSeparators(answer));
    setFolder(answer);
}

void ExtractDialog::setFolder(const QString &path)
{
    folder = QDir(path).absolutePath();
    updateState();
}

void ExtractDialog::keepOneGroupChoice(QCheckBox *checked)
{
    if (!checked->isChecked())
        return;
    for (QCheckBox *box : {ui->checkMerge, ui->checkSplit, ui->checkDownmix}) {
        if (box != checked)
            box->setChecked(false);
    }
    showNames();
}

// The first file the options name, relative to the output folder, and how many more.
void ExtractDialog::showNames()
{
    if (!namePreview) {
        ui->labelNames->clear();
        return;
    }
    const ExtractOptions chosen = options();
    const QStringList names = namePreview(chosen);
    if (names.isEmpty()) {
        ui->labelNames->clear();
        return;
    }
    const QString first = QDir::toNativeSeparators(chosen.outputDir.relativeFilePath(names.first()));
    ui->labelNames->setText(names.size() == 1 ? first : tr("%1 and %n more", nullptr, int(names.size() - 1)).arg(first));
    ui->labelNames->setToolTip(QDir::toNativeSeparators(names.join(QLatin1Char('\n'))));
}
