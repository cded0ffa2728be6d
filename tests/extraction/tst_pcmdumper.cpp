// The linear PCM converter fed directly, into the wave files an extraction gives it: the
// unit layouts byte by byte, units split over calls, the group-2 cycle, merged frame
// order, and streams it must refuse.
#include <QDir>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>
#include "testzone/resultcompare.h"
#include <memory>

#include "base/result.h"
#include "stream/channeltable.h"
#include "stream/pcmstreamdumper.h"
#include "output/discardingsink.h"
#include "extraction/objectoutput.h"
#include "extraction/settledfiles.h"
#include "testzone/dumpzone.h"
#include "testzone/pcmpacking.h"
#include "testzone/wavereader.h"

using namespace testzone;

namespace {

ExtractOptions convertOptions()
{
    ExtractOptions o;
    o.mode = ModeConvert;
    return o;
}

QByteArray bytes(const char *hex)
{
    return QByteArray::fromHex(hex);
}

// The PCM dumper with its wave files, as an extraction makes them; they are finished and
// published under their names when it goes.
struct Converter {
    Converter(const StreamInfo &info, const QString &base, const ExtractOptions &options)
        : output(info, base, options)
    {
    }
    ~Converter()
    {
        std::vector<WrittenFile> files;
        const Result finished = output.finish(&files);
        (void)settleFiles(files, finished, false);
    }
    DVDAPCMStreamDumper &pcm() const { return *static_cast<DVDAPCMStreamDumper *>(output.dumper()); }
    ObjectOutput output;
};

Result feed(const Converter &d, const QByteArray &b)
{
    return d.pcm().write(reinterpret_cast<const quint8 *>(b.constData()), int(b.size()));
}

// Feeds the stream in pieces of random size (1 to maxPiece bytes).
Result feedInPieces(const Converter &d, const QByteArray &b, int maxPiece, quint32 seed)
{
    QRandomGenerator random(seed);
    Result result;
    for (int pos = 0; pos < b.size() && result.ok();) {
        const int n = qMin(int(b.size()) - pos, 1 + int(random.bounded(maxPiece)));
        result = d.pcm().write(reinterpret_cast<const quint8 *>(b.constData()) + pos, n);
        pos += n;
    }
    return result;
}

// The samples of a finished file; fails the test when the file is not a sound wave file.
QByteArray samplesOf(const QString &path)
{
    const WaveContents w = readWave(path);
    if (!w.problem.isEmpty())
        qWarning("%s: %s", qPrintable(path), qPrintable(w.problem));
    return w.problem.isEmpty() ? w.samples : QByteArray("<invalid>");
}

} // namespace

class TestPcmDumper : public QObject {
    Q_OBJECT

private slots:
    // The unit layouts: which packed byte ends up where in the wave file.
    void unitBytes_data()
    {
        QTest::addColumn<int>("group1Bits");
        QTest::addColumn<int>("group2Bits"); // 0: no group 2
        QTest::addColumn<QByteArray>("stream");
        QTest::addColumn<QByteArray>("group1File");
        QTest::addColumn<QByteArray>("group2File");
        QTest::newRow("16 bits") << 16 << 0 << bytes("123456789ABCDEF0")
                                 << bytes("34127856BC9AF0DE") << QByteArray();
        QTest::newRow("24 bits") << 24 << 0 << bytes("1122334455667788AABBCCDD")
                                 << bytes("AA2211BB4433CC6655DD8877") << QByteArray();
        QTest::newRow("20 bits") << 20 << 0 << bytes("1122334455667788ABCD")
                                 << bytes("A02211B04433C06655D08877") << QByteArray();
        // Group 2's unit comes first; its 20-bit nibbles land the same way.
        QTest::newRow("20 bits in group 2") << 16 << 20
                                            << bytes("1122334455667788ABCD" "123456789ABCDEF0")
                                            << bytes("34127856BC9AF0DE")
                                            << bytes("A02211B04433C06655D08877");
    }

