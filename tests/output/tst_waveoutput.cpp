// Which wave files a converted object gets: names, slots and headers of the four
// layouts, the files a finished sink reports, and a file that cannot be finished.
// (Files that cannot be created or written: the PCM round trip.)
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <tuple>
#include "testzone/resultcompare.h"

#include "base/result.h"
#include "stream/pcmstreamdumper.h"
#include "output/stagedfile.h"
#include "output/wavesink.h"
#include "testzone/filesizelimit.h"
#include "testzone/wavereader.h"

using namespace testzone;

Q_DECLARE_METATYPE(StreamInfo)

namespace {

// Each file named basePath and "-[L-R]-24-96000.wav", as an extraction names it.
FileNamer suffixNames(const QString &basePath)
{
    return [basePath](const LayoutFile &file) {
        return FileName{QStringLiteral("%1-[%2]-%3-%4.wav").arg(basePath, file.names).arg(file.bits).arg(file.rate),
                        QString()};
    };
}

// The files of a layout, opened; finished and published under their names when it goes.
struct LayoutOnly : WaveSink {
    LayoutOnly(const StreamInfo &info, const QString &basePath, bool merge, bool split,
               bool downmix, bool oldFormat = false)
        : WaveSink(info, chooseLayout(info, merge, split, downmix), suffixNames(basePath), oldFormat),
          opened(open())
    {
    }
    ~LayoutOnly() override
    {
        std::vector<WrittenFile> finished;
        (void)finish(&finished);
        for (const WrittenFile &file : finished)
            (void)publishStaged(file.path);
    }
    // A frame of zeros in every file, so that each is kept.
    void oneFrame()
    {
        (void)reserve(1, 1);
        (void)commit(1, 1);
    }
    Result opened;
};

StreamInfo streamInfo(int assignment, int c1, int b1, int r1, int c2 = 0, int b2 = 0, int r2 = 0)
{
    StreamInfo info;
    info.subStreamId = SUBSTREAM_PCM;
    info.channelAssignment = assignment;
    info.group1Channels = c1;
    info.group1Bits = b1;
    info.group1SampleRate = r1;
    info.group2Channels = c2;
    info.group2Bits = b2;
    info.group2SampleRate = r2;
    info.substreams = 2;
    return info;
}

// Assignment 20 (Lf Rf Ls Rs | C LFE) at 24 bits and 96000 Hz.
StreamInfo sixChannels()
{
    return streamInfo(20, 4, 24, 96000, 2, 24, 96000);
}

QStringList slotNames(const SampleFileSink &d, const QString &base)
{
    QStringList names;
    for (int slot = 0; slot < SampleFileSink::SLOTS; ++slot) {
        const SampleFile *w = d.file(slot);
        // Written under its staging name until it is published.
        QString name = w && w->isOpen() ? QFileInfo(w->path()).fileName() : QString();
        if (!name.isEmpty())
            name = QString(QFileInfo(base).path() + "/" + name.mid(1).chopped(9)).remove(base);
        names << name;
    }
    return names;
}

QStringList filesIn(const QTemporaryDir &dir)
{
    return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

Result feed(DVDAStreamDumper &d, const QByteArray &b)
{
    return d.write(reinterpret_cast<const quint8 *>(b.constData()), int(b.size()));
}

} // namespace

class TestWaveOutput : public QObject {
    Q_OBJECT

private slots:
    void layouts_data()
    {
        QTest::addColumn<StreamInfo>("info");
        QTest::addColumn<bool>("merge");
        QTest::addColumn<bool>("split");
        QTest::addColumn<bool>("downmix");
        QTest::addColumn<QStringList>("names"); // per slot, empty when unused
        QTest::addColumn<bool>("mergeInEffect");

        const StreamInfo six = sixChannels();
        QTest::newRow("split") << six << false << true << false
            << QStringList{"-[Lf]-24-96000.wav", "-[Rf]-24-96000.wav", "-[Ls]-24-96000.wav",
                           "-[Rs]-24-96000.wav", "-[C]-24-96000.wav", "-[LFE]-24-96000.wav"}
            << false;
        QTest::newRow("merge") << six << true << false << false
            << QStringList{"-[Lf-Rf-C-LFE-Ls-Rs]-24-96000.wav", "", "", "", "", ""} << true;
        QTest::newRow("default") << six << false << false << false
            << QStringList{"-[Lf-Rf-Ls-Rs]-24-96000.wav", "-[C-LFE]-24-96000.wav", "", "", "", ""}
            << false;
        QTest::newRow("downmix") << six << false << false << true
            << QStringList{"-[Downmix]-24-96000.wav", "", "", "", "", ""} << false;
        QTest::newRow("downmix and split: split wins") << six << false << true << true
            << QStringList{"-[Lf]-24-96000.wav", "-[Rf]-24-96000.wav", "-[Ls]-24-96000.wav",
                           "-[Rs]-24-96000.wav", "-[C]-24-96000.wav", "-[LFE]-24-96000.wav"}
            << false;
        QTest::newRow("merge and split: split wins") << six << true << true << false
            << QStringList{"-[Lf]-24-96000.wav", "-[Rf]-24-96000.wav", "-[Ls]-24-96000.wav",
                           "-[Rs]-24-96000.wav", "-[C]-24-96000.wav", "-[LFE]-24-96000.wav"}
            << true;
        QTest::newRow("merge and downmix: merge wins") << six << true << false << true
            << QStringList{"-[Lf-Rf-C-LFE-Ls-Rs]-24-96000.wav", "", "", "", "", ""} << true;
        // Merge needs equal rates and equal resolutions, and a second group.
        QTest::newRow("merge, different rates") << streamInfo(3, 2, 24, 96000, 2, 24, 48000)
            << true << false << false
            << QStringList{"-[Lf-Rf]-24-96000.wav", "-[Ls-Rs]-24-48000.wav", "", "", "", ""}
            << false;
        QTest::newRow("merge, different bits") << streamInfo(3, 2, 24, 48000, 2, 16, 48000)
            << true << false << false
            << QStringList{"-[Lf-Rf]-24-48000.wav", "-[Ls-Rs]-16-48000.wav", "", "", "", ""}
            << false;
        QTest::newRow("merge, no group 2") << streamInfo(1, 2, 16, 44100) << true << false << false
            << QStringList{"-[L-R]-16-44100.wav", "", "", "", "", ""} << false;
        QTest::newRow("split, different rates") << streamInfo(2, 2, 20, 88200, 1, 16, 44100)
            << false << true << false
            << QStringList{"-[Lf]-20-88200.wav", "-[Rf]-20-88200.wav", "-[S]-16-44100.wav", "", "", ""}
            << false;
    }

