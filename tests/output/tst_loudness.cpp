// ReplayGain 2.0 as measured while files are written: the gain within 0.1 dB of FFmpeg's
// ebur128 filter on the same wave file (mono, stereo, 5.1 with a loud LFE that must not
// count, 24 bits), the sample peak exact, and the album over several files; and the
// meters fed off the writing thread measure exactly what they would have in line.
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>

#include "output/loudnessmeter.h"
#include "output/loudnesswork.h"
#include "output/wavefile.h"
#include "testzone/externaltools.h"

namespace {

// Seconds of a sine per channel at the channel's amplitude (0 to 1), as a wave file's data
// holds them: little-endian, 2 or 3 bytes.
QByteArray sines(const QList<double> &amplitudes, int bits, int seconds, int rate = 48000)
{
    const int width = bits / 8, channels = int(amplitudes.size());
    const double full = std::ldexp(1.0, bits - 1) - 1;
    QByteArray bytes(qsizetype(rate) * seconds * channels * width, '\0');
    auto *out = reinterpret_cast<quint8 *>(bytes.data());
    for (qint64 i = 0; i < qint64(rate) * seconds; ++i)
        for (int c = 0; c < channels; ++c) {
            const qint32 v = qint32(std::lround(amplitudes[c] * full * std::sin(2 * M_PI * (300 + 200 * c) * double(i) / rate)));
            for (int b = 0; b < width; ++b)
                *out++ = quint8(quint32(v) >> (8 * b));
        }
    return bytes;
}

// The largest magnitude of the samples, full scale 1.
double peakOf(const QByteArray &bytes, int bits)
{
    const int width = bits / 8;
    qint32 highest = 0;
    for (qsizetype i = 0; i + width <= bytes.size(); i += width) {
        quint32 raw = 0;
        for (int b = 0; b < width; ++b)
            raw |= quint32(quint8(bytes[i + b])) << (8 * b);
        const qint32 v = qint32(raw << (32 - bits)) >> (32 - bits);
        highest = qMax(highest, qAbs(v));
    }
    return highest / std::ldexp(1.0, bits - 1);
}

// FFmpeg's integrated loudness of a file, from the ebur128 filter's last reading.
double ffmpegLoudness(const QString &path, const QString &readings)
{
    QByteArray ignored;
    const QString error = testzone::runTool(
        "ffmpeg", {"-v", "error", "-i", path, "-af",
                   "ebur128=metadata=1,ametadata=mode=print:key=lavfi.r128.I:file=" + readings, "-f", "null", "-"},
        &ignored);
    QFile file(readings);
    if (!error.isEmpty() || !file.open(QIODevice::ReadOnly))
        return NAN;
    const QList<QByteArray> lines = file.readAll().trimmed().split('\n');
    return QString::fromLatin1(lines.last()).section('=', 1).toDouble();
}

// Writes the samples as a wave file and measures them on the way, as an extraction does.
std::unique_ptr<LoudnessMeter> writeMeasured(const QString &path, const QByteArray &bytes, int channels, int bits, int mask)
{
    auto meter = std::make_unique<LoudnessMeter>(channels, 48000, bits, mask);
    WaveFile file;
    if (!file.open(path, channels, 48000, bits, mask))
        return nullptr;
    // In pieces of odd sizes (whole frames), as a decoder hands them over.
    const int frame = channels * bits / 8;
    for (qsizetype done = 0; done < bytes.size();) {
        const qsizetype count = qMin<qsizetype>(bytes.size() - done, frame * 1237);
        memcpy(file.reserve(count), bytes.constData() + done, size_t(count));
        meter->add(reinterpret_cast<const quint8 *>(bytes.constData() + done), count);
        file.commit(count);
        done += count;
    }
    return file.finish() ? std::move(meter) : nullptr;
}

double gainOf(double loudness)
{
    return replayGainText(loudness).section(' ', 0, 0).toDouble();
}

} // namespace

class TestLoudness : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

