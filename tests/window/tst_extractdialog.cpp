// The extraction dialog: its first-use state, what to write and its default, the enabling
// rules, the three group boxes that exclude each other, tooltips, mnemonics and tab order,
// the settings it writes and reads, the options it gives, and a folder not there yet.
#include <QFile>
#include <QFileDialog>
#include <QThread>
#include <QLabel>
#include <QRadioButton>
#include <QSettings>
#include <QtTest>

#include "window/extractdialog.h"
#include "ui_extract.h"
#include "guitest.h"

class TestExtractDialog : public QObject {
    Q_OBJECT

    QTemporaryDir settingsDir;
    QTemporaryDir outputDir;

    // The settings file as written, one "key=value" a line.
    QStringList storedLines()
    {
        QFile file(settingsDir.filePath(QStringLiteral("Tolvane/Kestrova.conf")));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    void store(const QString &key, const QVariant &value)
    {
        QSettings settings(QStringLiteral("Tolvane"), QStringLiteral("Kestrova"));
        settings.setValue(key, value);
    }

    // A dialog loaded from the settings and shown, as the window runs it.
    std::unique_ptr<ExtractDialog> openDialog()
    {
        auto dialog = std::make_unique<ExtractDialog>();
        dialog->loadSettings();
        dialog->show();
        if (!QTest::qWaitForWindowExposed(dialog.get()))
            qWarning("dialog not exposed");
        return dialog;
    }

    // What only decoding uses.
    QList<QCheckBox *> decodeBoxes(ExtractDialog &d)
    {
        return {d.form().checkMerge, d.form().checkSplit, d.form().checkDownmix, d.form().checkErrors};
    }

private slots:
    void initTestCase()
    {
        QVERIFY(settingsDir.isValid());
        QVERIFY(outputDir.isValid());
        guitest::redirectSettings(settingsDir.path());
    }

    void init()
    {
        guitest::clearSettings();
    }

    void formLayout()
    {
        ExtractDialog d;
        QCOMPARE(d.objectName(), QStringLiteral("ExtractUI"));
        QCOMPARE(d.windowTitle(), QStringLiteral("Extract Track/Title/Titleset"));
        QCOMPARE(d.windowModality(), Qt::ApplicationModal);
        QVERIFY(!d.form().extractRun->icon().isNull());
        QVERIFY(!d.form().extractDir->icon().isNull());
        QVERIFY(d.form().extractRun->isDefault());
        QVERIFY(!d.form().extractDir->autoDefault());
        // The three choices of what to write share their box, so they exclude each other.
        QCOMPARE(d.form().radioFlac->parentWidget(), d.form().groupWrite);
        QCOMPARE(d.form().radioWave->parentWidget(), d.form().groupWrite);
        QCOMPARE(d.form().radioStore->parentWidget(), d.form().groupWrite);

        // Tab order runs top to bottom, the buttons last.
        const QList<QWidget *> order = {
            d.form().editDir,      d.form().extractDir,    d.form().radioFlac,    d.form().spinCompression,
            d.form().radioWave,    d.form().checkOldFormat, d.form().radioStore,  d.form().checkMerge,
            d.form().checkSplit,   d.form().checkDownmix,  d.form().checkPerTitle, d.form().checkErrors,
            d.form().checkReplayGain, d.form().checkAlbumSelection, d.form().editName,     d.form().checkRun,      d.form().editCommand,  d.form().spinCache,
            d.form().checkDelete,  d.form().spinThreads,   d.form().checkMessages, d.form().extractRun,
            d.form().buttonCancel};
        // Walking the focus chain from each, the next of these widgets met is its successor.
        for (int i = 0; i + 1 < order.size(); ++i) {
            QWidget *next = order[i]->nextInFocusChain();
            while (next != order[i] && !order.contains(next))
                next = next->nextInFocusChain();
            QVERIFY2(next == order[i + 1], qPrintable(order[i]->objectName()));
        }
        for (int i = 1; i < order.size(); ++i)
            QVERIFY2(order[i - 1]->mapTo(&d, QPoint()).y() <= order[i]->mapTo(&d, QPoint()).y(),
                     qPrintable(order[i]->objectName()));
    }

    // Every control says what it does and has a key of its own: a button in its text, a
    // field or spin box in its label's.
    void everyControlHasATooltipAndAMnemonic()
    {
        auto d = openDialog();
        guitest::clickIndicator(d->form().checkRun); // the command's controls enabled too
        QMap<QChar, QString> keys;
        for (QWidget *control : d->findChildren<QWidget *>()) {
            if (!qobject_cast<QAbstractButton *>(control) && !qobject_cast<QLineEdit *>(control)
                && !qobject_cast<QAbstractSpinBox *>(control))
                continue;
            if (control->parentWidget() && qobject_cast<QAbstractSpinBox *>(control->parentWidget()))
                continue; // a spin box's own line edit
            QVERIFY2(!control->toolTip().isEmpty(), qPrintable(control->objectName()));
            QString text;
            if (auto *button = qobject_cast<QAbstractButton *>(control))
                text = button->text();
            for (QLabel *label : d->findChildren<QLabel *>())
                if (label->buddy() == control)
                    text = label->text();
            const qsizetype amp = text.indexOf(QLatin1Char('&'));
            QVERIFY2(amp >= 0 && amp + 1 < text.size(), qPrintable(control->objectName() + ": " + text));
            const QChar key = text.at(amp + 1).toLower();
            QVERIFY2(!keys.contains(key), qPrintable(control->objectName() + " and " + keys.value(key)));
            keys.insert(key, control->objectName());
        }
        QCOMPARE(keys.size(), 23);
        // The long tooltip is rich text, which Qt wraps.
        QVERIFY(Qt::mightBeRichText(d->form().editName->toolTip()));
    }

    // A first run writes FLAC; later runs what was written last, under the keys earlier
    // versions kept.
    void writeChoiceFromSettings_data()
    {
        QTest::addColumn<QVariantMap>("stored");
        QTest::addColumn<QString>("checked");
        QTest::addColumn<int>("mode");
        QTest::addColumn<OutputFormat>("format");
        QTest::newRow("first run") << QVariantMap{} << "radioFlac" << int(ModeConvert) << OutputFormat::Flac;
        QTest::newRow("store") << QVariantMap{{"Store", true}, {"Convert", false}} << "radioStore" << int(ModeStore)
                               << OutputFormat::Wave;
        QTest::newRow("neither kept") << QVariantMap{{"Store", false}, {"Convert", false}} << "radioStore"
                                      << int(ModeStore) << OutputFormat::Wave;
        QTest::newRow("wave") << QVariantMap{{"Convert", true}, {"Format", "wav"}} << "radioWave" << int(ModeConvert)
                              << OutputFormat::Wave;
        QTest::newRow("convert, no format") << QVariantMap{{"Convert", true}} << "radioWave" << int(ModeConvert)
                                            << OutputFormat::Wave;
        QTest::newRow("flac") << QVariantMap{{"Convert", true}, {"Format", "flac"}} << "radioFlac" << int(ModeConvert)
                              << OutputFormat::Flac;
    }
    void writeChoiceFromSettings()
    {
        QFETCH(QVariantMap, stored);
        QFETCH(QString, checked);
        QFETCH(int, mode);
        QFETCH(OutputFormat, format);
        for (auto it = stored.cbegin(); it != stored.cend(); ++it)
            store(it.key(), it.value());
        auto d = openDialog();
        QVERIFY(d->findChild<QRadioButton *>(checked)->isChecked());
        QCOMPARE(d->options().mode, mode);
        if (mode == ModeConvert)
            QCOMPARE(d->options().format, format);
        // Saved back the same way.
        d->saveSettings();
        QSettings settings(QStringLiteral("Tolvane"), QStringLiteral("Kestrova"));
        QCOMPARE(settings.value("Store").toBool(), mode == ModeStore);
        QCOMPARE(settings.value("Convert").toBool(), mode == ModeConvert);
        if (mode == ModeConvert)
            QCOMPARE(settings.value("Format").toString(), QString(format == OutputFormat::Flac ? "flac" : "wav"));
    }

    void firstUse()
    {
        auto d = openDialog();
        QVERIFY(d->form().radioFlac->isChecked());
        for (QCheckBox *box : decodeBoxes(*d)) {
            QVERIFY2(box->isEnabled(), qPrintable(box->objectName()));
            QVERIFY2(!box->isChecked(), qPrintable(box->objectName()));
        }
        QVERIFY(d->form().spinCompression->isEnabled());
        QVERIFY(!d->form().checkOldFormat->isEnabled());
        QVERIFY(!d->form().checkRun->isChecked());
        QVERIFY(!d->form().editCommand->isEnabled());
        QVERIFY(!d->form().spinCache->isEnabled());
        QVERIFY(!d->form().checkDelete->isEnabled());
        QVERIFY(d->form().checkMessages->isEnabled());
        QCOMPARE(d->form().spinCache->value(), 1000);
        // As many objects at once as there are cores; one is one worker helped by them all.
        QCOMPARE(d->form().spinThreads->value(), qMin(QThread::idealThreadCount(), 64));
        QCOMPARE(d->options().threads, QThread::idealThreadCount() > 1 ? QThread::idealThreadCount() : 0);
        QVERIFY(d->options().keepGoing);
        d->form().spinThreads->setValue(1);
        QCOMPARE(d->options().threads, 0);
        QVERIFY(d->form().editDir->text().isEmpty());
        // Extract is off, and the dialog says why.
        QVERIFY(!d->form().extractRun->isEnabled());
        QVERIFY(d->form().labelFolderState->text().startsWith("Choose the folder the files go to"));

        // The disabled run button does not accept the dialog.
        QTest::mouseClick(d->form().extractRun, Qt::LeftButton);
        QVERIFY(d->isVisible());
        QCOMPARE(d->result(), int(QDialog::Rejected));
    }

    void modeAndRunEnableTheirBoxes()
    {
        auto d = openDialog();
        // The compression level is FLAC's, the old header WAV's.
        guitest::clickIndicator(d->form().radioWave);
        QVERIFY(d->form().radioWave->isChecked() && !d->form().radioFlac->isChecked());
        QVERIFY(d->form().checkOldFormat->isEnabled());
        QVERIFY(!d->form().spinCompression->isEnabled());
        guitest::clickIndicator(d->form().radioFlac);
        QVERIFY(d->form().spinCompression->isEnabled());
        QVERIFY(!d->form().checkOldFormat->isEnabled());
        for (QCheckBox *box : decodeBoxes(*d))
            QVERIFY2(box->isEnabled(), qPrintable(box->objectName()));

        // The stored stream: the boxes are disabled but keep what was checked.
        guitest::clickIndicator(d->form().checkDownmix);
        QVERIFY(d->form().checkDownmix->isChecked());
        guitest::clickIndicator(d->form().radioStore);
        QVERIFY(d->form().radioStore->isChecked());
        for (QCheckBox *box : decodeBoxes(*d))
            QVERIFY2(!box->isEnabled(), qPrintable(box->objectName()));
        QVERIFY(!d->form().spinCompression->isEnabled() && !d->form().checkOldFormat->isEnabled());
        QVERIFY(d->form().checkDownmix->isChecked());
        QVERIFY(d->options().downmix);
        QCOMPARE(d->options().mode, int(ModeStore));

        guitest::clickIndicator(d->form().checkRun);
        QVERIFY(d->form().editCommand->isEnabled());
        QVERIFY(d->form().spinCache->isEnabled());
        QVERIFY(d->form().checkDelete->isEnabled());
        guitest::clickIndicator(d->form().checkRun);
        QVERIFY(!d->form().editCommand->isEnabled());
        QVERIFY(!d->form().spinCache->isEnabled());
        QVERIFY(!d->form().checkDelete->isEnabled());
        QVERIFY(d->form().checkMessages->isEnabled());

        d->saveSettings();
        QVERIFY(storedLines().contains(QStringLiteral("Downmix=2")));
    }

    void groupBoxesExcludeEachOther()
    {
        auto d = openDialog();
        guitest::clickIndicator(d->form().radioWave);
        auto state = [&d] {
            return QString::number(d->form().checkMerge->isChecked()) + QString::number(d->form().checkSplit->isChecked())
                + QString::number(d->form().checkDownmix->isChecked());
        };
        guitest::clickIndicator(d->form().checkSplit);
        QCOMPARE(state(), QStringLiteral("010"));
        guitest::clickIndicator(d->form().checkMerge);
        QCOMPARE(state(), QStringLiteral("100"));
        // Unchecking one changes nothing else.
        guitest::clickIndicator(d->form().checkMerge);
        QCOMPARE(state(), QStringLiteral("000"));
        guitest::clickIndicator(d->form().checkDownmix);
        QCOMPARE(state(), QStringLiteral("001"));
        guitest::clickIndicator(d->form().checkSplit);
        QCOMPARE(state(), QStringLiteral("010"));
        guitest::clickIndicator(d->form().checkDownmix);
        QCOMPARE(state(), QStringLiteral("001"));
        guitest::clickIndicator(d->form().checkMerge);
        QCOMPARE(state(), QStringLiteral("100"));
        // The other two wave boxes are independent of the three.
        guitest::clickIndicator(d->form().checkErrors);
        guitest::clickIndicator(d->form().checkOldFormat);
        QCOMPARE(state(), QStringLiteral("100"));
        QVERIFY(d->form().checkErrors->isChecked());
        QVERIFY(d->form().checkOldFormat->isChecked());
    }

    void settingsWrittenAndReadBack()
    {
        {
            auto d = openDialog();
            QTest::keyClicks(d->form().editDir, outputDir.path());
            guitest::clickIndicator(d->form().radioWave);
            guitest::clickIndicator(d->form().checkSplit);
            guitest::clickIndicator(d->form().checkErrors);
            guitest::clickIndicator(d->form().checkRun);
            d->form().editCommand->setText(QStringLiteral("flac \"%filepath%\""));
            d->form().spinCache->setValue(250);
            guitest::clickIndicator(d->form().checkDelete);
            guitest::clickIndicator(d->form().checkMessages);
            guitest::clickIndicator(d->form().radioFlac);
            d->form().spinCompression->setValue(8);
            QTest::keyClicks(d->form().editName, QStringLiteral("%track% [%channels%]"));
            d->form().spinThreads->setValue(3);
            d->saveSettings();
        }
        // Types as written: the radio buttons as booleans, the boxes as check states.
        const QStringList lines = storedLines();
        const QStringList expected = {
            QStringLiteral("ExtractDir=") + outputDir.path(),
            QStringLiteral("Store=false"),
            QStringLiteral("Convert=true"),
            QStringLiteral("Merge=0"),
            QStringLiteral("Split=2"),
            QStringLiteral("Downmix=0"),
            QStringLiteral("StreamErrors=2"),
            QStringLiteral("OldFormat=0"),
            QStringLiteral("Run=2"),
            QStringLiteral("Command=flac \\\"%filepath%\\\""),
            QStringLiteral("Cache=250"),
            QStringLiteral("Delete=2"),
            QStringLiteral("Messages=2"),
            QStringLiteral("Format=flac"),
            QStringLiteral("Compression=8"),
            QStringLiteral("NameTemplate=%track% [%channels%]"),
            QStringLiteral("Threads=3"),
        };
        for (const QString &line : expected)
            QVERIFY2(lines.contains(line), qPrintable(line + QStringLiteral(" not in ") + lines.join(QLatin1Char('|'))));

        auto d = openDialog();
        QCOMPARE(d->options().outputDir.path(), outputDir.path());
        QCOMPARE(d->form().editDir->text(), outputDir.path());
        QVERIFY(d->form().extractRun->isEnabled());
        QVERIFY(d->form().radioFlac->isChecked());
        QVERIFY(!d->form().radioStore->isChecked());
        QVERIFY(!d->form().checkMerge->isChecked());
        QVERIFY(d->form().checkSplit->isChecked());
        QVERIFY(!d->form().checkDownmix->isChecked());
        QVERIFY(d->form().checkErrors->isChecked());
        QVERIFY(!d->form().checkOldFormat->isChecked());
        QVERIFY(d->form().checkRun->isChecked());
        QCOMPARE(d->form().editCommand->text(), QStringLiteral("flac \"%filepath%\""));
        QCOMPARE(d->form().spinCache->value(), 250);
        QVERIFY(d->form().checkDelete->isChecked());
        QVERIFY(d->form().checkMessages->isChecked());
        QVERIFY(d->form().editCommand->isEnabled());

        const ExtractOptions o = d->options();
        QCOMPARE(o.outputDir.path(), outputDir.path());
        QCOMPARE(o.mode, int(ModeConvert));
        QVERIFY(!o.merge);
        QVERIFY(o.split);
        QVERIFY(!o.downmix);
        QVERIFY(o.streamErrors);
        QVERIFY(!o.oldFormat);
        QVERIFY(o.run);
        QCOMPARE(o.command, QStringLiteral("flac \"%filepath%\""));
        QCOMPARE(o.cache, 250);
        QVERIFY(o.deleteFiles);
        QVERIFY(o.logMessages);
        QCOMPARE(o.format, OutputFormat::Flac);
        QCOMPARE(o.compression, 8);
        QCOMPARE(o.nameTemplate, QStringLiteral("%track% [%channels%]"));
        QCOMPARE(o.threads, 3);

        // With a usable directory the run button accepts.
        QTest::mouseClick(d->form().extractRun, Qt::LeftButton);
        QCOMPARE(d->result(), int(QDialog::Accepted));
        QVERIFY(!d->isVisible());
    }

    void runWithoutCommand()
    {
        auto d = openDialog();
        guitest::clickIndicator(d->form().checkRun);
        QVERIFY(d->form().checkRun->isChecked());
        QVERIFY(d->form().editCommand->text().isEmpty());
        QVERIFY(!d->options().run);
        d->saveSettings();
        QVERIFY(storedLines().contains(QStringLiteral("Run=2")));

        d->form().editCommand->setText(QStringLiteral("true"));
        QVERIFY(d->options().run);
    }

    void missingStoredDirectory()
    {
        const QString gone = outputDir.filePath(QStringLiteral("no-longer-there"));
        store(QStringLiteral("ExtractDir"), gone);
        auto d = openDialog();
        QVERIFY(d->form().editDir->text().isEmpty());
        QVERIFY(!d->form().extractRun->isEnabled());
        QVERIFY(d->form().labelFolderState->text().startsWith("Choose the folder the files go to"));
        QCOMPARE(d->options().outputDir.path(), gone);
    }

    void cacheKeptInRange_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<int>("shown");
        QTest::newRow("above") << QVariant(12345) << 9999;
        QTest::newRow("negative") << QVariant(-5) << 0;
        QTest::newRow("inside") << QVariant(4321) << 4321;
        QTest::newRow("not a number") << QVariant(QStringLiteral("lots")) << 0;
    }

