// The stored stream's file: a failed write is kept, and bytes still buffered that cannot
// reach the disc make finishing fail.
#include <QtTest>
#include "testzone/resultcompare.h"

#include "2-stream/streamdumper.h"
#include "4-output/rawfilesink.h"

namespace {
const quint8 *bytesOf(const QByteArray &bytes)
{
    return reinterpret_cast<const quint8 *>(bytes.constData());
}
} // namespace

class TestRawFileSink : public QObject {
    Q_OBJECT

private slots:
    void failuresAreKept()
    {
        if (!QFile::exists("/dev/full"))
            QSKIP("no /dev/full to fill");
        const QByteArray big(1 << 20, 'z');
        RawFileSink full("/dev/full", WrittenFile());
        QCOMPARE(full.open().code(), ResultCode::Succeeded);
        DVDARawStreamDumper dumper(full);
        QCOMPARE(dumper.write(bytesOf(big), int(big.size())).code(), ResultCode::WriteOutput);
        // Every later call reports the failure too.
        QCOMPARE(dumper.write(bytesOf(big), 10).code(), ResultCode::WriteOutput);

        RawFileSink unflushed("/dev/full", WrittenFile());
        QCOMPARE(unflushed.open().code(), ResultCode::Succeeded);
        QCOMPARE(unflushed.write(bytesOf(big), 10).code(), ResultCode::Succeeded);
        std::vector<WrittenFile> files;
        QCOMPARE(unflushed.finish(&files).code(), ResultCode::CloseOutput);
        QVERIFY(files.empty());
    }
};

QTEST_GUILESS_MAIN(TestRawFileSink)
#include "tst_rawfilesink.moc"
