// FLAC output end to end: known samples packed into a zone, extracted with --flac and
// read back by the tools that are not ours (flac, metaflac, FFmpeg): every channel where
// its name says, at its own depth, the comments, and what a full disc leaves.
#include <QDir>
#include <QTemporaryDir>
#include <QtTest>
#include "testzone/resultcompare.h"

#include "zone/dvdazone.h"
#include "extraction/extractprogress.h"
#include "extraction/objectdump.h"
#include "testzone/dumpzone.h"
#include "testzone/filesizelimit.h"
#include "testzone/pcmtrack.h"
#include "testzone/wavereader.h"

using namespace testzone;

namespace {
using dumpzone::filesIn;

ExtractOptions flacOptions(const QString &layout, const QStringList &tags = {})
{
    ExtractOptions o;
    o.mode = ModeConvert;
    o.format = OutputFormat::Flac;
    o.split = layout == "split";
    o.merge = layout == "merge";
    o.tags = tags;
    return o;
}

// flac -t's verdict: empty when the file decodes with its CRCs right and its MD5 the
// samples' (or, for a file cut short, unset, which flac warns of).
QString flacTest(const QString &path, bool cutShort = false)
{
    QByteArray ignored;
    const QString error = runTool("flac", {"-t", "-s", path}, &ignored);
    const bool unsetMd5 = error.startsWith("flac failed (0)")
                          && error.endsWith("cannot check MD5 signature since it was unset in the STREAMINFO\n");
    return cutShort && unsetMd5 ? QString() : error;
}

// metaflac's reading of a file's STREAMINFO and comments.
struct Metadata {
    QString error;
    int bits = 0, sampleRate = 0, channels = 0;
    qint64 samples = 0;
    QStringList comments;
};

Metadata metadataOf(const QString &path)
{
    Metadata m;
    QByteArray out;
    m.error = runTool("metaflac", {"--show-bps", "--show-sample-rate", "--show-channels",
                                   "--show-total-samples", "--export-tags-to=-", path}, &out);
    const QStringList lines = QString::fromUtf8(out).split('\n', Qt::SkipEmptyParts);
    if (!m.error.isEmpty() || lines.size() < 4)
        return m;
    m.bits = lines[0].toInt();
    m.sampleRate = lines[1].toInt();
    m.channels = lines[2].toInt();
    m.samples = lines[3].toLongLong();
    m.comments = lines.mid(4);
    return m;
}

// The speaker mask flac -d writes into the wave file it makes of a FLAC file (a plain
// header where FLAC's default for the count holds: 0 then).
quint32 flacDecodedMask(const QString &path, QString *error)
{
    QTemporaryDir dir;
    QByteArray ignored;
    *error = runTool("flac", {"-d", "-s", "-f", "-o", dir.filePath("d.wav"), path}, &ignored);
    const WaveContents w = readWave(dir.filePath("d.wav"));
    if (error->isEmpty())
        *error = w.problem;
    return w.formatTag == 0xFFFE ? w.channelMask : 0;
}

} // namespace

