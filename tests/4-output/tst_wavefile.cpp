// The RIFF/WAVE header as written and as finished: field by field, both forms, and the
// size fields of a file past 4 GiB.
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "4-output/wavefile.h"
#include "testzone/filesizelimit.h"
#include "testzone/wavereader.h"

namespace {

quint32 le32(const QByteArray &b, int at)
{
    const auto *u = reinterpret_cast<const uchar *>(b.constData()) + at;
    return quint32(u[0]) | quint32(u[1]) << 8 | quint32(u[2]) << 16 | quint32(u[3]) << 24;
}

quint16 le16(const QByteArray &b, int at)
{
    const auto *u = reinterpret_cast<const uchar *>(b.constData()) + at;
    return quint16(u[0] | u[1] << 8);
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Writes frames of zero samples and finishes the file.
bool writeWave(const QString &path, int channels, int rate, int bits, int mask, bool oldFormat,
               int frames)
{
    WaveFile wave;
    if (!wave.open(path, channels, rate, bits, mask, oldFormat))
        return false;
    const QByteArray samples(frames * channels * ((bits + 7) / 8), '\x5A');
    return wave.write(reinterpret_cast<const quint8 *>(samples.constData()), samples.size())
        && wave.finish();
}

} // namespace

class TestWaveFile : public QObject {
    Q_OBJECT

private slots:
    void extensibleStereo16()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("a.wav");
        QVERIFY(writeWave(path, 2, 44100, 16, 0x3, false, 1000));
        const QByteArray b = readFile(path);
        QCOMPARE(b.size(), 68 + 4000);
        QCOMPARE(b.left(4), QByteArray("RIFF"));
        QCOMPARE(le32(b, 4), 4060u);
        QCOMPARE(b.mid(8, 8), QByteArray("WAVEfmt "));
        QCOMPARE(le32(b, 16), 40u);
        QCOMPARE(le16(b, 20), quint16(0xFFFE));
        QCOMPARE(le16(b, 22), quint16(2));
        QCOMPARE(le32(b, 24), 44100u);
        QCOMPARE(le32(b, 28), 176400u);
        QCOMPARE(le16(b, 32), quint16(4));
        QCOMPARE(le16(b, 34), quint16(16));
        QCOMPARE(le16(b, 36), quint16(22));
        QCOMPARE(le16(b, 38), quint16(16));
        QCOMPARE(le32(b, 40), 0x3u);
        QCOMPARE(b.mid(44, 16), QByteArray::fromHex("0100000000001000800000aa00389b71"));
        QCOMPARE(b.mid(60, 4), QByteArray("data"));
        QCOMPARE(le32(b, 64), 4000u);
        QCOMPARE(b.mid(68), QByteArray(4000, '\x5A'));
    }