    void layouts()
    {
        QFETCH(StreamInfo, info);
        QFETCH(bool, merge);
        QFETCH(bool, split);
        QFETCH(bool, downmix);
        QFETCH(QStringList, names);
        QFETCH(bool, mergeInEffect);
        QTemporaryDir dir;
        const QString base = dir.filePath("P");
        LayoutOnly d(info, base, merge, split, downmix);
        QCOMPARE(d.opened, ResultCode::Succeeded);
        QCOMPARE(slotNames(d, base), names);
        QCOMPARE(::mergeInEffect(info, merge), mergeInEffect);
        QCOMPARE(filesIn(dir).size(), int(names.size() - names.count(QString())));
    }

    // Every sample a dumper lays out reaches its file, in order, whatever the runs: each
    // sample is a number that says its channel and frame, so a sample out of place, lost
    // or written twice shows. Group 2 at half the rate gets half the frames.
    void samplesInOrder_data()
    {
        QTest::addColumn<StreamInfo>("info");
        QTest::addColumn<bool>("merge");
        QTest::addColumn<bool>("split");
        QTest::addColumn<QList<int>>("runs"); // group-1 frames per reserve, in turn
        QTest::addColumn<QStringList>("files"); // per file: its stream channels
        const StreamInfo six = sixChannels();
        QTest::newRow("groups, runs of 1 and 300") << six << false << false << QList<int>{1, 300}
            << QStringList{"-[Lf-Rf-Ls-Rs]-24-96000.wav|0 1 2 3", "-[C-LFE]-24-96000.wav|4 5"};
        QTest::newRow("merged, output order") << six << true << false << QList<int>{7, 2048}
            << QStringList{"-[Lf-Rf-C-LFE-Ls-Rs]-24-96000.wav|0 1 4 5 2 3"};
        QTest::newRow("split, 16 bits") << streamInfo(3, 2, 16, 48000, 2, 16, 48000) << false
            << true << QList<int>{5000}
            << QStringList{"-[Lf]-16-48000.wav|0", "-[Rf]-16-48000.wav|1", "-[Ls]-16-48000.wav|2",
                           "-[Rs]-16-48000.wav|3"};
        QTest::newRow("group 2 at half rate") << streamInfo(2, 2, 24, 96000, 1, 16, 48000) << false
            << false << QList<int>{2, 64}
            << QStringList{"-[Lf-Rf]-24-96000.wav|0 1", "-[S]-16-48000.wav|2"};
    }
    void samplesInOrder()
    {
        QFETCH(StreamInfo, info);
        QFETCH(bool, merge);
        QFETCH(bool, split);
        QFETCH(QList<int>, runs);
        QFETCH(QStringList, files);
        const int c1 = info.group1Channels, channels = info.channels();
        const int ratio = info.group2Channels ? info.group1SampleRate / info.group2SampleRate : 1;
        const auto width = [&](int n) { return sampleBytes(n < c1 ? info.group1Bits : info.group2Bits); };
        // Sample f of channel n: n in the top byte, f below, cut to the sample's width.
        const auto value = [](int n, int f) { return quint32(n) << 20 | quint32(f); };
        QTemporaryDir dir;
        const QString base = dir.filePath("P");
        LayoutOnly sink(info, base, merge, split, false);
        QCOMPARE(sink.opened, ResultCode::Succeeded);
        int frames1 = 0, frames2 = 0;
        for (int k = 0; frames1 < 12000; ++k) {
            const int run1 = runs[k % runs.size()] * ratio, run2 = run1 / ratio;
            const SampleSink::Targets at = sink.reserve(run1, info.group2Channels ? run2 : 0);
            for (int n = 0; n < channels; ++n) {
                const bool first = n < c1;
                for (int f = 0; f < (first ? run1 : run2); ++f) {
                    const quint32 v = value(n, (first ? frames1 : frames2) + f);
                    quint8 *sample = at.channel[n] + f * (first ? at.stride1 : at.stride2);
                    for (int b = 0; b < width(n); ++b)
                        sample[b] = quint8(v >> (8 * b));
                }
            }
            QCOMPARE(sink.commit(run1, info.group2Channels ? run2 : 0), ResultCode::Succeeded);
            frames1 += run1;
            frames2 += run2;
        }
        std::vector<WrittenFile> written;
        QCOMPARE(sink.finish(&written), ResultCode::Succeeded);
        QCOMPARE(int(written.size()), int(files.size()));
        for (int k = 0; k < files.size(); ++k) {
            QCOMPARE(written[size_t(k)].path, base + files[k].section('|', 0, 0));
            QCOMPARE(publishStaged(written[size_t(k)].path), ResultCode::Succeeded);
            QList<int> order;
            for (const QString &n : files[k].section('|', 1).split(' '))
                order << n.toInt();
            const int count = order.first() < c1 ? frames1 : frames2;
            QByteArray expected;
            for (int f = 0; f < count; ++f) {
                for (int n : order) {
                    const quint32 v = value(n, f);
                    for (int b = 0; b < width(n); ++b)
                        expected.append(char(quint8(v >> (8 * b))));
                }
            }
            const WaveContents w = readWave(written[size_t(k)].path);
            QCOMPARE(w.problem, QString());
            QVERIFY2(w.samples == expected, qPrintable(files[k]));
        }
    }