    void unitBytes()
    {
        QFETCH(int, group1Bits);
        QFETCH(int, group2Bits);
        QFETCH(QByteArray, stream);
        QFETCH(QByteArray, group1File);
        QFETCH(QByteArray, group2File);
        QTemporaryDir dir;
        const QString base = dir.filePath("t");
        const PcmGroup g1{2, group1Bits, 48000};
        const PcmGroup g2{group2Bits ? 2 : 0, group2Bits ? group2Bits : 16, 48000};
        const StreamInfo info = pcmInfo(group2Bits ? 3 : 1, g1, g2);
        {
            Converter d(info, base, convertOptions());
            QCOMPARE(d.output.result(), ResultCode::Succeeded);
            QCOMPARE(feed(d, stream), ResultCode::Succeeded);
        }
        if (group2Bits) {
            QCOMPARE(samplesOf(base + QString("-[Lf-Rf]-%1-48000.wav").arg(group1Bits)), group1File);
            QCOMPARE(samplesOf(base + QString("-[Ls-Rs]-%1-48000.wav").arg(group2Bits)), group2File);
        } else {
            QCOMPARE(samplesOf(base + QString("-[L-R]-%1-48000.wav").arg(group1Bits)), group1File);
        }
    }

    // A unit cut by the end of a call is held back until the rest arrives; the rest of
    // an unfinished last unit is dropped.
    void unitAcrossCalls()
    {
        const QByteArray unit = bytes("1122334455667788AABBCCDD");
        const StreamInfo info = pcmInfo(1, PcmGroup{2, 24, 96000});
        QTemporaryDir dir;
        const QString file = dir.filePath("a-[L-R]-24-96000.wav");
        {
            Converter d(info, dir.filePath("a"), convertOptions());
            QCOMPARE(feed(d, unit.left(5)), ResultCode::Succeeded);
            QCOMPARE(d.pcm().carry, 5);
        }
        QVERIFY(!QFile::exists(file)); // no sample: no file
        {
            Converter d(info, dir.filePath("a"), convertOptions());
            QCOMPARE(feed(d, unit.left(5)), ResultCode::Succeeded);
            QCOMPARE(feed(d, unit.mid(5) + unit.left(3)), ResultCode::Succeeded);
            QCOMPARE(d.pcm().carry, 3);
        }
        QCOMPARE(samplesOf(file), bytes("AA2211BB4433CC6655DD8877"));
    }

    // However the stream is cut into calls (the phase-0 step is the longer one), the
    // files hold the known samples. The round trip covers the layouts; this the cuts.
    void piecesOfAnySize_data()
    {
        QTest::addColumn<int>("assignment");
        QTest::addColumn<QList<int>>("groups"); // c1 b1 r1 c2 b2 r2
        QTest::addColumn<int>("maxPiece");
        QTest::newRow("5 ch 20/16 half rate, 1-61 bytes") << 14
            << QList<int>{3, 20, 88200, 2, 16, 44100} << 61;
        QTest::newRow("6 ch 24/20 half rate, 1-7 bytes") << 17
            << QList<int>{3, 24, 96000, 3, 20, 48000} << 7;
        QTest::newRow("6 ch 24 quarter rate, 1-2047 bytes") << 20
            << QList<int>{4, 24, 176400, 2, 24, 44100} << 2047;
    }