    void cacheKeptInRange()
    {
        QFETCH(QVariant, stored);
        QFETCH(int, shown);
        store(QStringLiteral("Cache"), stored);
        auto d = openDialog();
        QCOMPARE(d->form().spinCache->value(), shown);
        QCOMPARE(d->options().cache, shown);
    }

    // The folder is asked for as a folder: the one the chooser is in can be chosen as it
    // is; cancelling changes nothing.
    void directoryChosenFromTheFolderDialog()
    {
        const QDir target(outputDir.path());
        store(QStringLiteral("ExtractDir"), target.path());
        auto d = openDialog();
        QVERIFY(target.mkpath(QStringLiteral("out")));
        for (const QString &answer : {QString(), target.filePath(QStringLiteral("out"))}) {
            QString caption;
            bool foldersOnly = false;
            guitest::ModalHandler handler([&](QWidget *modal) {
                caption = modal->windowTitle();
                auto *files = qobject_cast<QFileDialog *>(modal);
                if (!files) {
                    modal->close();
                    return;
                }
                foldersOnly = files->fileMode() == QFileDialog::Directory;
                if (answer.isEmpty())
                    files->reject();
                else
                    guitest::chooseFile(files, answer);
            });
            QTest::mouseClick(d->form().extractDir, Qt::LeftButton);
            QVERIFY(handler.seen());
            QCOMPARE(caption, QStringLiteral("Output directory"));
            QVERIFY(foldersOnly);
            QCOMPARE(d->options().outputDir.absolutePath(), answer.isEmpty() ? target.path() : answer);
            QCOMPARE(d->form().editDir->text(), answer.isEmpty() ? target.path() : answer);
            QVERIFY(d->form().extractRun->isEnabled());
        }
    }