    // What each file's header says: channels, rate, bits and speaker mask.
    void headers()
    {
        QTemporaryDir dir;
        const QString base = dir.filePath("P");
        for (const auto &[suffix, merge, split, downmix] :
             {std::tuple<const char *, bool, bool, bool>{"s", false, true, false}, {"m", true, false, false},
              {"g", false, false, false}, {"d", false, false, true}})
            LayoutOnly(sixChannels(), base + suffix, merge, split, downmix).oneFrame();
        const quint32 splitMasks[] = {0x1, 0x2, 0x10, 0x20, 0x4, 0x8};
        const char *splitNames[] = {"Lf", "Rf", "Ls", "Rs", "C", "LFE"};
        for (int k = 0; k < 6; ++k) {
            const WaveContents w = readWave(base + QString("s-[%1]-24-96000.wav").arg(splitNames[k]));
            QCOMPARE(w.problem, QString());
            QCOMPARE(w.channels, 1);
            QCOMPARE(w.channelMask, splitMasks[k]);
            QCOMPARE(w.sampleRate, 96000);
            QCOMPARE(w.bits, 24);
            QCOMPARE(w.blockAlign, 3);
        }
        WaveContents w = readWave(base + "m-[Lf-Rf-C-LFE-Ls-Rs]-24-96000.wav");
        QCOMPARE(w.channels, 6);
        QCOMPARE(w.channelMask, 0x3Fu);
        QCOMPARE(w.blockAlign, 18);
        w = readWave(base + "g-[Lf-Rf-Ls-Rs]-24-96000.wav");
        QCOMPARE(w.channels, 4);
        QCOMPARE(w.channelMask, 0x33u);
        w = readWave(base + "g-[C-LFE]-24-96000.wav");
        QCOMPARE(w.channels, 2);
        QCOMPARE(w.channelMask, 0x0Cu);
        w = readWave(base + "d-[Downmix]-24-96000.wav");
        QCOMPARE(w.channels, 2);
        QCOMPARE(w.channelMask, 0x3u);
        QCOMPARE(w.formatTag, 0xFFFE);
    }