    void piecesOfAnySize()
    {
        QFETCH(int, assignment);
        QFETCH(QList<int>, groups);
        QFETCH(int, maxPiece);
        const PcmGroup g1{groups[0], groups[1], groups[2]}, g2{groups[3], groups[4], groups[5]};
        const int frames = 2 * 997; // not a multiple of the rate ratio
        const PcmSamples s1 = makePcmSamples(g1, frames, 1);
        const PcmSamples s2 = makePcmSamples(g2, pcmGroup2Frames(g1, g2, frames), 2);
        const StreamInfo info = pcmInfo(assignment, g1, g2);
        QTemporaryDir dir;
        const QString base = dir.filePath("k");
        {
            Converter d(info, base, convertOptions());
            QCOMPARE(feedInPieces(d, packPcm(g1, s1, g2, s2), maxPiece, quint32(maxPiece)), ResultCode::Succeeded);
            QCOMPARE(d.pcm().carry, 0);
        }
        QString names1, names2;
        describeChannels(info, nullptr, nullptr, &names1, &names2, nullptr);
        QCOMPARE(samplesOf(base + QString("-[%1]-%2-%3.wav").arg(names1).arg(g1.bits).arg(g1.rate)),
                 waveSamples(g1, s1));
        QCOMPARE(samplesOf(base + QString("-[%1]-%2-%3.wav").arg(names2).arg(g2.bits).arg(g2.rate)),
                 waveSamples(g2, s2));
    }

    // Group 1 at twice group 2's rate: a group-2 unit before every second group-1 unit.
    void halfRateCycle()
    {
        const PcmGroup g1{2, 16, 96000}, g2{1, 16, 48000};
        // Five group-1 units (A..E), group-2 units (x, y, z) before A, C and E.
        const QByteArray stream = bytes("0001" "0002") + bytes("A001A002A003A004")
            + bytes("B001B002B003B004") + bytes("0003" "0004") + bytes("C001C002C003C004")
            + bytes("D001D002D003D004") + bytes("0005" "0006") + bytes("E001E002E003E004");
        QTemporaryDir dir;
        {
            Converter d(pcmInfo(2, g1, g2), dir.filePath("h"), convertOptions());
            QCOMPARE(feed(d, stream), ResultCode::Succeeded);
            QCOMPARE(d.pcm().phase, 1);
        }
        QCOMPARE(samplesOf(dir.filePath("h-[S]-16-48000.wav")), bytes("010002000300040005000600"));
        QCOMPARE(samplesOf(dir.filePath("h-[Lf-Rf]-16-96000.wav")).size(), 5 * 8);
        QCOMPARE(samplesOf(dir.filePath("h-[Lf-Rf]-16-96000.wav")).left(8), bytes("01A002A003A004A0"));
    }

    // Merged frames follow the output order, not the stream order.
    void mergedOrder_data()
    {
        QTest::addColumn<int>("assignment");
        QTest::addColumn<int>("c1");
        QTest::addColumn<int>("c2");
        QTest::addColumn<QByteArray>("frame"); // the first frame as written
        // Channel n's first sample is 0x0n00 in stream order.
        QTest::newRow("18: Lf Rf Ls Rs | LFE") << 18 << 4 << 1 << bytes("0001" "0101" "0401" "0201" "0301");
        QTest::newRow("19: Lf Rf Ls Rs | C") << 19 << 4 << 1 << bytes("0001" "0101" "0401" "0201" "0301");
        QTest::newRow("20: Lf Rf Ls Rs | C LFE") << 20 << 4 << 2
                                                 << bytes("0001" "0101" "0401" "0501" "0201" "0301");
        QTest::newRow("17: Lf Rf C | LFE Ls Rs") << 17 << 3 << 3
                                                 << bytes("0001" "0101" "0201" "0301" "0401" "0501");
    }

