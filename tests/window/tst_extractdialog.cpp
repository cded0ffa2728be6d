// The extraction dialog: its first-use state, the enabling rules, the three group boxes
// that exclude each other, the settings it writes and reads, and the options it gives.
#include <QFile>
#include <QFileDialog>
#include <QSettings>
#include <QtTest>

#include "window/extractdialog.h"
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
    std::unique_ptr<Extract> openDialog()
    {
        auto dialog = std::make_unique<Extract>();
        dialog->loadSettings();
        dialog->show();
        if (!QTest::qWaitForWindowExposed(dialog.get()))
            qWarning("dialog not exposed");
        return dialog;
    }

    QList<QCheckBox *> waveBoxes(Extract &d)
    {
        return {d.checkMerge, d.checkSplit, d.checkDownmix, d.checkErrors, d.checkOldFormat};
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
        Extract d;
        QCOMPARE(d.objectName(), QStringLiteral("ExtractUI"));
        QCOMPARE(d.windowTitle(), QStringLiteral("Extract Track/Title/Titleset"));
        QCOMPARE(d.minimumSize(), QSize(370, 530));
        QCOMPARE(d.maximumSize(), QSize(370, 530));
        QCOMPARE(d.font().pointSize(), 8);
        QCOMPARE(d.windowModality(), Qt::ApplicationModal);
        QVERIFY(!d.extractRun->icon().isNull());
        QVERIFY(!d.extractDir->icon().isNull());
        QVERIFY(d.extractRun->isDefault());
        QVERIFY(!d.extractDir->autoDefault());
        QCOMPARE(d.extractRun->text(), QStringLiteral("Extract"));
        for (QWidget *w : QList<QWidget *>{d.checkMerge, d.checkSplit, d.checkOldFormat, d.staticCache, d.editDir})
            QVERIFY2(!w->toolTip().isEmpty(), qPrintable(w->objectName()));
        // Both radio buttons share the dialog, so they exclude each other.
        QCOMPARE(d.radioStore->parentWidget(), &d);
        QCOMPARE(d.radioConvert->parentWidget(), &d);

        // Tab order as the user moves through the dialog.
        const QList<QWidget *> order = {d.editDir,     d.extractDir,      d.radioStore,
                                        d.radioConvert, d.checkMerge,     d.checkSplit,
                                        d.checkOldFormat, d.comboFormat,  d.spinCompression,
                                        d.checkRun,    d.editCommand,     d.checkDelete,
                                        d.checkMessages, d.editName,      d.extractRun,
                                        d.buttonCancel};
        // Walking the focus chain from each, the next of these widgets met is its successor.
        for (int i = 0; i + 1 < order.size(); ++i) {
            QWidget *next = order[i]->nextInFocusChain();
            while (next != order[i] && !order.contains(next))
                next = next->nextInFocusChain();
            QVERIFY2(next == order[i + 1], qPrintable(order[i]->objectName()));
        }
    }

    void firstUse()
    {
        auto d = openDialog();
        QVERIFY(d->radioStore->isChecked());
        QVERIFY(!d->radioConvert->isChecked());
        for (QCheckBox *box : waveBoxes(*d)) {
            QVERIFY2(!box->isEnabled(), qPrintable(box->objectName()));
            QVERIFY2(!box->isChecked(), qPrintable(box->objectName()));
        }
        QVERIFY(!d->checkRun->isChecked());
        QVERIFY(!d->editCommand->isEnabled());
        QVERIFY(!d->spinCache->isEnabled());
        QVERIFY(!d->checkDelete->isEnabled());
        QVERIFY(d->checkMessages->isEnabled());
        QCOMPARE(d->spinCache->value(), 1000);
        QVERIFY(d->editDir->text().isEmpty());
        QVERIFY(!d->extractRun->isEnabled());

        // The disabled run button does not accept the dialog.
        QTest::mouseClick(d->extractRun, Qt::LeftButton);
        QVERIFY(d->isVisible());
        QCOMPARE(d->result(), int(QDialog::Rejected));
    }

    void modeAndRunEnableTheirBoxes()
    {
        auto d = openDialog();
        guitest::clickIndicator(d->radioConvert);
        QVERIFY(d->radioConvert->isChecked());
        QVERIFY(!d->radioStore->isChecked());
        for (QCheckBox *box : waveBoxes(*d))
            QVERIFY2(box->isEnabled(), qPrintable(box->objectName()));

        // The compression level is FLAC's, the old header WAV's.
        QVERIFY(d->comboFormat->isEnabled());
        QVERIFY(!d->spinCompression->isEnabled());
        d->comboFormat->setCurrentIndex(1);
        QVERIFY(d->spinCompression->isEnabled());
        QVERIFY(!d->checkOldFormat->isEnabled());
        d->comboFormat->setCurrentIndex(0);
        QVERIFY(d->checkOldFormat->isEnabled());

        // Store again: the boxes are disabled but keep what was checked.
        guitest::clickIndicator(d->checkDownmix);
        QVERIFY(d->checkDownmix->isChecked());
        guitest::clickIndicator(d->radioStore);
        QVERIFY(d->radioStore->isChecked());
        for (QCheckBox *box : waveBoxes(*d))
            QVERIFY2(!box->isEnabled(), qPrintable(box->objectName()));
        QVERIFY(d->checkDownmix->isChecked());
        QVERIFY(d->options().downmix);
        QCOMPARE(d->options().mode, int(ModeStore));

        guitest::clickIndicator(d->checkRun);
        QVERIFY(d->editCommand->isEnabled());
        QVERIFY(d->spinCache->isEnabled());
        QVERIFY(d->checkDelete->isEnabled());
        guitest::clickIndicator(d->checkRun);
        QVERIFY(!d->editCommand->isEnabled());
        QVERIFY(!d->spinCache->isEnabled());
        QVERIFY(!d->checkDelete->isEnabled());
        QVERIFY(d->checkMessages->isEnabled());

        d->saveSettings();
        QVERIFY(storedLines().contains(QStringLiteral("Downmix=2")));
    }

    void groupBoxesExcludeEachOther()
    {
        auto d = openDialog();
        guitest::clickIndicator(d->radioConvert);
        auto state = [&d] {
            return QString::number(d->checkMerge->isChecked()) + QString::number(d->checkSplit->isChecked())
                + QString::number(d->checkDownmix->isChecked());
        };
        guitest::clickIndicator(d->checkSplit);
        QCOMPARE(state(), QStringLiteral("010"));
        guitest::clickIndicator(d->checkMerge);
        QCOMPARE(state(), QStringLiteral("100"));
        // Unchecking one changes nothing else.
        guitest::clickIndicator(d->checkMerge);
        QCOMPARE(state(), QStringLiteral("000"));
        guitest::clickIndicator(d->checkDownmix);
        QCOMPARE(state(), QStringLiteral("001"));
        guitest::clickIndicator(d->checkSplit);
        QCOMPARE(state(), QStringLiteral("010"));
        guitest::clickIndicator(d->checkDownmix);
        QCOMPARE(state(), QStringLiteral("001"));
        guitest::clickIndicator(d->checkMerge);
        QCOMPARE(state(), QStringLiteral("100"));
        // The other two wave boxes are independent of the three.
        guitest::clickIndicator(d->checkErrors);
        guitest::clickIndicator(d->checkOldFormat);
        QCOMPARE(state(), QStringLiteral("100"));
        QVERIFY(d->checkErrors->isChecked());
        QVERIFY(d->checkOldFormat->isChecked());
    }

    void settingsWrittenAndReadBack()
    {
        {
            auto d = openDialog();
            d->outputDir = QDir(outputDir.path());
            d->editDir->setText(outputDir.path());
            guitest::clickIndicator(d->radioConvert);
            guitest::clickIndicator(d->checkSplit);
            guitest::clickIndicator(d->checkErrors);
            guitest::clickIndicator(d->checkRun);
            d->editCommand->setText(QStringLiteral("flac \"%filepath%\""));
            d->spinCache->setValue(250);
            guitest::clickIndicator(d->checkDelete);
            guitest::clickIndicator(d->checkMessages);
            d->comboFormat->setCurrentIndex(1);
            d->spinCompression->setValue(8);
            QTest::keyClicks(d->editName, QStringLiteral("%track% [%channels%]"));
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
        };
        for (const QString &line : expected)
            QVERIFY2(lines.contains(line), qPrintable(line + QStringLiteral(" not in ") + lines.join(QLatin1Char('|'))));

        auto d = openDialog();
        QCOMPARE(d->outputDir.path(), outputDir.path());
        QCOMPARE(d->editDir->text(), outputDir.path());
        QVERIFY(d->extractRun->isEnabled());
        QVERIFY(d->radioConvert->isChecked());
        QVERIFY(!d->radioStore->isChecked());
        QVERIFY(!d->checkMerge->isChecked());
        QVERIFY(d->checkSplit->isChecked());
        QVERIFY(!d->checkDownmix->isChecked());
        QVERIFY(d->checkErrors->isChecked());
        QVERIFY(!d->checkOldFormat->isChecked());
        QVERIFY(d->checkRun->isChecked());
        QCOMPARE(d->editCommand->text(), QStringLiteral("flac \"%filepath%\""));
        QCOMPARE(d->spinCache->value(), 250);
        QVERIFY(d->checkDelete->isChecked());
        QVERIFY(d->checkMessages->isChecked());
        QVERIFY(d->editCommand->isEnabled());

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

        // With a usable directory the run button accepts.
        QTest::mouseClick(d->extractRun, Qt::LeftButton);
        QCOMPARE(d->result(), int(QDialog::Accepted));
        QVERIFY(!d->isVisible());
    }

    void runWithoutCommand()
    {
        auto d = openDialog();
        guitest::clickIndicator(d->checkRun);
        QVERIFY(d->checkRun->isChecked());
        QVERIFY(d->editCommand->text().isEmpty());
        QVERIFY(!d->options().run);
        d->saveSettings();
        QVERIFY(storedLines().contains(QStringLiteral("Run=2")));

        d->editCommand->setText(QStringLiteral("true"));
        QVERIFY(d->options().run);
    }

    void missingStoredDirectory()
    {
        const QString gone = outputDir.filePath(QStringLiteral("no-longer-there"));
        store(QStringLiteral("ExtractDir"), gone);
        auto d = openDialog();
        QVERIFY(d->editDir->text().isEmpty());
        QVERIFY(!d->extractRun->isEnabled());
        QCOMPARE(d->outputDir.path(), gone);
        // Even a direct call cannot accept a directory that does not exist.
        QMetaObject::invokeMethod(d.get(), "on_extractRun_clicked");
        QVERIFY(d->isVisible());
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
        QCOMPARE(d->spinCache->value(), shown);
        QCOMPARE(d->options().cache, shown);
    }

    void storedConvertFalseKeepsStore()
    {
        store(QStringLiteral("Convert"), false);
        store(QStringLiteral("Store"), false);
        auto d = openDialog();
        QVERIFY(d->radioStore->isChecked());
        QCOMPARE(d->options().mode, int(ModeStore));
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
            QTest::mouseClick(d->extractDir, Qt::LeftButton);
            QVERIFY(handler.seen());
            QCOMPARE(caption, QStringLiteral("Output directory"));
            QVERIFY(foldersOnly);
            QCOMPARE(d->outputDir.absolutePath(), answer.isEmpty() ? target.path() : answer);
            QCOMPARE(d->editDir->text(), answer.isEmpty() ? target.path() : answer);
            QVERIFY(d->extractRun->isEnabled());
        }
    }

    // The keys a user presses: a folder typed into the field (Extract follows whether it
    // exists), Enter extracts, Esc and Cancel leave.
    void keysAndTypedFolder_data()
    {
        QTest::addColumn<QString>("typed"); // in the temporary folder; "-" a folder not there
        QTest::addColumn<QString>("press"); // "enter", "escape" or "cancel"
        QTest::addColumn<int>("result");
        QTest::newRow("typed folder, Enter") << "typed" << "enter" << int(QDialog::Accepted);
        QTest::newRow("missing folder, Enter") << "-" << "enter" << -1;
        QTest::newRow("Escape") << "typed" << "escape" << int(QDialog::Rejected);
        QTest::newRow("Cancel") << "typed" << "cancel" << int(QDialog::Rejected);
    }
    void keysAndTypedFolder()
    {
        QFETCH(QString, typed);
        QFETCH(QString, press);
        QFETCH(int, result);
        QVERIFY(QDir(outputDir.path()).mkpath(QStringLiteral("typed")));
        auto d = openDialog();
        QVERIFY(!d->extractRun->isEnabled());
        d->editDir->setFocus();
        QTest::keyClicks(d->editDir, outputDir.filePath(typed == "-" ? "missing" : typed));
        QCOMPARE(d->extractRun->isEnabled(), typed != "-");
        if (press == "cancel")
            QTest::mouseClick(d->buttonCancel, Qt::LeftButton);
        else
            QTest::keyClick(d->editDir, press == "enter" ? Qt::Key_Return : Qt::Key_Escape);
        QCOMPARE(d->isVisible(), result < 0);
        if (result < 0)
            return;
        QCOMPARE(d->result(), result);
        if (result == QDialog::Accepted)
            QCOMPARE(d->options().outputDir.path(), outputDir.filePath(typed));
    }
};

QTEST_MAIN(TestExtractDialog)
#include "tst_extractdialog.moc"
