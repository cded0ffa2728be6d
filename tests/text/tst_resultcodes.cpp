// The message of every result code, and the fallback for values outside the table.
#include <QtTest>
#include "testzone/resultcompare.h"

#include "text/resulttext.h"

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
            {-3, "Cannot open .AOB file."},
            {-9, "Cannot read .AOB file."},
            {-13, "Cannot create file(s) in destination directory."},
            {-14, "Cannot delete file(s) in destination directory."},
            {-15, "Cannot close file(s) in destination directory."},
            {-16, "Cannot write file(s) to destination directory."},
            {-18, "Cannot find block in DVD-Audio zone."},
            {-20, "Cannot allocate converter."},
            {-25, "Cannot load avcodec."},
            {-26, "Cannot initialize MLP decoder."},
            {-27, "MLP decoder failed during extraction."},
            {-28, "MLP buffer overrun during extracion."},
            {-30, "Extraction cancelled by user request."},
            {-32, "Cannot start external program."},
            {-33, "Cannot extract this type of object."},
            {-34, "Cannot downmix to stereo."},
            {-35, "External program failed."},
            {-36, "Cannot join tracks of different formats into one file."},
            {-37, "Cannot join tracks that do not follow each other on the disc."},
            {-38, "No audio in the blocks of the object."},
            {-39, "Cannot decode MLP whose channel groups run at different sample rates; --store keeps the stream."},
            // Gaps in the table (among them the codes nothing produces any more) and
            // values past either end.
            {-1, "Unknown error."},
            {-2, "Unknown error."},
            {-4, "Unknown error."},
            {-5, "Unknown error."},
            {-6, "Unknown error."},
            {-8, "Unknown error."},
            {-10, "Unknown error."},
            {-11, "Unknown error."},
            {-12, "Unknown error."},
            {-19, "Unknown error."},
            {-21, "Unknown error."},
            {-22, "Unknown error."},
            {-29, "Unknown error."},
            {-31, "Unknown error."},
            {-7, "Unknown error."},
            {-17, "Unknown error."},
            {-23, "Unknown error."},
            {-24, "Unknown error."},
            {-40, "Unknown error."},
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
        QCOMPARE(resultMessage(ResultCode(code)), message);
    }

    // The constants keep the values other programs and logs know them by.
    void constantsKeepTheirValues()
    {
        QCOMPARE(int(ResultCode::Cancelled), -30);
        QCOMPARE(int(ResultCode::ProcessFailed), -35);
        QCOMPARE(int(ResultCode::BlockNotFound), -18);
        QCOMPARE(int(ResultCode::ObjectKind), -33);
        QCOMPARE(int(ResultCode::Downmix), -34);
    }
};

QTEST_MAIN(TestResultCodes)
#include "tst_resultcodes.moc"
