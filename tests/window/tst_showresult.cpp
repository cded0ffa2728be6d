// The message box that ends an extraction: text, icon and parent for each kind of code;
// its lines, buttons and width, and what the user chose.
#include <QMainWindow>
#include <QLabel>
#include <QMessageBox>
#include <QtTest>
#include "testzone/resultcompare.h"

#include "base/result.h"
#include "window/showresult.h"
#include "guitest.h"

struct ShownBox {
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QWidget *parent = nullptr;
    int buttons = 0;
};

class TestShowResult : public QObject {
    Q_OBJECT

    // Shows the result of code and returns what the box held; closes it with its button.
    ShownBox show(int code, QWidget *parent = nullptr)
    {
        ShownBox shown;
        guitest::ModalHandler handler([&shown](QWidget *modal) {
            auto *box = qobject_cast<QMessageBox *>(modal);
            if (!box) {
                modal->close();
                return;
            }
            shown.text = box->text();
            shown.icon = box->icon();
            shown.parent = box->parentWidget();
            shown.buttons = box->buttons().size();
            QTest::mouseClick(box->buttons().first(), Qt::LeftButton);
        });
        (void)showResult(parent, ResultCode(code));
        if (!handler.seen())
            qWarning("no message box for code %d", code);
        return shown;
    }

private slots:
    void iconAndTextByCode_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("icon");
        QTest::newRow("success") << 0 << "Extraction succeeded." << int(QMessageBox::Information);
        QTest::newRow("cancelled") << -30 << "Extraction cancelled by user request."
                                   << int(QMessageBox::Warning);
        QTest::newRow("write failed") << -16 << "Cannot write file(s) to destination directory."
                                      << int(QMessageBox::Critical);
        QTest::newRow("mlp overrun") << -28 << "MLP buffer overrun during extracion."
                                     << int(QMessageBox::Critical);
        QTest::newRow("command failed") << -35 << "External program failed." << int(QMessageBox::Critical);
        QTest::newRow("unassigned -7") << -7 << "Unknown error." << int(QMessageBox::Critical);
        QTest::newRow("positive 5") << 5 << "Unknown error." << int(QMessageBox::Critical);
        QTest::newRow("unassigned -100") << -100 << "Unknown error." << int(QMessageBox::Critical);
    }

    void iconAndTextByCode()
    {
        QFETCH(int, code);
        QFETCH(QString, text);
        QFETCH(int, icon);
        const ShownBox shown = show(code);
        QCOMPARE(shown.text, text);
        QCOMPARE(int(shown.icon), icon);
        QCOMPARE(shown.buttons, 1);
    }

    // The lines in their order, the folder and rip log named, the buttons offered and the
    // one clicked; the box as wide as its longest line.
    void detailsAndChoice_data()
    {
        QTest::addColumn<QString>("retry");
        QTest::addColumn<QString>("click"); // a button's text
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QStringList>("buttons");
        QTest::addColumn<bool>("retried");
        const QString folder = "/music/rips/" + QString(50, 'x');
        const QStringList lines{"block 12 of ATS_01_1.AOB", "Failed: track 1/1/2: MLP decoder failed.",
                                "Damaged file: a.flac: 2 errors", "3 files written, 1.0 MB, in 0:00:01",
                                "Folder: " + folder, "Rip log: " + folder + "/kestrova-rip.log"};
        // The buttons in name order.
        QTest::newRow("ok") << "" << "OK" << lines << QStringList{"OK", "Open Folder"} << false;
        QTest::newRow("retry offered, not taken") << "Extract Again with Recover" << "OK" << lines
                                                  << QStringList{"Extract Again with Recover", "OK", "Open Folder"} << false;
        QTest::newRow("retry taken") << "Extract Again with Recover" << "Extract Again with Recover" << lines
                                     << QStringList{"Extract Again with Recover", "OK", "Open Folder"} << true;
    }
    void detailsAndChoice()
    {
        QFETCH(QString, retry);
        QFETCH(QString, click);
        QFETCH(QStringList, shown);
        QFETCH(QStringList, buttons);
        QFETCH(bool, retried);
        ResultDetails details;
        details.lines = {"Failed: track 1/1/2: MLP decoder failed.", "Damaged file: a.flac: 2 errors"};
        details.summary = "3 files written, 1.0 MB, in 0:00:01";
        details.folder = "/music/rips/" + QString(50, 'x');
        details.ripLog = details.folder + "/kestrova-rip.log";
        details.retry = retry;
        QStringList seenLines, seenButtons;
        bool wideEnough = false;
        guitest::ModalHandler handler([&](QWidget *modal) {
            auto *box = qobject_cast<QMessageBox *>(modal);
            if (!box) {
                modal->close();
                return;
            }
            seenLines = box->informativeText().split('\n');
            QAbstractButton *clicked = nullptr;
            const QList<QAbstractButton *> all = box->buttons();
            for (QAbstractButton *button : all) {
                seenButtons << button->text().remove('&');
                if (button->text().remove('&') == click)
                    clicked = button;
            }
            // No line is wrapped: the text's label is as wide as the longest.
            const auto *label = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_informativelabel"));
            int longest = 0;
            for (const QString &line : seenLines)
                longest = qMax(longest, label->fontMetrics().horizontalAdvance(line));
            wideEnough = label->width() >= longest;
            QTest::mouseClick(clicked ? clicked : all.first(), Qt::LeftButton);
        });
        const ResultChoice choice = showResult(nullptr, Result(ResultCode::MlpDecoder, "block 12 of ATS_01_1.AOB"), details);
        QVERIFY(handler.seen());
        QCOMPARE(seenLines, shown);
        seenButtons.sort();
        QCOMPARE(seenButtons, buttons);
        QVERIFY(wideEnough);
        QCOMPARE(choice == ResultChoice::Retry, retried);
    }

    // Open Folder where no program opens folders (the offscreen platform has none, and no
    // xdg-open is on an empty PATH): a box says so and gives the path to copy.
    void openFolderWithoutALauncherSaysWhere()
    {
        QTemporaryDir empty;
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", empty.path().toUtf8());
        ResultDetails details;
        details.folder = "/music/rips/night";
        QStringList seen;
        guitest::ModalSequence handler([&](QWidget *modal) {
            auto *box = qobject_cast<QMessageBox *>(modal);
            if (!box) {
                modal->close();
                return;
            }
            seen << box->text() + '|' + box->informativeText();
            for (QAbstractButton *button : box->buttons())
                if (button->text() == "Open Folder") {
                    button->click();
                    return;
                }
            QVERIFY(box->textInteractionFlags() & Qt::TextSelectableByMouse);
            box->button(QMessageBox::Ok)->click();
        });
        (void)showResult(nullptr, ResultCode::Succeeded, details);
        qputenv("PATH", path);
        QCOMPARE(seen.value(1), QString("No program to open folders was found. The files are in:|/music/rips/night"));
    }

    void parentedToTheGivenWindow()
    {
        auto window = std::make_unique<QMainWindow>();
        window->show();
        QCOMPARE(show(int(ResultCode::Cancelled), window.get()).parent, window.get());

        // Without a window the box still shows, without a parent.
        const ShownBox shown = show(int(ResultCode::Succeeded));
        QCOMPARE(shown.text, QStringLiteral("Extraction succeeded."));
        QCOMPARE(shown.parent, nullptr);
    }
};

QTEST_MAIN(TestShowResult)
#include "tst_showresult.moc"