    // The keys a user presses: a folder typed into the field, Enter extracts (making the
    // folder when it is not there yet), Esc and Cancel leave. A folder that cannot be made
    // keeps the dialog open with the reason.
    void keysAndTypedFolder_data()
    {
        QTest::addColumn<QString>("typed"); // in the temporary folder
        QTest::addColumn<QString>("press"); // "enter", "escape" or "cancel"
        QTest::addColumn<int>("result");    // -1: the dialog stays open
        QTest::addColumn<QString>("note");  // under the folder, before the key
        const QString made = "This folder does not exist yet: Extract creates it.";
        QTest::newRow("typed folder, Enter") << "typed" << "enter" << int(QDialog::Accepted) << "";
        QTest::newRow("missing folder, Enter") << "new/deeper" << "enter" << int(QDialog::Accepted) << made;
        QTest::newRow("under a file, Enter") << "file/deeper" << "enter" << -1 << made;
        QTest::newRow("Escape") << "missing" << "escape" << int(QDialog::Rejected) << made;
        QTest::newRow("Cancel") << "typed" << "cancel" << int(QDialog::Rejected) << "";
    }
    void keysAndTypedFolder()
    {
        QFETCH(QString, typed);
        QFETCH(QString, press);
        QFETCH(int, result);
        QFETCH(QString, note);
        QVERIFY(QDir(outputDir.path()).mkpath(QStringLiteral("typed")));
        QFile(outputDir.filePath("file")).open(QIODevice::WriteOnly);
        auto d = openDialog();
        QVERIFY(!d->form().extractRun->isEnabled());
        d->form().editDir->setFocus();
        QTest::keyClicks(d->form().editDir, outputDir.filePath(typed));
        QVERIFY(d->form().extractRun->isEnabled());
        QCOMPARE(d->form().labelFolderState->text(), note);
        if (press == "cancel")
            QTest::mouseClick(d->form().buttonCancel, Qt::LeftButton);
        else
            QTest::keyClick(d->form().editDir, press == "enter" ? Qt::Key_Return : Qt::Key_Escape);
        QCOMPARE(d->isVisible(), result < 0);
        if (result < 0) {
            QCOMPARE(d->form().labelFolderState->text(),
                     QString("The folder %1 cannot be created; choose another.").arg(outputDir.filePath(typed)));
            return;
        }
        // Only Extract makes the folder.
        QCOMPARE(QDir(outputDir.filePath(typed)).exists(), typed == "typed" || result == QDialog::Accepted);
        QCOMPARE(d->result(), result);
        if (result == QDialog::Accepted)
            QCOMPARE(d->options().outputDir.path(), outputDir.filePath(typed));
    }
};

QTEST_MAIN(TestExtractDialog)
#include "tst_extractdialog.moc"
