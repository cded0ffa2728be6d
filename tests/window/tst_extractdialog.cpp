// The extraction dialog: its first-use state, the enabling rules, the three group boxes
// that exclude each other, the settings it writes and reads, and the options it gives.
#include <QFile>
#include <QFileDialog>
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

    QList<QCheckBox *> waveBoxes(ExtractDialog &d)
    {
        return {d.form().checkMerge, d.form().checkSplit, d.form().checkDownmix, d.form().checkErrors, d.form().checkOldFormat};
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
        QCOMPARE(d.minimumSize(), QSize(370, 530));
        QCOMPARE(d.maximumSize(), QSize(370, 530));
        QCOMPARE(d.font().pointSize(), 8);
        QCOMPARE(d.windowModality(), Qt::ApplicationModal);
        QVERIFY(!d.form().extractRun->icon().isNull());
        QVERIFY(!d.form().extractDir->icon().isNull());
        QVERIFY(d.form().extractRun->isDefault());
        QVERIFY(!d.form().extractDir->autoDefault());
        QCOMPARE(d.form().extractRun->text(), QStringLiteral("Extract"));
        for (QWidget *w : QList<QWidget *>{d.form().checkMerge, d.form().checkSplit, d.form().checkOldFormat, d.form().staticCache, d.form().editDir})
            QVERIFY2(!w->toolTip().isEmpty(), qPrintable(w->objectName()));
        // Both radio buttons share the dialog, so they exclude each other.
        QCOMPARE(d.form().radioStore->parentWidget(), &d);
        QCOMPARE(d.form().radioConvert->parentWidget(), &d);

        // Tab order as the user moves through the dialog.
        const QList<QWidget *> order = {d.form().editDir,     d.form().extractDir,      d.form().radioStore,
                                        d.form().radioConvert, d.form().checkMerge,     d.form().checkSplit,
                                        d.form().checkOldFormat, d.form().comboFormat,  d.form().spinCompression,
                                        d.form().checkRun,    d.form().editCommand,     d.form().checkDelete,
                                        d.form().checkMessages, d.form().editName,      d.form().extractRun,
                                        d.form().buttonCancel};
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
        QVERIFY(d->form().radioStore->isChecked());
        QVERIFY(!d->form().radioConvert->isChecked());
        for (QCheckBox *box : waveBoxes(*d)) {
            QVERIFY2(!box->isEnabled(), qPrintable(box->objectName()));
            QVERIFY2(!box->isChecked(), qPrintable(box->objectName()));
        }
        QVERIFY(!d->form().checkRun->isChecked());
        QVERIFY(!d->form().editCommand->isEnabled());
        QVERIFY(!d->form().spinCache->isEnabled());
        QVERIFY(!d->form().checkDelete->isEnabled());
        QVERIFY(d->form().checkMessages->isEnabled());
        QCOMPARE(d->form().spinCache->value(), 1000);
        QVERIFY(d->form().editDir->text().isEmpty());
        QVERIFY(!d->form().extractRun->isEnabled());

        // The disabled run button does not accept the dialog.
        QTest::mouseClick(d->form().extractRun, Qt::LeftButton);
        QVERIFY(d->isVisible());
        QCOMPARE(d->result(), int(QDialog::Rejected));
    }

    void modeAndRunEnableTheirBoxes()
    {
        auto d = openDialog();
        guitest::clickIndicator(d->form().radioConvert);
        QVERIFY(d->form().radioConvert->isChecked());
        QVERIFY(!d->form().radioStore->isChecked());
        for (QCheckBox *box : waveBoxes(*d))
            QVERIFY2(box->isEnabled(), qPrintable(box->objectName()));

        // The compression level is FLAC's, the old header WAV's.
        QVERIFY(d->form().comboFormat->isEnabled());
        QVERIFY(!d->form().spinCompression->isEnabled());
        d->form().comboFormat->setCurrentIndex(1);
        QVERIFY(d->form().spinCompression->isEnabled());
        QVERIFY(!d->form().checkOldFormat->isEnabled());
        d->form().comboFormat->setCurrentIndex(0);
        QVERIFY(d->form().checkOldFormat->isEnabled());

        // Store again: the boxes are disabled but keep what was checked.
        guitest::clickIndicator(d->form().checkDownmix);
        QVERIFY(d->form().checkDownmix->isChecked());
        guitest::clickIndicator(d->form().radioStore);
        QVERIFY(d->form().radioStore->isChecked());
        for (QCheckBox *box : waveBoxes(*d))
            QVERIFY2(!box->isEnabled(), qPrintable(box->objectName()));
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
        guitest::clickIndicator(d->form().radioConvert);
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
            guitest::clickIndicator(d->form().radioConvert);
            guitest::clickIndicator(d->form().checkSplit);
            guitest::clickIndicator(d->form().checkErrors);
            guitest::clickIndicator(d->form().checkRun);
            d->form().editCommand->setText(QStringLiteral("flac \"%filepath%\""));
            d->form().spinCache->setValue(250);
            guitest::clickIndicator(d->form().checkDelete);
            guitest::clickIndicator(d->form().checkMessages);
            d->form().comboFormat->setCurrentIndex(1);
            d->form().spinCompression->setValue(8);
            QTest::keyClicks(d->form().editName, QStringLiteral("%track% [%channels%]"));
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
        QCOMPARE(d->options().outputDir.path(), outputDir.path());
        QCOMPARE(d->form().editDir->text(), outputDir.path());
        QVERIFY(d->form().extractRun->isEnabled());
        QVERIFY(d->form().radioConvert->isChecked());
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
        QCOMPARE(d->options().outputDir.path(), gone);
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
        QCOMPARE(d->form().spinCache->value(), shown);
        QCOMPARE(d->options().cache, shown);
    }

    void storedConvertFalseKeepsStore()
    {
        store(QStringLiteral("Convert"), false);
        store(QStringLiteral("Store"), false);
        auto d = openDialog();
        QVERIFY(d->form().radioStore->isChecked());
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
            QTest::mouseClick(d->form().extractDir, Qt::LeftButton);
            QVERIFY(handler.seen());
            QCOMPARE(caption, QStringLiteral("Output directory"));
            QVERIFY(foldersOnly);
            QCOMPARE(d->options().outputDir.absolutePath(), answer.isEmpty() ? target.path() : answer);
            QCOMPARE(d->form().editDir->text(), answer.isEmpty() ? target.path() : answer);
            QVERIFY(d->form().extractRun->isEnabled());
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
        QVERIFY(!d->form().extractRun->isEnabled());
        d->form().editDir->setFocus();
        QTest::keyClicks(d->form().editDir, outputDir.filePath(typed == "-" ? "missing" : typed));
        QCOMPARE(d->form().extractRun->isEnabled(), typed != "-");
        if (press == "cancel")
            QTest::mouseClick(d->form().buttonCancel, Qt::LeftButton);
        else
            QTest::keyClick(d->form().editDir, press == "enter" ? Qt::Key_Return : Qt::Key_Escape);
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
