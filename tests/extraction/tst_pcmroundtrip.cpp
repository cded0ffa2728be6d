// Linear PCM end to end: known samples packed into the packs of a zone written by the
// test, converted through the dump driver, and read back by FFmpeg's command-line
// program (not by this program's code), sample for sample.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>
#include "testzone/resultcompare.h"
#include <memory>

#include "extraction/objectdump.h"
#include "extraction/extractprogress.h"
#include "base/result.h"
#include "extraction/commandqueue.h"
#include "testzone/dumpzone.h"
#include "testzone/filesizelimit.h"
#include "testzone/packs.h"
#include "testzone/pcmpacking.h"
#include "testzone/pcmtrack.h"
#include "testzone/wavereader.h"
#include "zone/dvdazone.h"

using namespace testzone;

namespace {
using dumpzone::filesIn;

ExtractOptions convertOptions(const QString &layout, bool oldFormat = false)
{
    ExtractOptions o;
    o.mode = ModeConvert;
    o.split = layout == "split";
    o.merge = layout == "merge";
    o.oldFormat = oldFormat;
    return o;
}

// The same, keeping what a failed dump wrote as NAME.partial.wav.
ExtractOptions keptPartial(const QString &layout)
{
    ExtractOptions o = convertOptions(layout);
    o.keepPartial = true;
    return o;
}

} // namespace