    void oldFormatStereo16()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("a.wav");
        QVERIFY(writeWave(path, 2, 44100, 16, 0x3, true, 1000));
        const QByteArray b = readFile(path);
        QCOMPARE(b.size(), 44 + 4000);
        QCOMPARE(le32(b, 4), 4036u);
        QCOMPARE(b.mid(8, 8), QByteArray("WAVEfmt "));
        QCOMPARE(le32(b, 16), 16u);
        QCOMPARE(le16(b, 20), quint16(1));
        QCOMPARE(le16(b, 22), quint16(2));
        QCOMPARE(le32(b, 24), 44100u);
        QCOMPARE(le32(b, 28), 176400u);
        QCOMPARE(le16(b, 32), quint16(4));
        QCOMPARE(le16(b, 34), quint16(16));
        QCOMPARE(b.mid(36, 4), QByteArray("data"));
        QCOMPARE(le32(b, 40), 4000u);
    }

    // 20-bit samples sit in 3-byte containers: the bits-per-sample field gives the
    // container, the extensible form's valid bits say 20.
    void twentyBitsSixChannels()
    {
        const QByteArray h = WaveFile::header(6, 96000, 20, 0x3F, false);
        QCOMPARE(h.size(), int(WaveFile::EXTENSIBLE_HEADER_SIZE));
        QCOMPARE(le16(h, 32), quint16(18));
        QCOMPARE(le32(h, 28), 96000u * 18);
        QCOMPARE(le16(h, 34), quint16(24));
        QCOMPARE(le16(h, 38), quint16(20));
        QCOMPARE(le32(h, 40), 0x3Fu);
        const QByteArray old = WaveFile::header(6, 96000, 20, 0x3F, true);
        QCOMPARE(old.size(), int(WaveFile::OLD_HEADER_SIZE));
        QCOMPARE(le16(old, 32), quint16(18));
        QCOMPARE(le16(old, 34), quint16(24));
    }

    // A file opened and finished without samples is a complete, empty wave file.
    void emptyFileIsComplete()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("e.wav");
        QVERIFY(writeWave(path, 1, 48000, 24, 0x4, false, 0));
        const QByteArray b = readFile(path);
        QCOMPARE(b.size(), 68);
        QCOMPARE(le32(b, 4), 60u);
        QCOMPARE(le32(b, 64), 0u);
    }

    void sizeFieldsDoNotWrap_data()
    {
        QTest::addColumn<bool>("oldFormat");
        QTest::addColumn<qint64>("fileSize");
        QTest::addColumn<quint32>("riffSize");
        QTest::addColumn<quint32>("dataSize");
        const qint64 four = qint64(1) << 32;
        QTest::newRow("extensible, 5 GiB") << false << 5 * (four / 4) << 0xFFFFFFFFu << 0xFFFFFFFFu;
        QTest::newRow("old, 5 GiB") << true << 5 * (four / 4) << 0xFFFFFFFFu << 0xFFFFFFFFu;
        // The largest file whose RIFF size still fits, while its data size fits too.
        QTest::newRow("old, RIFF size just fits") << true << four + 7 << 0xFFFFFFFFu
                                                  << quint32(four + 7 - 44);
        QTest::newRow("extensible, RIFF just past") << false << four + 8 << 0xFFFFFFFFu
                                                    << quint32(four + 8 - 68);
        QTest::newRow("extensible, data just past") << false << four + 68 << 0xFFFFFFFFu
                                                    << 0xFFFFFFFFu;
        QTest::newRow("extensible, data just fits") << false << four + 67 << 0xFFFFFFFFu
                                                    << 0xFFFFFFFFu;
    }

    // The sizes come from the file's size; a sparse file stands in for gigabytes of audio.
    void sizeFieldsDoNotWrap()
    {
        QFETCH(bool, oldFormat);
        QFETCH(qint64, fileSize);
        QFETCH(quint32, riffSize);
        QFETCH(quint32, dataSize);
        QTemporaryDir dir;
        const QString path = dir.filePath("big.wav");
        WaveFile wave;
        QVERIFY(wave.open(path, 2, 192000, 24, 0x3, oldFormat));
        const quint8 frame[6] = {1, 2, 3, 4, 5, 6};
        QVERIFY(wave.write(frame, 6));
        if (!QFile::resize(path, fileSize))
            QSKIP("no sparse files here");
        QVERIFY(wave.finish());
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.size(), fileSize);
        const QByteArray b = f.read(74);
        QCOMPARE(le32(b, 4), riffSize);
        QCOMPARE(le32(b, oldFormat ? 40 : 64), dataSize);
        QCOMPARE(b.mid(oldFormat ? 44 : 68, 6), QByteArray("\x01\x02\x03\x04\x05\x06", 6));
    }

    void sizeFieldClamps()
    {
        QCOMPARE(WaveFile::sizeField(0), 0u);
        QCOMPARE(WaveFile::sizeField(-8), 0u);
        QCOMPARE(WaveFile::sizeField(0xFFFFFFFFll), 0xFFFFFFFFu);
        QCOMPARE(WaveFile::sizeField(0x100000000ll), 0xFFFFFFFFu);
        QCOMPARE(WaveFile::sizeField(0x1234567890ll), 0xFFFFFFFFu);
    }

    void cannotCreate()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("taken.wav"));
        WaveFile wave;
        QVERIFY(!wave.open(dir.filePath("taken.wav"), 2, 48000, 16, 3, false));
        QVERIFY(!wave.isOpen());
        QVERIFY(!wave.write(reinterpret_cast<const quint8 *>("ab"), 2));
        QVERIFY(!wave.finish());
    }

    // The disc fills up in the middle of a frame: the write fails, and finishing still
    // leaves a valid file with every whole frame that reached the disc.
    // Past the first MiB, samples are written in the background: the failure shows at a
    // later write instead of the one whose bytes were lost.
    void discFullPartWay_data()
    {
        QTest::addColumn<int>("sampleBytes");
        QTest::addColumn<int>("room"); // for the samples, after the header
        QTest::newRow("in line") << 200000 << 100001;
        QTest::newRow("in the background") << 4000002 << 1500001;
    }
    void discFullPartWay()
    {
        QFETCH(int, sampleBytes);
        QFETCH(int, room);
        QTemporaryDir dir;
        const QString path = dir.filePath("partial.wav");
        QByteArray written;
        for (int i = 0; i < sampleBytes; ++i)
            written.append(char(i * 7 + i / 251));
        bool wrote = true, finished = true;
        {
            testzone::FileSizeLimit limit{rlim_t(68 + room)};
            if (!limit.active)
                QSKIP("cannot limit file sizes");
            WaveFile wave;
            QVERIFY(wave.open(path, 2, 96000, 24, 0x3, false));
            for (int at = 0; at < written.size() && wrote; at += 6000)
                wrote = wave.write(reinterpret_cast<const quint8 *>(written.constData()) + at, 6000);
            finished = wave.finish();
            QVERIFY(!wave.isOpen());
        }
        QVERIFY(!wrote);
        QVERIFY(!finished);
        const testzone::WaveContents w = testzone::readWave(path);
        QCOMPARE(w.problem, QString());
        QCOMPARE(w.samples.size(), room / 6 * 6);
        QVERIFY(w.samples == written.left(w.samples.size()));
    }

    // Writes to a full device fail at the latest when the file is finished.
    void fullDevice()
    {
        if (!QFile::exists("/dev/full"))
            QSKIP("no /dev/full");
        // The device itself: a link to it at the file's name would be replaced.
        const QString path = QStringLiteral("/dev/full");
        WaveFile wave;
        QVERIFY(wave.open(path, 2, 48000, 16, 3, false));
        const QByteArray chunk(65536, 'x');
        QVERIFY(!wave.write(reinterpret_cast<const quint8 *>(chunk.constData()), chunk.size()));
        QVERIFY(!wave.finish());
        QVERIFY(!wave.isOpen());
    }
};

QTEST_GUILESS_MAIN(TestWaveFile)
#include "tst_wavefile.moc"