private slots:
    void initTestCase()
    {
        if (!testzone::haveTool("ffmpeg"))
            QSKIP("ffmpeg is needed as the reference");
    }

    void trackGainAndPeak_data()
    {
        QTest::addColumn<QList<double>>("amplitudes");
        QTest::addColumn<int>("bits");
        QTest::addColumn<int>("mask");
        QTest::newRow("mono") << QList<double>{0.5} << 16 << 0x4;
        QTest::newRow("stereo, quiet") << QList<double>{0.05, 0.02} << 16 << 0x3;
        QTest::newRow("stereo, full scale") << QList<double>{1.0, 0.9} << 16 << 0x3;
        // The LFE (4th) is the loudest channel and counts for nothing; the surrounds 1.41.
        QTest::newRow("5.1") << QList<double>{0.2, 0.2, 0.3, 0.9, 0.25, 0.25} << 16 << 0x3F;
        QTest::newRow("5.1, 24 bits") << QList<double>{0.1, 0.3, 0.2, 0.8, 0.4, 0.05} << 24 << 0x3F;
    }
    void trackGainAndPeak()
    {
        QFETCH(QList<double>, amplitudes);
        QFETCH(int, bits);
        QFETCH(int, mask);
        const QByteArray samples = sines(amplitudes, bits, 6);
        // A name FFmpeg's filter option takes as it is.
        const QString path = dir.filePath(QString(QTest::currentDataTag()).remove(QRegularExpression("[^a-z0-9]")) + ".wav");
        const auto meter = writeMeasured(path, samples, int(amplitudes.size()), bits, mask);
        QVERIFY(meter && meter->ok());
        const double reference = ffmpegLoudness(path, path + ".txt");
        QVERIFY(std::isfinite(reference));
        QVERIFY2(std::abs(gainOf(meter->loudness()) - (-18 - reference)) <= 0.1,
                 qPrintable(QString("ours %1, FFmpeg's %2 LUFS").arg(meter->loudness()).arg(reference)));
        QCOMPARE(meter->peak(), peakOf(samples, bits));
    }

    // The album: the files measured together, as FFmpeg measures them one after the other
    // (which also takes the 400 ms blocks across the joint: long files keep those few).
    void albumOverSeveralFiles()
    {
        const QByteArray loud = sines({0.8, 0.7}, 16, 30), quiet = sines({0.2, 0.15}, 16, 40);
        const auto first = writeMeasured(dir.filePath("a.wav"), loud, 2, 16, 0x3);
        const auto second = writeMeasured(dir.filePath("b.wav"), quiet, 2, 16, 0x3);
        const auto both = writeMeasured(dir.filePath("ab.wav"), loud + quiet, 2, 16, 0x3);
        QVERIFY(first && second && both);
        const double album = LoudnessMeter::loudnessOf({first.get(), second.get()});
        const double reference = ffmpegLoudness(dir.filePath("ab.wav"), dir.filePath("ab.txt"));
        QVERIFY2(std::abs(gainOf(album) - (-18 - reference)) <= 0.1,
                 qPrintable(QString("ours %1, FFmpeg's %2 LUFS").arg(album).arg(reference)));
        QVERIFY(std::abs(album - first->loudness()) > 1); // not the first file's alone
        QCOMPARE(replayGainText(-HUGE_VAL), QString("+0.00 dB")); // silence gets no gain
    }

    // Two files' meters fed through one queue, piece by piece in turn, over many batches:
    // each gets the same figures, to the bit, as a meter fed in line. The music changes
    // level, so a piece lost, measured twice, given to the other meter or out of order shows.
    void queuedMetersMeasureWhatInLineOnesDo()
    {
        const QByteArray a = sines({0.9, 0.8}, 24, 7) + sines({0.05, 0.1}, 24, 9) + sines({0.4, 0.3}, 24, 5);
        const QByteArray b = sines({0.1, 0.1}, 24, 4) + sines({0.7, 0.02}, 24, 11) + sines({0.2, 0.6}, 24, 6);
        LoudnessMeter inLineA(2, 48000, 24, 0x3), inLineB(2, 48000, 24, 0x3);
        LoudnessMeter queuedA(2, 48000, 24, 0x3), queuedB(2, 48000, 24, 0x3);
        inLineA.add(reinterpret_cast<const quint8 *>(a.constData()), a.size());
        inLineB.add(reinterpret_cast<const quint8 *>(b.constData()), b.size());
        {
            LoudnessWork work;
            const qsizetype piece = 6 * 1237;
            for (qsizetype at = 0; at < qMax(a.size(), b.size()); at += piece) {
                if (at < a.size())
                    work.add(queuedA, reinterpret_cast<const quint8 *>(a.constData() + at), qMin(piece, a.size() - at));
                if (at < b.size())
                    work.add(queuedB, reinterpret_cast<const quint8 *>(b.constData() + at), qMin(piece, b.size() - at));
            }
            work.finish();
        }
        QCOMPARE(queuedA.loudness(), inLineA.loudness());
        QCOMPARE(queuedB.loudness(), inLineB.loudness());
        QCOMPARE(queuedA.peak(), inLineA.peak());
        QCOMPARE(queuedB.peak(), inLineB.peak());
        QVERIFY(std::abs(inLineA.loudness() - inLineB.loudness()) > 0.5);
    }
};

QTEST_GUILESS_MAIN(TestLoudness)
#include "tst_loudness.moc"
