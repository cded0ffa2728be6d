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
            {-40, "No way of extraction chosen: store, convert or verify."},
            {-41, "Cannot decode a stream that is neither linear PCM nor MLP; --store keeps it."},
            {-42, "The stream's header gives no usable sample rate (0 Hz, or group 2 faster than group 1)."},
            {-43, "The stream's header gives a sample depth other than 16, 20 or 24 bits."},
            {-44, "The stream's header gives channel counts that no channel assignment has."},
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
            {-20, "Unknown error."},
            {-45, "Unknown error."},
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
