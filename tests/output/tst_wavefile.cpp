// The RIFF/WAVE header as written and as finished: field by field, both forms, and the
// RF64 form of a file past 4 GiB.
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "output/wavefile.h"
#include "testzone/filesizelimit.h"
#include "testzone/externaltools.h"
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

    // A file said to be long gets the ds64 room as JUNK from the start; past 4 GiB it is
    // RF64 with its sizes in ds64, up to 4 GiB it stays RIFF. A sparse file stands in for
    // gigabytes of audio.
    void past4GiBTheFileIsRf64_data()
    {
        QTest::addColumn<bool>("oldFormat");
        QTest::addColumn<qint64>("fileSize");
        QTest::addColumn<bool>("rf64");
        const qint64 four = qint64(1) << 32;
        QTest::newRow("extensible, 5 GiB") << false << 5 * (four / 4) << true;
        QTest::newRow("old, 5 GiB") << true << 5 * (four / 4) << true;
        QTest::newRow("RIFF size just fits") << false << four + 7 << false;
        QTest::newRow("RIFF size just past") << true << four + 8 << true;
        QTest::newRow("a long title that came out short") << false << qint64(1000) << false;
    }
    void past4GiBTheFileIsRf64()
    {
        QFETCH(bool, oldFormat);
        QFETCH(qint64, fileSize);
        QFETCH(bool, rf64);
        QTemporaryDir dir;
        const QString path = dir.filePath("big.wav");
        WaveFile wave;
        wave.setExpectedLength(quint64(3) * 3600 * 90000); // 3 hours of 24-bit stereo at 192 kHz
        QVERIFY(wave.open(path, 2, 192000, 24, 0x3, oldFormat));
        const quint8 frame[6] = {1, 2, 3, 4, 5, 6};
        QVERIFY(wave.write(frame, 6));
        if (!QFile::resize(path, fileSize))
            QSKIP("no sparse files here");
        QVERIFY(wave.finish());
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.size(), fileSize);
        const QByteArray b = f.read(110);
        const int header = (oldFormat ? 44 : 68) + 36;
        QCOMPARE(b.left(4), QByteArray(rf64 ? "RF64" : "RIFF"));
        QCOMPARE(b.mid(12, 4), QByteArray(rf64 ? "ds64" : "JUNK"));
        QCOMPARE(le32(b, 16), 28u);
        if (rf64) {
            QCOMPARE(le32(b, 4), 0xFFFFFFFFu);
            QCOMPARE(le32(b, header - 4), 0xFFFFFFFFu);
            const auto le64 = [&b](int at) { return quint64(le32(b, at)) | quint64(le32(b, at + 4)) << 32; };
            QCOMPARE(le64(20), quint64(fileSize - 8));
            QCOMPARE(le64(28), quint64(fileSize - header));
            QCOMPARE(le64(36), quint64(fileSize - header) / 6);
            QCOMPARE(le32(b, 44), 0u);
        } else {
            QCOMPARE(le32(b, 4), quint32(fileSize - 8));
            QCOMPARE(le32(b, header - 4), quint32(fileSize - header));
        }
        QCOMPARE(b.mid(header, 6), QByteArray("\x01\x02\x03\x04\x05\x06", 6));
    }

    // With the limit lowered, small files show the switch: with the room reserved or made
    // when finishing, both header forms, marks after the samples. FFmpeg and sox read them
    // with every sample and nothing more.
    void rf64ReadBack_data()
    {
        QTest::addColumn<bool>("oldFormat");
        QTest::addColumn<bool>("reserved");
        QTest::addColumn<int>("frames");
        QTest::addColumn<int>("cues"); // of three marks, -1 none given
        QTest::addColumn<bool>("rf64");
        QTest::newRow("reserved, extensible") << false << true << 1001 << -1 << true;
        QTest::newRow("room made, extensible") << false << false << 1001 << -1 << true;
        QTest::newRow("room made, old") << true << false << 3000 << -1 << true;
        QTest::newRow("reserved, old, marked") << true << true << 1001 << 3 << true;
        QTest::newRow("room made, marked") << false << false << 1001 << 3 << true;
        // A title cut short (stopped): the mark past its end is left out.
        QTest::newRow("under the limit, cut short") << false << false << 601 << 2 << false;
        QTest::newRow("under the limit, reserved") << true << true << 601 << -1 << false;
    }
    void rf64ReadBack()
    {
        QFETCH(bool, oldFormat);
        QFETCH(bool, reserved);
        QFETCH(int, frames);
        QFETCH(int, cues);
        QFETCH(bool, rf64);
        QTemporaryDir dir;
        const QString path = dir.filePath("small.wav");
        QByteArray samples;
        for (int i = 0; i < frames * 3; ++i)
            samples.append(char(i * 37 + i / 256));
        WaveFile wave(oldFormat, 2000);
        if (reserved)
            wave.setExpectedLength(frames * quint64(90000) / 44100);
        if (cues >= 0)
            wave.setMarks(TrackMarks{{}, {}, {{1, 1, 0}, {2, 1, 90000 / 100}, {2, 2, 90000 / 50}}});
        QVERIFY(wave.open(path, 1, 44100, 24, 0x4, oldFormat));
        QVERIFY(wave.write(reinterpret_cast<const quint8 *>(samples.constData()), samples.size()));
        QVERIFY(wave.finish());

        const testzone::WaveContents w = testzone::readWave(path);
        QCOMPARE(w.problem, QString());
        QCOMPARE(w.rf64, rf64);
        QVERIFY(w.samples == samples);
        QCOMPARE(int(w.cues.size()), qMax(cues, 0));
        const std::vector<testzone::CuePoint> all{{0, "Track 01"}, {441, "Track 02"}, {882, "Track 02 Index 02"}};
        for (size_t k = 0; k < w.cues.size(); ++k) {
            QCOMPARE(w.cues[k].position, all[k].position);
            QCOMPARE(w.cues[k].label, all[k].label);
        }
        QByteArray out;
        QCOMPARE(testzone::runTool("ffmpeg", {"-v", "error", "-i", path, "-f", "s24le", "-"}, &out), QString());
        QVERIFY(out == samples);
        if (!testzone::haveTool("sox"))
            QSKIP("no sox");
        QCOMPARE(testzone::runTool("sox", {"-V1", path, "-t", "raw", "-"}, &out), QString());
        QVERIFY(out == samples);
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
        // A file that did not get its header is removed; a device never is.
        QVERIFY(QFileInfo::exists(path) && !QFileInfo(path).isFile());
    }
};

QTEST_GUILESS_MAIN(TestWaveFile)
#include "tst_wavefile.moc"
