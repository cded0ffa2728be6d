// Which command lines kestrova answers on the terminal and which start the window.
#include <QtTest>

#include "window/terminaloptions.h"
#include "kestrova_version.h"

class TestTerminalOptions : public QObject {
    Q_OBJECT

private slots:
    void answer_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("answered");
        QTest::addColumn<QString>("firstLine");
        const QString help = QStringLiteral("Usage: kestrova [ZONE]");
        const QString version = QStringLiteral("kestrova " KESTROVA_VERSION);
        QTest::newRow("nothing") << QStringList() << false << QString();
        QTest::newRow("a zone") << QStringList{"/media/dvd/AUDIO_TS"} << false << QString();
        QTest::newRow("Qt's own option")
            << QStringList{"-platform", "offscreen"} << false << QString();
        QTest::newRow("--help") << QStringList{"--help"} << true << help;
        QTest::newRow("-h after a zone") << QStringList{"AUDIO_TS", "-h"} << true << help;
        QTest::newRow("--version") << QStringList{"--version"} << true << version;
        QTest::newRow("-V") << QStringList{"-V"} << true << version;
        QTest::newRow("help wins over version")
            << QStringList{"--version", "--help"} << true << help;
        QTest::newRow("a zone named --help after --")
            << QStringList{"--", "--help"} << false << QString();
    }
    void answer()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, answered);
        QFETCH(QString, firstLine);
        const TerminalAnswer answer = terminalAnswer(arguments);
        QCOMPARE(answer.answered, answered);
        QCOMPARE(answer.exitCode, 0);
        QCOMPARE(answer.text.section(QLatin1Char('\n'), 0, 0), firstLine);
    }
};

QTEST_GUILESS_MAIN(TestTerminalOptions)
#include "tst_terminaloptions.moc"
