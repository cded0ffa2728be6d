// The RIFF/WAVE header as written and as finished: byte for byte, both forms, and the
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
    // Both header forms as a finished file holds them, byte for byte: sizes, the container
    // of 20-bit samples (3 bytes; the extensible form's valid bits say 20), an empty file.
    void headers_data()
    {
        QTest::addColumn<QList<int>>("format"); // channels, rate, bits, mask, old form, frames
        QTest::addColumn<QByteArray>("header"); // hex, spaces between fields
        const QByteArray guid = " 0100000000001000800000aa00389b71 64617461 ";
        QTest::newRow("extensible stereo 16") << QList<int>{2, 44100, 16, 0x3, 0, 1000}
            << "52494646 dc0f0000 57415645666d7420 28000000 feff 0200 44ac0000 10b10200 0400 1000 "
               "1600 1000 03000000" + guid + "a00f0000";
        QTest::newRow("old stereo 16") << QList<int>{2, 44100, 16, 0x3, 1, 1000}
            << QByteArray("52494646 c40f0000 57415645666d7420 10000000 0100 0200 44ac0000 10b10200 0400 "
                          "1000 64617461 a00f0000");
        QTest::newRow("extensible 5.1 20 bits") << QList<int>{6, 96000, 20, 0x3F, 0, 1}
            << "52494646 4e000000 57415645666d7420 28000000 feff 0600 00770100 005e1a00 1200 1800 "
               "1600 1400 3f000000" + guid + "12000000";
        QTest::newRow("old 5.1 20 bits") << QList<int>{6, 96000, 20, 0x3F, 1, 1}
            << QByteArray("52494646 36000000 57415645666d7420 10000000 0100 0600 00770100 005e1a00 1200 "
                          "1800 64617461 12000000");
        QTest::newRow("empty") << QList<int>{1, 48000, 24, 0x4, 0, 0}
            << "52494646 3c000000 57415645666d7420 28000000 feff 0100 80bb0000 80320200 0300 1800 "
               "1600 1800 04000000" + guid + "00000000";
    }
    void headers()
    {
        QFETCH(QList<int>, format);
        QFETCH(QByteArray, header);
        QTemporaryDir dir;
        const QString path = dir.filePath("a.wav");
        QVERIFY(writeWave(path, format[0], format[1], format[2], format[3], format[4] != 0, format[5]));
        const QByteArray b = readFile(path), expected = QByteArray::fromHex(header.replace(' ', ""));
        QCOMPARE(b.left(expected.size()).toHex(' '), expected.toHex(' '));
        QCOMPARE(b.mid(expected.size()), QByteArray(format[5] * format[0] * ((format[2] + 7) / 8), '\x5A'));
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