class TestPcmRoundTrip : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (!haveTool("ffmpeg"))
            QSKIP("ffmpeg is needed to read the files back");
    }

    // Each expected file: "suffix|stream channels in file order".
    void roundTrip_data()
    {
        QTest::addColumn<int>("assignment");
        QTest::addColumn<QList<int>>("groups"); // c1 b1 r1 c2 b2 r2
        QTest::addColumn<QString>("layout");
        QTest::addColumn<bool>("oldFormat");
        QTest::addColumn<QStringList>("files");

        QTest::newRow("1 ch 16 bits") << 0 << QList<int>{1, 16, 44100, 0, 0, 0} << "default" << false
            << QStringList{"-[M]-16-44100.wav|0"};
        QTest::newRow("2 ch 24 bits, old header") << 1 << QList<int>{2, 24, 96000, 0, 0, 0} << "default"
            << true << QStringList{"-[L-R]-24-96000.wav|0 1"};
        QTest::newRow("2 ch 20 bits 192 kHz") << 1 << QList<int>{2, 20, 192000, 0, 0, 0} << "default"
            << false << QStringList{"-[L-R]-20-192000.wav|0 1"};
        QTest::newRow("3 ch 16 bits, group 2 same rate, old header") << 2
            << QList<int>{2, 16, 48000, 1, 16, 48000} << "default" << true
            << QStringList{"-[Lf-Rf]-16-48000.wav|0 1", "-[S]-16-48000.wav|2"};
        QTest::newRow("4 ch 24/20 bits, group 2 half rate") << 3
            << QList<int>{2, 24, 96000, 2, 20, 48000} << "default" << false
            << QStringList{"-[Lf-Rf]-24-96000.wav|0 1", "-[Ls-Rs]-20-48000.wav|2 3"};
        QTest::newRow("4 ch 20/16 bits, half rate, split") << 3
            << QList<int>{2, 20, 88200, 2, 16, 44100} << "split" << false
            << QStringList{"-[Lf]-20-88200.wav|0", "-[Rf]-20-88200.wav|1",
                           "-[Ls]-16-44100.wav|2", "-[Rs]-16-44100.wav|3"};
        QTest::newRow("5 ch 20 bits, merge") << 14 << QList<int>{3, 20, 88200, 2, 20, 88200}
            << "merge" << false << QStringList{"-[Lf-Rf-C-Ls-Rs]-20-88200.wav|0 1 2 3 4"};
        QTest::newRow("6 ch 24 bits, merge, old header") << 17
            << QList<int>{3, 24, 96000, 3, 24, 96000} << "merge" << true
            << QStringList{"-[Lf-Rf-C-LFE-Ls-Rs]-24-96000.wav|0 1 2 3 4 5"};
        // Ids 18 to 20: output order differs from stream order.
        QTest::newRow("id 18 merge 16 bits") << 18 << QList<int>{4, 16, 44100, 1, 16, 44100}
            << "merge" << false << QStringList{"-[Lf-Rf-LFE-Ls-Rs]-16-44100.wav|0 1 4 2 3"};
        QTest::newRow("id 19 merge 20 bits, old header") << 19
            << QList<int>{4, 20, 48000, 1, 20, 48000} << "merge" << true
            << QStringList{"-[Lf-Rf-C-Ls-Rs]-20-48000.wav|0 1 4 2 3"};
        QTest::newRow("id 20 merge 24 bits") << 20 << QList<int>{4, 24, 96000, 2, 24, 96000}
            << "merge" << false << QStringList{"-[Lf-Rf-C-LFE-Ls-Rs]-24-96000.wav|0 1 4 5 2 3"};
        QTest::newRow("id 20 default") << 20 << QList<int>{4, 24, 96000, 2, 24, 96000}
            << "default" << false
            << QStringList{"-[Lf-Rf-Ls-Rs]-24-96000.wav|0 1 2 3", "-[C-LFE]-24-96000.wav|4 5"};
        QTest::newRow("id 20 merge asked, half rate: two files") << 20
            << QList<int>{4, 16, 96000, 2, 16, 48000} << "merge" << false
            << QStringList{"-[Lf-Rf-Ls-Rs]-16-96000.wav|0 1 2 3", "-[C-LFE]-16-48000.wav|4 5"};
        QTest::newRow("id 12 split 20 bits, old header") << 12
            << QList<int>{2, 20, 48000, 4, 20, 48000} << "split" << true
            << QStringList{"-[Lf]-20-48000.wav|0", "-[Rf]-20-48000.wav|1", "-[C]-20-48000.wav|2",
                           "-[LFE]-20-48000.wav|3", "-[Ls]-20-48000.wav|4", "-[Rs]-20-48000.wav|5"};
    }

    void roundTrip()
    {
        QFETCH(int, assignment);
        QFETCH(QList<int>, groups);
        QFETCH(QString, layout);
        QFETCH(bool, oldFormat);
        QFETCH(QStringList, files);
        const PcmGroup g1{groups[0], groups[1], groups[2]};
        const PcmGroup g2{groups[3], groups[3] ? groups[4] : 16, groups[3] ? groups[5] : 48000};
        PcmTrack track(assignment, g1, g2, 2 * 1501);
        QVERIFY(track.track());
        QVERIFY(track.packCount >= 3); // the stream runs over several packs
        QTemporaryDir out;
        const QString base = out.filePath("track-01");
        QCOMPARE(track.convert(base, convertOptions(layout, oldFormat)), ResultCode::Succeeded);
        QCOMPARE(filesIn(out.path()).size(), files.size());
        for (const QString &file : files) {
            const QString name = file.section('|', 0, 0);
            QList<int> channels;
            for (const QString &n : file.section('|', 1).split(' '))
                channels << n.toInt();
            const WaveContents header = readWave(base + name);
            QCOMPARE(header.problem, QString());
            QCOMPARE(header.headerSize, oldFormat ? 44 : 68);
            const Decoded d = decode(base + name);
            QCOMPARE(d.error, QString());
            QCOMPARE(d.channels, int(channels.size()));
            const bool second = channels.first() >= g1.channels;
            QCOMPARE(d.sampleRate, second ? g2.rate : g1.rate);
            const QByteArray expected = track.interleaved(channels);
            QCOMPARE(d.samples.size(), expected.size());
            QVERIFY2(d.samples == expected, qPrintable(name));
            // flac takes a 20-bit wave file (24-bit containers, 20 valid bits) as it is,
            // for every layout, and keeps its samples. The old header, which has no valid
            // bits, it takes for 24-bit audio, with a warning that such a header is legacy.
            if (name.contains("-20-") && haveTool("flac")) {
                QByteArray ignored;
                const QString flac = out.filePath("encoded.flac");
                const QString error = runTool(
                    "flac", {"-s", "-f", "--channel-map=none", "-o", flac, base + name}, &ignored);
                const bool legacy = error.startsWith("flac failed (0)")
                                    && error.contains("legacy WAVE file has format type 1");
                QVERIFY2(error.isEmpty() || (oldFormat && legacy), qPrintable(error));
                QVERIFY2(decode(flac).samples == expected, qPrintable(name));
            }
        }
    }

    // The files are reported once they are finished, in slot order: the group-1 file
    // with 4 channels, then the group-2 file with 2.
    void filesInSlotOrder()
    {
        const PcmGroup g1{4, 24, 96000}, g2{2, 24, 96000};
        PcmTrack track(20, g1, g2, 200);
        QTemporaryDir out;
        std::vector<WrittenFile> files;
        QCOMPARE(track.convert(out.filePath("t"), convertOptions("default"), &files),
                 ResultCode::Succeeded);
        QCOMPARE(int(files.size()), 2);
        const WrittenFile &first = files[0], &second = files[1];
        QCOMPARE(first.path, out.filePath("t-[Lf-Rf-Ls-Rs]-24-96000.wav"));
        QCOMPARE(first.channels, 4);
        QCOMPARE(QFileInfo(first.path).size(), qint64(68 + 200 * 4 * 3));
        QCOMPARE(second.path, out.filePath("t-[C-LFE]-24-96000.wav"));
        QCOMPARE(second.channels, 2);
        QCOMPARE(QFileInfo(second.path).size(), qint64(68 + 200 * 2 * 3));
    }

    // Stopped before the first block: no file stands for the object.
    void cancelledBeforeFirstBlock()
    {
        PcmTrack track(20, PcmGroup{4, 24, 96000}, PcmGroup{2, 24, 96000}, 200);
        QTemporaryDir out;
        ExtractProgress progress;
        progress.stopRequested = true;
        const ResultCode result = dumpObject(track.track(), out.filePath("t"),
                                             convertOptions("default"), progress).code();
        QCOMPARE(result, ResultCode::Cancelled);
        QCOMPARE(filesIn(out.path()), QStringList());
    }

    // Streams the converter cannot unpack end at once with "Cannot allocate converter."
    // and leave no file.
    void refusedStreams_data()
    {
        QTest::addColumn<int>("bitCodes");
        QTest::addColumn<int>("rateCodes");
        QTest::addColumn<int>("assignment");
        QTest::addColumn<ResultCode>("code");
        QTest::newRow("group 1 bits unknown") << 0x30 << 0x00 << 1 << ResultCode::UnknownDepth;
        QTest::newRow("group 1 bits unknown, group 2 at half rate") << 0x30 << 0x10 << 3 << ResultCode::UnknownDepth;
        QTest::newRow("group 2 faster than group 1") << 0x00 << 0x01 << 3 << ResultCode::BadSampleRate;
        QTest::newRow("group 2 bits unknown") << 0x03 << 0x00 << 3 << ResultCode::UnknownDepth;
    }

    void refusedStreams()
    {
        QFETCH(int, bitCodes);
        QFETCH(int, rateCodes);
        QFETCH(int, assignment);
        QFETCH(ResultCode, code);
        packs::PcmFormat format{bitCodes, rateCodes, assignment};
        const packs::PackedStream stream = packs::packStream(dumpzone::pattern(20000, 3),
                                                             packs::pcmLayout(format));
        ZoneFolder folder(dumpzone::consecutiveTracks(stream.packs, {0}));
        DVDAZone zone{QDir(folder.path())};
        QVERIFY(!zone.titlesets.empty() && !zone.titlesets[0]->titles.empty());
        AOBObject *object = zone.titlesets[0]->titles[0]->tracks[0];
        QTemporaryDir out;
        ExtractProgress progress;
        const ResultCode result = dumpObject(object, out.filePath("t"), convertOptions("default"),
                                             progress).code();
        QCOMPARE(result, code);
        QCOMPARE(filesIn(out.path()), QStringList());
    }

    // The third split file cannot be made (a folder has its staging name, or its own name):
    // the dump fails, naming that file and the system's reason, and no file of the object
    // is left: not the first two, under either name.
    void fileThatCannotBeMade_data()
    {
        QTest::addColumn<QString>("taken");
        QTest::addColumn<int>("result");
        QTest::newRow("its staging name") << ".t-[Ls]-16-48000.wav.kestrova" << int(ResultCode::CreateOutput);
        QTest::newRow("its own name") << "t-[Ls]-16-48000.wav" << int(ResultCode::WriteOutput);
    }
    void fileThatCannotBeMade()
    {
        QFETCH(QString, taken);
        QFETCH(int, result);
        PcmTrack track(3, PcmGroup{2, 16, 48000}, PcmGroup{2, 16, 48000}, 400);
        QTemporaryDir out;
        QVERIFY(QDir(out.path()).mkdir(taken));
        ExtractProgress progress;
        const Result dumped = dumpObject(track.track(), out.filePath("t"), convertOptions("split"), progress);
        QCOMPARE(dumped.code(), ResultCode(result));
        QVERIFY2(dumped.where().startsWith(out.filePath("t-[Ls]-16-48000.wav: ")), qPrintable(dumped.where()));
        QCOMPARE(QDir(out.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
    }

    // One file reaches the end of the room first (it grows faster): the dump stops with the
    // write failure and, kept as partial, the other file is finished, readable, and holds
    // the beginning of its channels exactly.
    void writeFailsPartWay()
    {
        const PcmGroup g1{2, 16, 48000}, g2{2, 24, 48000};
        PcmTrack track(3, g1, g2, 2 * 15000);
        QTemporaryDir out;
        ResultCode result = ResultCode::Succeeded;
        {
            FileSizeLimit limit(68 + 60000);
            if (!limit.active)
                QSKIP("cannot limit file sizes");
            result = track.convert(out.filePath("t"), keptPartial("default"));
        }
        QCOMPARE(result, ResultCode::WriteOutput);
        const Decoded d = decode(out.filePath("t-[Lf-Rf]-16-48000.partial.wav"));
        QCOMPARE(d.error, QString());
        QCOMPARE(d.channels, 2);
        const QByteArray all = track.interleaved({0, 1});
        QVERIFY(d.samples.size() > 0);
        QVERIFY(d.samples.size() < all.size());
        QVERIFY(d.samples == all.left(d.samples.size()));
    }

    // The disc fills up during the dump: the write failure is reported, and both files kept
    // as partial, the ones that could not be written to the end, are finished and
    // readable, each with the beginning of its channels.
    void discFullPartWay()
    {
        const PcmGroup g1{2, 24, 48000}, g2{2, 24, 48000};
        PcmTrack track(3, g1, g2, 2 * 15000);
        QTemporaryDir out;
        ResultCode result = ResultCode::Succeeded;
        {
            FileSizeLimit limit(68 + 50001);
            if (!limit.active)
                QSKIP("cannot limit file sizes");
            result = track.convert(out.filePath("t"), keptPartial("default"));
        }
        QCOMPARE(result, ResultCode::WriteOutput);
        const QStringList names{"t-[Lf-Rf]-24-48000.partial.wav", "t-[Ls-Rs]-24-48000.partial.wav"};
        QCOMPARE(filesIn(out.path()), names);
        for (int k = 0; k < 2; ++k) {
            const Decoded d = decode(out.filePath(names[k]));
            QCOMPARE(d.error, QString());
            QCOMPARE(d.channels, 2);
            const QByteArray all = track.interleaved(k == 0 ? QList<int>{0, 1} : QList<int>{2, 3});
            QCOMPARE(d.samples.size(), 50001 / 6 * 8);
            QVERIFY(d.samples == all.left(d.samples.size()));
        }
    }
};

QTEST_GUILESS_MAIN(TestPcmRoundTrip)
#include "tst_pcmroundtrip.moc"
