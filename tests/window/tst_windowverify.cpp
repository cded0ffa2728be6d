// The window's Verify beside Extract: enabled alike, the report in a dialog with a table
// and a copy button; a conversion through the Extract dialog lists damaged files in its
// result message.
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
                QTest::mouseClick(report->copyButton, Qt::LeftButton);
                copied = QGuiApplication::clipboard()->text();
                reported = "track-01-01[0]-01  MLP  " + seen;
            }
            if (auto *box = qobject_cast<QMessageBox *>(modal)) // its first line, before the summary
                seen = box->informativeText().contains(" written, ")
                           ? box->informativeText().section('\n', 0, -2).section(':', 0, 1)
                           : box->informativeText().section(':', 0, 1);
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
};

QTEST_MAIN(TestWindowVerify)
#include "tst_windowverify.moc"
