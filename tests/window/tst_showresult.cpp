// The message box that ends an extraction: text, icon and parent for each kind of code.
#include <QMainWindow>
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
        showResult(parent, ResultCode(code));
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
