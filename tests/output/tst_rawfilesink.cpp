// The stored stream's file: written under its staging name; a write that fails names the
// file and the system's reason, and what reached the disc is listed as partial.
#include <QTemporaryDir>
#include <QtTest>
#include "testzone/resultcompare.h"

#include "stream/streamdumper.h"
#include "output/rawfilesink.h"
#include "output/stagedfile.h"
#include "testzone/filesizelimit.h"

namespace {
const quint8 *bytesOf(const QByteArray &bytes)
{
    return reinterpret_cast<const quint8 *>(bytes.constData());
}
} // namespace

class TestRawFileSink : public QObject {
    Q_OBJECT

private slots:
    void failuresNameTheFileAndItsReason()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("t.pcm");
        const QByteArray big(1 << 20, 'z');
        std::vector<WrittenFile> files;
        Result finished;
        {
            testzone::FileSizeLimit full(100000);
            if (!full.active)
                QSKIP("cannot limit file sizes");
            RawFileSink sink(path, WrittenFile());
            QCOMPARE(sink.open().code(), ResultCode::Succeeded);
            DVDARawStreamDumper dumper(sink);
            Result written;
            for (int k = 0; k < 8 && written.ok(); ++k)
                written = dumper.write(bytesOf(big), int(big.size()));
            finished = sink.finish(&files);
            QVERIFY(written.failed() || finished.failed());
        }
        QCOMPARE(finished.code(), ResultCode::WriteOutput);
        QVERIFY2(finished.where().startsWith(path + ": ") && finished.where().size() > path.size() + 2,
                 qPrintable(finished.where()));
        QCOMPARE(files.size(), size_t(1));
        QVERIFY(files[0].partial);
        QCOMPARE(files[0].path, path);
        QVERIFY(!QFile::exists(path)); // never under its own name
        QCOMPARE(QFileInfo(stagingPath(path)).size(), qint64(100000));
    }
};

QTEST_GUILESS_MAIN(TestRawFileSink)
#include "tst_rawfilesink.moc"
