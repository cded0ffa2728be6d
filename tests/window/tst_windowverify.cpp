// The window's Verify beside Extract: enabled alike, the report in a dialog with a table
// and a copy button; a conversion through the Extract dialog lists damaged files in its
// result message and offers a second run with "Recover from stream errors".
#include <QClipboard>
#include <QMessageBox>
#include <QTableWidget>
#include <QtTest>

#include "window/verifyreport.h"
#include "window/zonetreeview.h"
#include "window/extractdialog.h"
#include "ui_extract.h"
#include "guitest.h"
#include "testzone/damagedtrack.h"
#include "output/samplechecksum.h"
#include "output/wavefile.h"
#include <QFileDialog>

class TestWindowVerify : public QObject {
    Q_OBJECT
    QTemporaryDir settingsDir;

private slots:
    void initTestCase()
    {
        guitest::redirectSettings(settingsDir.path());
        guitest::clearSettings();
    }

    // status: the report's status cell (verify) or the first damaged-file line (convert).
    void run_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<bool>("convert");
        QTest::addColumn<QString>("shown");
        QTest::newRow("verify clean") << "" << false << "ok";
        QTest::newRow("verify damaged") << "flip audio" << false << "DAMAGED";
        QTest::newRow("convert clean") << "" << true << "";
        QTest::newRow("convert damaged") << "flip audio" << true
                                         << "Damaged file: OUT/track-01-01[0]-01-[L-R]-16-48000.wav";
    }

    void run()
    {
        QFETCH(QString, damage);
        QFETCH(bool, convert);
        QFETCH(QString, shown);
        const DamagedTrack t(true, damage);
        QTemporaryDir out;
        QSettings settings(QStringLiteral("Tolvane"), QStringLiteral("Kestrova"));
        settings.setValue(QStringLiteral("ExtractDir"), out.path());
        settings.setValue(QStringLiteral("Convert"), true);
        auto w = guitest::startWindow();
        w->open(QDir(t.folder->path()));
        QVERIFY(!guitest::action(*w, "action_Verify")->isEnabled());
        w->treeView()->setSelected(guitest::treeObject(*w, {0, 0, 0}), true);
        QVERIFY(guitest::action(*w, "action_Verify")->isEnabled() && guitest::action(*w, "action_Extract")->isEnabled());

        QString seen = "(nothing)", copied, reported;
        auto handle = [&](QWidget *modal) {
            if (auto *dialog = qobject_cast<ExtractDialog *>(modal)) {
                QTest::mouseClick(dialog->form().extractRun, Qt::LeftButton);
                return;
            }
            if (auto *report = qobject_cast<VerifyReport *>(modal)) {
                seen = report->table->item(0, 2)->text();
                // The tree's words in the window; the command line's selector when copied.
                QCOMPARE(report->table->item(0, 0)->text(), QStringLiteral("Track 01 (1/1/1)"));
                QTest::mouseClick(report->copyButton, Qt::LeftButton);
                copied = QGuiApplication::clipboard()->text();
                reported = "1/1/1  MLP  " + seen;
            }
            if (auto *box = qobject_cast<QMessageBox *>(modal)) { // its first line, without the summary
                QStringList lines = box->informativeText().split('\n');
                lines.removeIf([](const QString &line) {
                    return line.contains(" written, ") || line.startsWith("Folder: ") || line.startsWith("Rip log: ");
                });
                seen = lines.join('\n').section(':', 0, 1);
            }
            modal->close();
        };
        if (convert) {
            guitest::ModalHandler dialog(handle);
            guitest::action(*w, "action_Extract")->trigger();
        } else {
            guitest::action(*w, "action_Verify")->trigger();
        }
        QVERIFY(w->extraction().isRunning()); // the ExtractDialog dialog is over; the walk runs
        QVERIFY(!guitest::action(*w, "action_Verify")->isVisible() && guitest::action(*w, "action_ExtractCancel")->isVisible());
        guitest::ModalHandler last(handle, 30000);
        QVERIFY(QTest::qWaitFor([&] { return !w->extraction().isRunning() && last.seen(); }, 30000));
        QCOMPARE(seen, shown.replace("OUT", out.path()));
        QVERIFY2(convert || (copied.startsWith(reported) && copied.endsWith(" failed\n")),
                 qPrintable(copied));
        QCOMPARE(QDir(out.path()).isEmpty(), !convert);
    }

    // A damaged MLP track: the end box lists it and offers Recover; taken, the track runs
    // again with it, over the files of the first run once the user says so.
    void damagedTrackOffersRecover()
    {
        const DamagedTrack t(true, "flip audio");
        QTemporaryDir out;
        QSettings settings(QStringLiteral("Tolvane"), QStringLiteral("Kestrova"));
        settings.setValue(QStringLiteral("ExtractDir"), out.path());
        settings.setValue(QStringLiteral("Convert"), true);
        settings.setValue(QStringLiteral("Format"), "wav");
        settings.setValue(QStringLiteral("StreamErrors"), 0);
        auto w = guitest::startWindow();
        w->open(QDir(t.folder->path()));
        w->treeView()->setSelected(guitest::treeObject(*w, {0, 0, 0}), true);
        QStringList boxes; // each end box: its lines and buttons
        guitest::ModalSequence handler([&](QWidget *modal) {
            if (auto *dialog = qobject_cast<ExtractDialog *>(modal)) {
                QTest::mouseClick(dialog->form().extractRun, Qt::LeftButton);
                return;
            }
            auto *box = qobject_cast<QMessageBox *>(modal);
            if (!box) {
                modal->close();
                return;
            }
            QAbstractButton *next = box->button(QMessageBox::Ok);
            QStringList buttons;
            for (QAbstractButton *button : box->buttons()) {
                buttons << button->text();
                if (button->text() == "Extract Again with Recover" || button->text() == "Overwrite")
                    next = button;
            }
            buttons.sort();
            if (!box->text().contains("already in")) // the question before the second run
                boxes << box->informativeText().section('\n', 0, 0) + " | " + buttons.join(", ");
            QTest::mouseClick(next ? next : box->buttons().first(), Qt::LeftButton);
        });
        guitest::action(*w, "action_Extract")->trigger();
        QVERIFY(QTest::qWaitFor([&] { return boxes.size() == 2 && !w->extraction().isRunning(); }, 30000));
        const QString damaged = "Damaged file: " + out.filePath("track-01-01[0]-01-[L-R]-16-48000.wav");
        QVERIFY2(boxes[0].startsWith(damaged) && boxes[0].endsWith(" | Extract Again with Recover, OK, Open Folder"),
                 qPrintable(boxes[0]));
        // The second run had Recover on: nothing more to offer.
        QVERIFY2(boxes[1].endsWith(" | OK, Open Folder"), qPrintable(boxes[1]));
        QFile log(out.filePath("kestrova-rip.log"));
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QString records = QString::fromUtf8(log.readAll());
        QCOMPARE(records.count("recover: false"), 1);
        QCOMPARE(records.count("recover: true"), 1);
    }

    // File > Check Rip Folder: a folder of one wave file and a log that names it, checked
    // as it is and after the file lost its end.
    void checkRipFolder_data()
    {
        QTest::addColumn<bool>("cut");
        QTest::addColumn<QString>("outputKey"); // of the record's options; older records had outputDir
        QTest::addColumn<QString>("said");
        QTest::newRow("as ripped") << false << "output" << "All 1 file in DIR match the rip log.|";
        QTest::newRow("an older record") << false << "outputDir" << "All 1 file in DIR match the rip log.|";
        QTest::newRow("file cut") << true << "output" << "1 difference with the rip log in DIR.|unreadable: a.wav: the data chunk ends";
    }
    void checkRipFolder()
    {
        QFETCH(bool, cut);
        QFETCH(QString, outputKey);
        QFETCH(QString, said);
        QTemporaryDir rip;
        const QString wave = rip.filePath("a.wav");
        WaveFile file;
        const QByteArray samples(4000, '\x21');
        QVERIFY(file.open(wave, 2, 48000, 16, 3));
        memcpy(file.reserve(samples.size()), samples.constData(), size_t(samples.size()));
        file.commit(samples.size());
        QVERIFY(file.finish());
        // A record as an extraction writes one, into a folder of another name.
        QFile log(rip.filePath("kestrova-rip.log"));
        QVERIFY(log.open(QIODevice::WriteOnly));
        log.write(QString("==== Kestrova 0.1.0, 2026-12-09T05:00:00\nOptions: %2: /old/rip/sub; mode: convert\n"
                          "1/1/1: Extraction succeeded.\n  /old/rip/sub/a.wav\n"
                          "    1000 samples, 00:00:00.021, 48000 Hz, 16 bits, 2 channels, CRC32 of the samples %1\n\n")
                      .arg(crc32Text(crc32Of(0, reinterpret_cast<const quint8 *>(samples.constData()), samples.size())),
                           outputKey)
                      .toUtf8());
        log.close();
        if (cut)
            QVERIFY(QFile(wave).resize(QFileInfo(wave).size() - 400));
        auto w = guitest::startWindow();
        QString seen;
        guitest::ModalSequence handler([&](QWidget *modal) {
            if (auto *files = qobject_cast<QFileDialog *>(modal)) {
                guitest::chooseFile(files, rip.path());
                return;
            }
            if (auto *box = qobject_cast<QMessageBox *>(modal))
                seen = box->text() + '|' + box->informativeText();
            modal->close();
        });
        guitest::action(*w, "action_CheckRip")->trigger();
        QVERIFY(QTest::qWaitFor([&] { return !seen.isEmpty(); }, 10000));
        QVERIFY2(seen.startsWith(QString(said).replace("DIR", rip.path())), qPrintable(seen));
        QVERIFY(guitest::action(*w, "action_CheckRip")->isEnabled());
    }
};

QTEST_MAIN(TestWindowVerify)
#include "tst_windowverify.moc"