    void oldFormatEverywhere()
    {
        QTemporaryDir dir;
        LayoutOnly(sixChannels(), dir.filePath("P"), false, false, false, true).oneFrame();
        QCOMPARE(filesIn(dir).size(), 2);
        for (const QString &name : filesIn(dir)) {
            const WaveContents w = readWave(dir.filePath(name));
            QCOMPARE(w.problem, QString());
            QCOMPARE(w.formatTag, 1);
            QCOMPARE(w.headerSize, 44);
        }
    }

    void finishedFiles_data()
    {
        QTest::addColumn<bool>("split");
        QTest::addColumn<QStringList>("paths");
        QTest::addColumn<QList<int>>("channels");
        QTest::newRow("default")
            << false << QStringList{"-[Lf-Rf-Ls-Rs]-24-96000.wav", "-[C-LFE]-24-96000.wav"}
            << QList<int>{4, 2};
        QTest::newRow("split")
            << true
            << QStringList{"-[Lf]-24-96000.wav", "-[Rf]-24-96000.wav", "-[Ls]-24-96000.wav",
                           "-[Rs]-24-96000.wav", "-[C]-24-96000.wav", "-[LFE]-24-96000.wav"}
            << QList<int>{1, 1, 1, 1, 1, 1};
    }

    // A finished sink reports its files in slot order, each with its own channel count,
    // once: a second finish has nothing left. Files that got no sample are removed.
    void finishedFiles()
    {
        QFETCH(bool, split);
        QFETCH(QStringList, paths);
        QFETCH(QList<int>, channels);
        QTemporaryDir dir;
        const QString base = dir.filePath("P");
        LayoutOnly d(sixChannels(), base, false, split, false);
        d.oneFrame();
        std::vector<WrittenFile> files;
        QCOMPARE(d.finish(&files), ResultCode::Succeeded);
        QCOMPARE(int(files.size()), int(paths.size()));
        for (int k = 0; k < paths.size(); ++k) {
            QCOMPARE(files[size_t(k)].path, base + paths[k]);
            QCOMPARE(publishStaged(files[size_t(k)].path), ResultCode::Succeeded);
            QCOMPARE(files[size_t(k)].channels, channels[k]);
            QCOMPARE(files[size_t(k)].sampleRate, 96000);
            QCOMPARE(files[size_t(k)].bits, 24);
            QCOMPARE(QFileInfo(files[size_t(k)].path).size(), qint64(68 + channels[k] * 3)); // finished
        }
        std::vector<WrittenFile> again;
        QCOMPARE(d.finish(&again), ResultCode::Succeeded);
        QVERIFY(again.empty());

        LayoutOnly none(sixChannels(), dir.filePath("N"), false, split, false);
        QCOMPARE(none.finish(&again), ResultCode::Succeeded);
        QVERIFY(again.empty());
        QCOMPARE(QDir(dir.path()).entryList({"N*", ".N*"}, QDir::Files | QDir::Hidden), QStringList());
    }

    // Finishing a file that cannot take its sizes: "Cannot close file(s)...".
    void cannotFinish()
    {
        QTemporaryDir dir;
        const QString base = dir.filePath("P");
        // A disc with no room left: not even the header reaches the file.
        testzone::FileSizeLimit full(0);
        if (!full.active)
            QSKIP("cannot limit file sizes");
        LayoutOnly sink(streamInfo(1, 2, 16, 44100), base, false, false, false);
        QCOMPARE(sink.opened, ResultCode::Succeeded);
        DVDAPCMStreamDumper d(streamInfo(1, 2, 16, 44100), sink);
        const QByteArray unit = QByteArray::fromHex("123456789ABCDEF0");
        QCOMPARE(feed(d, unit), ResultCode::Succeeded); // still in the file's buffer
        std::vector<WrittenFile> files;
        QCOMPARE(sink.finish(&files), ResultCode::CloseOutput);
        QVERIFY(files.empty());
        QCOMPARE(sink.finish(&files), ResultCode::Succeeded); // nothing left to finish
    }
};

QTEST_GUILESS_MAIN(TestWaveOutput)
#include "tst_waveoutput.moc"