    void mergedOrder()
    {
        QFETCH(int, assignment);
        QFETCH(int, c1);
        QFETCH(int, c2);
        QFETCH(QByteArray, frame);
        const PcmGroup g1{c1, 16, 48000}, g2{c2, 16, 48000};
        // Sample 0 of stream channel n is 0x01nn... as big-endian words 01 0n.
        QByteArray unit2, unit1;
        for (int t = 0; t < 2; ++t) {
            for (int n = 0; n < c1 + c2; ++n) {
                const char word[2] = {char(0x01 + 0x10 * t), char(n)};
                (n < c1 ? unit1 : unit2).append(word, 2);
            }
        }
        QTemporaryDir dir;
        ExtractOptions options = convertOptions();
        options.merge = true;
        const StreamInfo info = pcmInfo(assignment, g1, g2);
        {
            Converter d(info, dir.filePath("m"), options);
            QCOMPARE(feed(d, unit2 + unit1), ResultCode::Succeeded);
        }
        QString all;
        describeChannels(info, nullptr, nullptr, nullptr, nullptr, &all);
        const QByteArray samples = samplesOf(dir.filePath(QString("m-[%1]-16-48000.wav").arg(all)));
        QCOMPARE(samples.size(), 2 * 2 * (c1 + c2));
        QCOMPARE(samples.left(2 * (c1 + c2)), frame);
        QByteArray second = frame;
        for (int i = 1; i < second.size(); i += 2)
            second[i] = char(0x11);
        QCOMPARE(samples.mid(2 * (c1 + c2)), second);
    }

    // Streams that cannot be unpacked are refused before any file is made, and a write
    // on them ends at once instead of looping over units of no size.
    void refused_data()
    {
        QTest::addColumn<int>("c1");
        QTest::addColumn<int>("b1");
        QTest::addColumn<int>("r1");
        QTest::addColumn<int>("c2");
        QTest::addColumn<int>("b2");
        QTest::addColumn<int>("r2");
        QTest::addColumn<ResultCode>("code"); // what the message tells the user
        const ResultCode depth = ResultCode::UnknownDepth, rate = ResultCode::BadSampleRate;
        QTest::newRow("group 1 bits unknown") << 2 << 0 << 48000 << 1 << 16 << 48000 << depth;
        QTest::newRow("group 1 bits unknown, group 2 slower") << 2 << 0 << 96000 << 1 << 16 << 48000 << depth;
        QTest::newRow("group 1 without channels") << 0 << 16 << 48000 << 0 << 0 << 0 << ResultCode::BadChannels;
        QTest::newRow("group 2 bits unknown") << 2 << 16 << 48000 << 1 << 0 << 48000 << depth;
        QTest::newRow("group 2 faster") << 2 << 16 << 48000 << 1 << 16 << 96000 << rate;
        QTest::newRow("group 1 rate unknown") << 2 << 16 << 0 << 0 << 0 << 0 << rate;
        QTest::newRow("group 2 rate unknown") << 2 << 24 << 192000 << 1 << 24 << 0 << rate;
    }

    void refused()
    {
        QFETCH(int, c1);
        QFETCH(int, b1);
        QFETCH(int, r1);
        QFETCH(int, c2);
        QFETCH(int, b2);
        QFETCH(int, r2);
        QFETCH(ResultCode, code);
        StreamInfo info = pcmInfo(c2 ? 2 : 1, PcmGroup{c1, b1, r1});
        info.group2Channels = c2;
        info.group2Bits = b2;
        info.group2SampleRate = r2;
        QTemporaryDir dir;
        const QByteArray stream(2000, '\x55');
        {
            Converter d(info, dir.filePath("r"), convertOptions());
            QCOMPARE(d.output.result(), code);
            QVERIFY(!d.output.dumper());
        }
        QCOMPARE(dumpzone::filesIn(dir.path()), QStringList());
        DiscardingSink nowhere;
        DVDAPCMStreamDumper refused(info, nowhere);
        const auto *bytes = reinterpret_cast<const quint8 *>(stream.constData());
        QCOMPARE(refused.write(bytes, int(stream.size())), code);
        QCOMPARE(refused.write(bytes, int(stream.size())), code);
    }

    // Linear PCM carries no downmix; asked for one the files would be mislabelled.
    void downmixRefused()
    {
        QTemporaryDir dir;
        ExtractOptions options = convertOptions();
        options.downmix = true;
        Converter d(pcmInfo(1, PcmGroup{2, 16, 48000}), dir.filePath("d"), options);
        QCOMPARE(d.output.result(), ResultCode::Downmix);
        QCOMPARE(dumpzone::filesIn(dir.path()), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestPcmDumper)
#include "tst_pcmdumper.moc"
