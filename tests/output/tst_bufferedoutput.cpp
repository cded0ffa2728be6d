// The output buffer of the wave and raw files: whatever sizes the writes and the laid-out
// runs come in (small, the buffer's size, past its largest size, mixed, in line or in the
// background), the file gets every byte once and in order, and a write to a file that is
// gone fails.
#include <QtTest>

#include "output/bufferedoutput.h"
#include "testzone/dumpzone.h"

namespace {
enum : int {
    FIRST = BufferedOutput::FIRST_SIZE,
    LARGEST = BufferedOutput::LARGEST_SIZE,
    BACKGROUND = BufferedOutput::BACKGROUND_SIZE,
};

// Lays n bytes of bytes out in place.
bool layOut(BufferedOutput &output, const QByteArray &bytes)
{
    quint8 *room = output.reserve(bytes.size());
    if (!room)
        return false;
    std::memcpy(room, bytes.constData(), size_t(bytes.size()));
    output.commit(bytes.size());
    return true;
}
}

class TestBufferedOutput : public QObject {
    Q_OBJECT

private slots:
    void bytesInOrder_data()
    {
        QTest::addColumn<QList<int>>("pieces"); // > 0 written, < 0 laid out in place
        QTest::newRow("small writes") << QList<int>{1, 7, 2048, 3};
        QTest::newRow("large write after buffered bytes") << QList<int>{100, FIRST, 5};
        QTest::newRow("past the largest size") << QList<int>{3, LARGEST + 1, 9};
        QTest::newRow("buffer grows over many flushes")
            << QList<int>{FIRST - 1, FIRST - 1, FIRST - 1, FIRST - 1, FIRST - 1, FIRST - 1};
        QTest::newRow("laid out, small and beyond the buffer")
            << QList<int>{-10, 20, -(LARGEST + 3), -1, 4};
        // Past the in-line writes, each full buffer goes out in the background while the
        // other one fills; a large write waits for it.
        QList<int> background(12, -(BACKGROUND / 2 + 1));
        background << 7 << LARGEST << -5 << FIRST - 1;
        QTest::newRow("written in the background") << background;
    }
    void bytesInOrder()
    {
        QFETCH(QList<int>, pieces);
        QTemporaryDir dir;
        QFile file(dir.filePath("out"));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        BufferedOutput output;
        output.start(&file);
        QByteArray expected;
        quint32 seed = 1;
        for (int piece : pieces) {
            const QByteArray bytes = dumpzone::pattern(qAbs(piece), seed++);
            const auto *data = reinterpret_cast<const quint8 *>(bytes.constData());
            if (piece > 0)
                QVERIFY(output.write(data, piece));
            else
                QVERIFY(layOut(output, bytes));
            expected += bytes;
        }
        QVERIFY(output.flush());
        file.close();
        QCOMPARE(dumpzone::fileBytes(dir.filePath("out")), expected);
    }

    // More files than background slots, written by turns: the files past the slots are
    // written in line, every file gets its bytes in order, and finished files give their
    // slots back.
    void moreFilesThanSlots()
    {
        enum { FILES = BackgroundWrite::SLOTS + 2, PIECES = 8 };
        QTemporaryDir dir;
        QFile files[FILES];
        BufferedOutput outputs[FILES];
        QByteArray expected[FILES];
        for (int f = 0; f < FILES; ++f) {
            files[f].setFileName(dir.filePath(QString::number(f)));
            QVERIFY(files[f].open(QIODevice::WriteOnly | QIODevice::Unbuffered));
            outputs[f].start(&files[f]);
        }
        for (int k = 0; k < PIECES; ++k) {
            for (int f = 0; f < FILES; ++f) {
                const QByteArray bytes = dumpzone::pattern(BACKGROUND / 2 + f, k * FILES + f);
                QVERIFY(layOut(outputs[f], bytes));
                expected[f] += bytes;
            }
            QVERIFY(BackgroundWrite::slotsInUse() <= int(BackgroundWrite::SLOTS));
        }
        QCOMPARE(BackgroundWrite::slotsInUse(), int(BackgroundWrite::SLOTS));
        for (int f = 0; f < FILES; ++f) {
            QVERIFY(outputs[f].flush());
            outputs[f].release();
            files[f].close();
            QCOMPARE(dumpzone::fileBytes(files[f].fileName()), expected[f]);
        }
        QCOMPARE(BackgroundWrite::slotsInUse(), 0);
    }

    void closedFileRefuses()
    {
        QTemporaryDir dir;
        QFile file(dir.filePath("out"));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        BufferedOutput output;
        output.start(&file);
        const quint8 byte = 1;
        QVERIFY(output.write(&byte, 1));
        file.close();
        QVERIFY(!output.flush());
        QVERIFY(!output.write(&byte, 1));
        QVERIFY(!output.reserve(1));
    }
};

QTEST_GUILESS_MAIN(TestBufferedOutput)
#include "tst_bufferedoutput.moc"