class TestFlacOutput : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        for (const char *tool : {"flac", "metaflac", "ffmpeg"})
            if (!haveTool(tool))
                QSKIP("flac, metaflac and ffmpeg are needed to read the files back");
    }

    // Each expected file: "suffix|stream channels in file order|mask|bits|mask comment".
    // The mask comment is there where the mask flac -d assumes for the count is not the
    // file's: also for 5.1 and 5.0, where it takes side speakers for DVD-Audio's back ones.
    void channelsWhereTheirNamesSay_data()
    {
        QTest::addColumn<int>("assignment");
        QTest::addColumn<QList<int>>("groups"); // c1 b1 r1 c2 b2 r2
        QTest::addColumn<QString>("layout");
        QTest::addColumn<QStringList>("files");
        const auto row = [](const char *name, int id, QList<int> groups, const char *layout,
                            QStringList files) {
            QTest::newRow(name) << id << groups << QString(layout) << files;
        };
        row("0 M", 0, {1, 16, 44100, 0, 0, 0}, "", {"-[M]-16-44100.flac|0|0x4|16|"});
        row("1 L R, 192 kHz", 1, {2, 24, 192000, 0, 0, 0}, "", {"-[L-R]-24-192000.flac|0 1|0x3|24|"});
        row("2 Lf Rf S, 20 bits", 2, {2, 20, 96000, 1, 20, 96000}, "",
            {"-[Lf-Rf-S]-20-96000.flac|0 1 2|0x103|20|0x0103"});
        row("3 Lf Rf Ls Rs, 24/16 widened", 3, {2, 24, 48000, 2, 16, 48000}, "",
            {"-[Lf-Rf-Ls-Rs]-24-48000.flac|0 1 2 3|0x33|24|"});
        row("4 Lf Rf LFE", 4, {2, 16, 44100, 1, 16, 44100}, "",
            {"-[Lf-Rf-LFE]-16-44100.flac|0 1 2|0xb|16|0x000B"});
        row("5 Lf Rf LFE S, 24/20 widened", 5, {2, 24, 96000, 2, 20, 96000}, "",
            {"-[Lf-Rf-LFE-S]-24-96000.flac|0 1 2 3|0x10b|24|0x010B"});
        row("6 half rate: a file a group", 6, {2, 24, 96000, 3, 16, 48000}, "",
            {"-[LFE-Ls-Rs]-16-48000.flac|2 3 4|0x38|16|0x0038", "-[Lf-Rf]-24-96000.flac|0 1|0x3|24|"});
        row("7 Lf Rf C", 7, {2, 16, 48000, 1, 16, 48000}, "", {"-[Lf-Rf-C]-16-48000.flac|0 1 2|0x7|16|"});
        row("8 Lf Rf C S, 20/16 widened", 8, {2, 20, 48000, 2, 16, 48000}, "",
            {"-[Lf-Rf-C-S]-20-48000.flac|0 1 2 3|0x107|20|0x0107"});
        row("9 Lf Rf C Ls Rs", 9, {2, 24, 96000, 3, 24, 96000}, "",
            {"-[Lf-Rf-C-Ls-Rs]-24-96000.flac|0 1 2 3 4|0x37|24|0x0037"});
        row("10 Lf Rf C LFE", 10, {2, 16, 96000, 2, 16, 96000}, "",
            {"-[Lf-Rf-C-LFE]-16-96000.flac|0 1 2 3|0xf|16|0x000F"});
        row("11 quarter rate", 11, {2, 24, 176400, 3, 24, 44100}, "",
            {"-[C-LFE-S]-24-44100.flac|2 3 4|0x10c|24|0x010C", "-[Lf-Rf]-24-176400.flac|0 1|0x3|24|"});
        row("12 5.1", 12, {2, 24, 48000, 4, 24, 48000}, "",
            {"-[Lf-Rf-C-LFE-Ls-Rs]-24-48000.flac|0 1 2 3 4 5|0x3f|24|0x003F"});
        row("13 Lf Rf C | S", 13, {3, 16, 44100, 1, 16, 44100}, "",
            {"-[Lf-Rf-C-S]-16-44100.flac|0 1 2 3|0x107|16|0x0107"});
        row("14 Lf Rf C | Ls Rs, 24/16 widened", 14, {3, 24, 48000, 2, 16, 48000}, "",
            {"-[Lf-Rf-C-Ls-Rs]-24-48000.flac|0 1 2 3 4|0x37|24|0x0037"});
        row("15 Lf Rf C | LFE, 20 bits", 15, {3, 20, 96000, 1, 20, 96000}, "",
            {"-[Lf-Rf-C-LFE]-20-96000.flac|0 1 2 3|0xf|20|0x000F"});
        row("16 half rate: a file a group", 16, {3, 24, 96000, 2, 16, 48000}, "",
            {"-[LFE-S]-16-48000.flac|3 4|0x108|16|0x0108", "-[Lf-Rf-C]-24-96000.flac|0 1 2|0x7|24|"});
        row("17 Lf Rf C | LFE Ls Rs", 17, {3, 16, 48000, 3, 16, 48000}, "",
            {"-[Lf-Rf-C-LFE-Ls-Rs]-16-48000.flac|0 1 2 3 4 5|0x3f|16|0x003F"});
        // 18 to 20: the output order is not the stream order.
        row("18 Lf Rf Ls Rs | LFE", 18, {4, 24, 96000, 1, 24, 96000}, "",
            {"-[Lf-Rf-LFE-Ls-Rs]-24-96000.flac|0 1 4 2 3|0x3b|24|0x003B"});
        row("19 Lf Rf Ls Rs | C, 20/16 widened", 19, {4, 20, 48000, 1, 16, 48000}, "",
            {"-[Lf-Rf-C-Ls-Rs]-20-48000.flac|0 1 4 2 3|0x37|20|0x0037"});
        row("20 Lf Rf Ls Rs | C LFE, 24/16 widened", 20, {4, 24, 48000, 2, 16, 48000}, "",
            {"-[Lf-Rf-C-LFE-Ls-Rs]-24-48000.flac|0 1 4 5 2 3|0x3f|24|0x003F"});
        row("20 merge asked", 20, {4, 24, 48000, 2, 24, 48000}, "merge",
            {"-[Lf-Rf-C-LFE-Ls-Rs]-24-48000.flac|0 1 4 5 2 3|0x3f|24|0x003F"});
        row("12 split, 20/16", 12, {2, 20, 48000, 4, 16, 48000}, "split",
            {"-[C]-16-48000.flac|2|0x4|16|", "-[LFE]-16-48000.flac|3|0x8|16|0x0008",
             "-[Lf]-20-48000.flac|0|0x1|20|0x0001", "-[Ls]-16-48000.flac|4|0x10|16|0x0010",
             "-[Rf]-20-48000.flac|1|0x2|20|0x0002", "-[Rs]-16-48000.flac|5|0x20|16|0x0020"});
    }

    void channelsWhereTheirNamesSay()
    {
        QFETCH(int, assignment);
        QFETCH(QList<int>, groups);
        QFETCH(QString, layout);
        QFETCH(QStringList, files);
        const PcmGroup g1{groups[0], groups[1], groups[2]};
        const PcmGroup g2{groups[3], groups[3] ? groups[4] : 16, groups[3] ? groups[5] : 48000};
        // More than one chunk of blocks, and a last block cut short.
        PcmTrack track(assignment, g1, g2, 2 * 36001);
        QTemporaryDir out;
        const QString base = out.filePath("t");
        QCOMPARE(track.convert(base, flacOptions(layout)), ResultCode::Succeeded);
        QStringList names;
        for (const QString &file : files)
            names << "t" + file.section('|', 0, 0);
        QCOMPARE(filesIn(out.path()), names);
        for (const QString &file : files) {
            const QString path = base + file.section('|', 0, 0);
            QList<int> channels;
            for (const QString &n : file.section('|', 1, 1).split(' '))
                channels << n.toInt();
            const quint32 mask = file.section('|', 2, 2).toUInt(nullptr, 16);
            const int bits = file.section('|', 3, 3).toInt();
            const QString maskComment = file.section('|', 4, 4);
            const bool second = channels.first() >= g1.channels;
            QCOMPARE(flacTest(path), QString());

            const Metadata m = metadataOf(path);
            QCOMPARE(m.error, QString());
            QCOMPARE(m.channels, int(channels.size()));
            QCOMPARE(m.bits, bits);
            QCOMPARE(m.sampleRate, second ? g2.rate : g1.rate);
            QCOMPARE(m.comments.filter("WAVEFORMATEXTENSIBLE_CHANNEL_MASK=").join(""),
                     maskComment.isEmpty() ? QString()
                                           : "WAVEFORMATEXTENSIBLE_CHANNEL_MASK=" + maskComment);

            QString error;
            const quint32 flacMask = flacDecodedMask(path, &error);
            QCOMPARE(error, QString());
            QVERIFY2(flacMask == mask || (flacMask == 0 && maskComment.isEmpty()),
                     qPrintable(QString::number(flacMask, 16)));

            const Decoded d = decode(path);
            QCOMPARE(d.error, QString());
            QCOMPARE(d.channels, int(channels.size()));
            QCOMPARE(d.channelMask, mask);
            // The wave file of the same layout holds these samples; a widened group's
            // samples are the same numbers, left-justified.
            const QByteArray expected = track.interleaved(channels);
            QCOMPARE(qint64(d.samples.size()), qint64(expected.size()));
            QCOMPARE(m.samples, qint64(expected.size() / 4 / channels.size()));
            QVERIFY2(d.samples == expected, qPrintable(path));
        }
    }

    // The comments of a track's and an index's files, and the user's own.
    void comments_data()
    {
        QTest::addColumn<bool>("index");
        QTest::addColumn<QStringList>("tags");
        QTest::addColumn<QStringList>("expected"); // all but ENCODER, in order
        QTest::newRow("track") << false << QStringList()
                               << QStringList{"TRACKNUMBER=1", "TRACKTOTAL=1"};
        QTest::newRow("index") << true << QStringList()
                               << QStringList{"TRACKNUMBER=1", "TRACKTOTAL=1", "INDEXNUMBER=1"};
        QTest::newRow("user tags, one replacing a number")
            << false << QStringList{"ARTIST=Anna Ö", "tracknumber=07", "ARTIST=Bo"}
            << QStringList{"TRACKTOTAL=1", "ARTIST=Anna Ö", "tracknumber=07", "ARTIST=Bo"};
    }

    void comments()
    {
        QFETCH(bool, index);
        QFETCH(QStringList, tags);
        QFETCH(QStringList, expected);
        PcmTrack track(1, PcmGroup{2, 16, 48000}, PcmGroup{}, 4000);
        QTemporaryDir out;
        ExtractProgress progress;
        const AOBObject *object =
            index ? static_cast<AOBObject *>(static_cast<DVDATrack *>(track.track())->indexes[0])
                  : track.track();
        QCOMPARE(dumpObject(object, out.filePath("t"), flacOptions("", tags), progress),
                 ResultCode::Succeeded);
        const QStringList written = filesIn(out.path());
        QCOMPARE(written.size(), 1);
        QStringList comments = metadataOf(out.filePath(written.first())).comments;
        const QStringList encoder = comments.filter(QRegularExpression("^ENCODER=Kestrova \\d"));
        QCOMPARE(encoder.size(), 1);
        comments.removeAll(encoder.first());
        QCOMPARE(comments, expected);
    }

    // A disc that fills up mid-file: the extraction ends with the write failure. Kept as
    // partial, the file is cut back to its last whole frame, plays to there and says how
    // many samples it holds; one that did not get its header is gone. A whole title's
    // CUESHEET keeps the tracks that begin in what was kept, and ends there.
    void fullDisc_data()
    {
        QTest::addColumn<int>("room");
        QTest::addColumn<bool>("kept");
        QTest::addColumn<bool>("title");
        QTest::newRow("mid-file") << 200000 << true << false;
        QTest::newRow("within the header") << 1000 << false << false;
        QTest::newRow("a whole title mid-file") << 200000 << true << true;
    }

    void fullDisc()
    {
        QFETCH(int, room);
        QFETCH(bool, kept);
        QFETCH(bool, title);
        PcmTrack track(1, PcmGroup{2, 24, 96000}, PcmGroup{}, 2 * 60000,
                       title ? QList<int>{20000, 20000, 80000} : QList<int>{});
        QTemporaryDir out;
        ExtractOptions options = flacOptions("");
        options.keepPartial = true;
        {
            FileSizeLimit limit{rlim_t(room)};
            if (!limit.active)
                QSKIP("cannot limit file sizes");
            ExtractProgress progress;
            const Result result = title ? dumpTitle(track.title(), out.filePath("t"), options, progress)
                                        : dumpObject(track.track(), out.filePath("t"), options, progress);
            QCOMPARE(result.code(), ResultCode::WriteOutput);
            // The file and the system's reason.
            QVERIFY2(result.where().startsWith(out.filePath("t")) && result.where().contains(".flac: "),
                     qPrintable(result.where()));
        }
        const QStringList written = QDir(out.path()).entryList(QDir::Files | QDir::Hidden);
        QCOMPARE(written.size(), kept ? 1 : 0);
        if (!kept)
            return;
        QVERIFY(written.first().endsWith(".partial.flac"));
        const QString path = out.filePath(written.first());
        QVERIFY(QFileInfo(path).size() <= room);
        QCOMPARE(flacTest(path, true), QString());
        const Metadata m = metadataOf(path);
        const Decoded d = decode(path);
        QCOMPARE(d.error, QString());
        QVERIFY(m.samples > 0 && m.samples < 2 * 60000);
        QCOMPARE(qint64(d.samples.size()), m.samples * 2 * 4);
        QVERIFY(d.samples == track.interleaved({0, 1}).left(d.samples.size()));
        if (!title)
            return;
        QVERIFY(m.samples < track.joins.last()); // the last track was not reached
        QByteArray sheet;
        QCOMPARE(runTool("metaflac", {"--export-cuesheet-to=-", path}, &sheet), QString());
        QString expected = QString("FILE \"%1\" FLAC\n").arg(path);
        for (int k = 0; k < track.joins.size() && track.joins[k] < m.samples; ++k)
            expected += QString("  TRACK %1 AUDIO\n    INDEX 01 %2\n").arg(k + 1, 2, 10, QChar('0')).arg(track.joins[k]);
        expected += QString("REM FLAC__lead-in 0\nREM FLAC__lead-out 255 %1\n").arg(m.samples);
        QCOMPARE(QString::fromLatin1(sheet), expected);
    }
};

QTEST_GUILESS_MAIN(TestFlacOutput)
#include "tst_flacoutput.moc"
