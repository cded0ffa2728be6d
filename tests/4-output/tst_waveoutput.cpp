// Which wave files a converted object gets: names, slots and headers of the four
// layouts, the jobs queued when a command is to be run, and a file that cannot be
// finished. (Files that cannot be created or written: the PCM round trip.)
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "4-output/formattedstreamdumper.h"
#include "2-stream/pcmstreamdumper.h"
#include "1-base/result.h"
#include "5-extraction/jobqueue.h"
#include "testzone/filesizelimit.h"
#include "testzone/wavereader.h"

using namespace testzone;

Q_DECLARE_METATYPE(StreamInfo)

namespace {

// The layout part alone: a writer that takes no samples.
class LayoutOnly : public DVDAFormattedStreamDumper {
public:
    using DVDAFormattedStreamDumper::DVDAFormattedStreamDumper;
    int write(const quint8 *, int) override { return 0; }
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

ExtractOptions optionsWith(bool merge, bool split, bool downmix)
{
    ExtractOptions o;
    o.mode = ModeConvert;
    o.merge = merge;
    o.split = split;
    o.downmix = downmix;
    return o;
}

QStringList slotNames(const DVDAFormattedStreamDumper &d, const QString &base)
{
    QStringList names;
    for (const WaveFile &w : d.slotFiles)
        names << (w.isOpen() ? QString(w.path()).remove(base) : QString());
    return names;
}

QStringList filesIn(const QTemporaryDir &dir)
{
    return QDir(dir.path()).entryList(QDir::Files, QDir::Name);
}

int feed(DVDAStreamDumper &d, const QByteArray &b)
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
        LayoutOnly d(info, base, optionsWith(merge, split, downmix), nullptr);
        QCOMPARE(d.result, 0);
        QCOMPARE(slotNames(d, base), names);
        QCOMPARE(d.options.merge, mergeInEffect);
        QCOMPARE(filesIn(dir).size(), int(names.size() - names.count(QString())));
    }

    // What each file's header says: channels, rate, bits and speaker mask.
    void headers()
    {
        QTemporaryDir dir;
        const QString base = dir.filePath("P");
        {
            LayoutOnly split(sixChannels(), base + "s", optionsWith(false, true, false), nullptr);
            LayoutOnly merged(sixChannels(), base + "m", optionsWith(true, false, false), nullptr);
            LayoutOnly groups(sixChannels(), base + "g", optionsWith(false, false, false), nullptr);
            LayoutOnly downmix(sixChannels(), base + "d", optionsWith(false, false, true), nullptr);
        }
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
        ExtractOptions options = optionsWith(false, false, false);
        options.oldFormat = true;
        {
            LayoutOnly d(sixChannels(), dir.filePath("P"), options, nullptr);
        }
        for (const QString &name : filesIn(dir)) {
            const WaveContents w = readWave(dir.filePath(name));
            QCOMPARE(w.problem, QString());
            QCOMPARE(w.formatTag, 1);
            QCOMPARE(w.headerSize, 44);
        }
    }

    void jobs_data()
    {
        QTest::addColumn<bool>("split");
        QTest::addColumn<bool>("run");
        QTest::addColumn<QStringList>("paths");
        QTest::addColumn<QList<int>>("channels");
        QTest::newRow("default") << false << true
            << QStringList{"-[Lf-Rf-Ls-Rs]-24-96000.wav", "-[C-LFE]-24-96000.wav"}
            << QList<int>{4, 2};
        QTest::newRow("split") << true << true
            << QStringList{"-[Lf]-24-96000.wav", "-[Rf]-24-96000.wav", "-[Ls]-24-96000.wav",
                           "-[Rs]-24-96000.wav", "-[C]-24-96000.wav", "-[LFE]-24-96000.wav"}
            << QList<int>{1, 1, 1, 1, 1, 1};
        QTest::newRow("no command") << false << false << QStringList{} << QList<int>{};
    }

    // Finished files are queued in slot order, each with its own channel count.
    void jobs()
    {
        QFETCH(bool, split);
        QFETCH(bool, run);
        QFETCH(QStringList, paths);
        QFETCH(QList<int>, channels);
        QTemporaryDir dir;
        const QString base = dir.filePath("P");
        ExtractOptions options = optionsWith(false, split, false);
        options.run = run;
        JobQueue queue;
        {
            LayoutOnly d(sixChannels(), base, options, &queue);
            QCOMPARE(queue.count(), 0); // nothing is queued before the files are finished
        }
        QCOMPARE(queue.count(), int(paths.size()));
        for (int k = 0; k < paths.size(); ++k) {
            std::unique_ptr<EncoderJob> job(queue.removeFirst());
            QCOMPARE(job->path, base + paths[k]);
            QCOMPARE(job->channels, channels[k]);
            QCOMPARE(job->sampleRate, 96000);
            QCOMPARE(job->bits, 24);
            QCOMPARE(job->size, qint64(68)); // finished before it was queued
        }
        // Without a queue the command option is harmless.
        LayoutOnly alone(sixChannels(), base, options, nullptr);
        QCOMPARE(alone.finish(), 0);
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
        DVDAPCMStreamDumper d(streamInfo(1, 2, 16, 44100), base, optionsWith(false, false, false),
                              nullptr);
        const QByteArray unit = QByteArray::fromHex("123456789ABCDEF0");
        QCOMPARE(feed(d, unit), 0); // still in the file's buffer
        QCOMPARE(d.finish(), int(ErrCloseOutput));
        QCOMPARE(d.result, int(ErrCloseOutput));
        QCOMPARE(resultMessage(d.result), QString("Cannot close file(s) in destination directory."));
        QCOMPARE(d.finish(), 0); // nothing left to finish
    }
};

QTEST_GUILESS_MAIN(TestWaveOutput)
#include "tst_waveoutput.moc"
