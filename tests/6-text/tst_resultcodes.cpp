// The message of every result code, and the fallback for values outside the table.
#include <QtTest>

#include "1-base/result.h"

class TestResultCodes : public QObject {
    Q_OBJECT
private slots:
    void messages_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        const struct {
            int code;
            const char *message;
        } table[] = {
            {0, "Extraction succeeded."},
            {-1, "Cannot open audio manager file."},
            {-2, "Cannot open audio titleset information file."},
            {-3, "Cannot open .AOB file."},
            {-4, "Cannot close audio manager file."},
            {-5, "Cannot close audio titleset information file."},
            {-6, "Cannot close .AOB file."},
            {-8, "Cannot read audio titleset information file."},
            {-9, "Cannot read .AOB file."},
            {-10, "Cannot seek in audio manager file."},
            {-11, "Cannot seek in audio titleset information file."},
            {-12, "Cannot seek in .AOB file."},
            {-13, "Cannot create file(s) in destination directory."},
            {-14, "Cannot delete file(s) in destination directory."},
            {-15, "Cannot close file(s) in destination directory."},
            {-16, "Cannot write file(s) to destination directory."},
            {-18, "Cannot find block in DVD-Audio zone."},
            {-19, "Titleset number does not exist."},
            {-20, "Cannot allocate converter."},
            {-21, "Cannot assign converter to stream."},
            {-22, "PCM buffer overrun during extracion."},
            {-25, "Cannot load avcodec."},
            {-26, "Cannot initialize MLP decoder."},
            {-27, "MLP decoder failed during extraction."},
            {-28, "MLP buffer overrun during extracion."},
            {-29, "Unknown DVD-Audio zone."},
            {-30, "Extraction cancelled by user request."},
            {-31, "Cannot instantiate external program."},
            {-32, "Cannot start external program."},
            {-33, "Cannot extract this type of object."},
            {-34, "Cannot downmix to stereo."},
            {-35, "External program failed."},
            // Gaps in the table and values past either end.
            {-7, "Unknown error."},
            {-17, "Unknown error."},
            {-23, "Unknown error."},
            {-24, "Unknown error."},
            {-36, "Unknown error."},
            {-100, "Unknown error."},
            {1, "Unknown error."},
            {5, "Unknown error."},
            {2147483647, "Unknown error."},
            {-2147483647 - 1, "Unknown error."},
        };
        for (const auto &row : table)
            QTest::addRow("%d", row.code) << row.code << QString::fromLatin1(row.message);
    }

    void messages()
    {
        QFETCH(int, code);
        QFETCH(QString, message);
        QCOMPARE(resultMessage(code), message);
    }

    // The constants keep the values other programs and logs know them by.
    void constantsKeepTheirValues()
    {
        QCOMPARE(int(ErrCancelled), -30);
        QCOMPARE(int(ErrProcessFailed), -35);
        QCOMPARE(int(ErrBlockNotFound), -18);
        QCOMPARE(int(ErrObjectKind), -33);
        QCOMPARE(int(ErrDownmix), -34);
    }
};

QTEST_MAIN(TestResultCodes)
#include "tst_resultcodes.moc"
