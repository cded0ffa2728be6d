// Whole titles: the tracks of a title decoded as one stream into one set of files, holding
// exactly the samples the test wrote, PCM and MLP, every layout, WAV and FLAC; the track
// marks read back three ways (the cue sheet beside the file, the FLAC CUESHEET as metaflac
// prints it, the wave cue points), each within the rounding of its track's 90 kHz start.
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>
#include <cmath>
#include <functional>
#include <memory>

#include "zone/dvdazone.h"
#include "output/trackmarks.h"
#include "base/pts.h"
#include "extraction/extractprogress.h"
#include "extraction/objectcheck.h"
#include "extraction/objectdump.h"
#include "extraction/objectoutput.h"
#include "extraction/wholetitles.h"
#include "testzone/dumpzone.h"
#include "testzone/markcheck.h"
#include "testzone/mlpencoder.h"
#include "testzone/packs.h"
#include "testzone/pcmtrack.h"
#include "testzone/profile.h"
#include "testzone/resultcompare.h"
#include "testzone/wavereader.h"

using namespace testzone;

namespace {

ExtractOptions optionsFor(const QString &words)
{
    ExtractOptions o;
    o.mode = ModeConvert;
    o.merge = words.contains("merge");
    o.split = words.contains("split");
    o.downmix = words.contains("downmix");
    o.format = words.contains("flac") ? OutputFormat::Flac : OutputFormat::Wave;
    return o;
}

// An MLP stream laid into a zone as one title, a track beginning at each of the major
// syncs picked (by their place among the stream's major syncs), as a disc cuts them.
struct MlpTitle {
    MlpTitle(const QByteArray &stream, int rate_, const QList<int> &syncPicks) : rate(rate_)
    {
        const packs::PackedStream packed = packs::packStream(stream, packs::mlpLayout());
        const QList<int> syncs = mlpencoder::majorSyncOffsets(stream);
        QList<int> firsts{0};
        QList<quint32> lengths, starts{0};
        joins << 0;
        for (int pick : syncPicks) {
            const int offset = syncs.value(pick);
            joins << unitsBefore(stream, offset) * mlpencoder::frameSize(rate);
            firsts << dumpzone::packOfAudioOffset(packed.audioPerPack, offset);
            starts << ticks(joins.last());
        }
        const qint64 end = unitsBefore(stream, int(stream.size())) * mlpencoder::frameSize(rate);
        for (int k = 0; k < joins.size(); ++k)
            lengths << ticks(k + 1 < joins.size() ? joins[k + 1] : end) - starts[k];
        folder = std::make_unique<ZoneFolder>(dumpzone::timedTracks(packed.packs, firsts, lengths));
        zone = std::make_unique<DVDAZone>(QDir(folder->path()));
    }
    // Access units are read by their lengths, up to the byte offset.
    static int unitsBefore(const QByteArray &stream, int offset)
    {
        int n = 0;
        for (int at = 0; at < offset; ++n)
            at += 2 * ((quint8(stream[at]) << 8 | quint8(stream[at + 1])) & 0xFFF);
        return n;
    }
    quint32 ticks(qint64 frames) const { return quint32((frames * 90000 + rate / 2) / rate); }
    DVDATitle *title() const { return zone->titlesets.at(0)->titles.at(0); }

    int rate;
    QList<qint64> joins; // frames
    std::unique_ptr<ZoneFolder> folder;
    std::unique_ptr<DVDAZone> zone;
};

// Adds ticks to the length of the title's track k (0-based), and to the title's, in the
// written zone's information file and its backup alike, and opens the zone again.
void lengthenTrack(const ZoneFolder &folder, std::unique_ptr<DVDAZone> &zone, int k, qint32 ticks)
{
    for (const QString &name : {titlesetInfoName(1), QString(titlesetInfoName(1)).replace(".IFO", ".BUP")}) {
        QFile info(folder.filePath(name));
        QVERIFY(info.open(QIODevice::ReadWrite));
        QByteArray bytes = info.readAll();
        const quint32 record = qFromBigEndian<quint32>(bytes.constData() + TITLE_TABLE_AT + 8 + 4);
        for (const int at : {TITLE_TABLE_AT + int(record) + 4, TITLE_TABLE_AT + int(record) + 16 + 20 * k + 10})
            qToBigEndian<quint32>(qFromBigEndian<quint32>(bytes.constData() + at) + quint32(ticks), bytes.data() + at);
        QVERIFY(info.seek(0) && info.write(bytes) == bytes.size());
    }
    zone = std::make_unique<DVDAZone>(QDir(folder.path()));
}

// A title of PCM tracks of these frames: groups is c1 b1 r1 c2 b2 r2 (c2 0: no group 2).
PcmTrack pcmTitle(int assignment, const QList<int> &groups, const QList<int> &trackFrames)
{
    const PcmGroup g1{groups[0], groups[1], groups[2]};
    const PcmGroup g2{groups[3], groups[3] ? groups[4] : 16, groups[3] ? groups[5] : 48000};
    int total = 0;
    for (int frames : trackFrames)
        total += frames;
    return PcmTrack(assignment, g1, g2, total, trackFrames);
}

// Samples within `bits` as FFmpeg's s32le gives them: left-justified.
QByteArray leftJustified(const QVector<qint32> &samples, int channels, int bits, const QList<int> &order)
{
    QByteArray out;
    for (int f = 0; f < samples.size() / channels; ++f) {
        for (int n : order) {
            char le[4];
            qToLittleEndian(quint32(samples[f * channels + n]) << (32 - bits), le);
            out.append(le, 4);
        }
    }
    return out;
}

// "suffix|stream channels in file order" as a file name and its channels.
QList<int> channelsOf(const QString &file)
{
    QList<int> channels;
    for (const QString &n : file.section('|', 1).split(' '))
        channels << n.toInt();
    return channels;
}


// The paths planned for a title's files (as the check for existing files sees them) are
// those written, cue sheets included, and nothing else is in the folder.
void comparePlanned(const QTemporaryDir &out, const DVDATitle *title, const ExtractOptions &options)
{
    QStringList planned = plannedOutputPaths(title->tracks.front()->streamInfo, out.filePath("t"),
                                             options, true);
    QStringList written;
    for (const QString &name : QDir(out.path()).entryList(QDir::Files))
        written << out.filePath(name);
    planned.sort();
    QCOMPARE(written, planned);
}

// A title's files ("suffix|channels" each, after the base "t"): the planned ones and no
// other, each decoding to what expected gives for it, with its marks where the tracks join
// (frames at group 1's rate1).
void checkTitleFiles(const QTemporaryDir &out, const DVDATitle *title, const ExtractOptions &options,
                     const QStringList &files, const std::function<QByteArray(const QString &)> &expected,
                     int rate1, const QList<qint64> &joins)
{
    comparePlanned(out, title, options);
    QCOMPARE(QDir(out.path()).entryList({"*.wav", "*.flac"}, QDir::Files).size(), files.size());
    for (const QString &file : files) {
        const QString path = out.filePath("t" + file.section('|', 0, 0));
        const Decoded d = decode(path);
        QCOMPARE(d.error, QString());
        QVERIFY2(d.samples == expected(file), qPrintable(file));
        MarkCheck::check(path, d.sampleRate, rate1, joins);
    }
}

} // namespace

class TestWholeTitle : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (!haveTool("ffmpeg") || !haveTool("metaflac"))
            QSKIP("ffmpeg and metaflac read the files back");
    }
    void cleanupTestCase()
    {
        qInfo("largest distance between a mark and its join: %.2f samples (at %d Hz)", MarkCheck::largest,
              MarkCheck::largestAt);
    }

    // Tracks cut from one PCM stream, their boundaries inside blocks: each file holds the
    // whole stream of its channels, nothing lost or doubled at a join.
    void pcmTracksJoin_data()
    {
        QTest::addColumn<int>("assignment");
        QTest::addColumn<QList<int>>("groups"); // c1 b1 r1 c2 b2 r2
        QTest::addColumn<QList<int>>("trackFrames");
        QTest::addColumn<QString>("options");
        QTest::addColumn<QStringList>("files");
        QTest::newRow("stereo 16/48000, WAV") << 1 << QList<int>{2, 16, 48000, 0, 0, 0}
            << QList<int>{1000, 1501, 1001} << "" << QStringList{"-[L-R]-16-48000.wav|0 1"};
        QTest::newRow("stereo 24/192000, FLAC") << 1 << QList<int>{2, 24, 192000, 0, 0, 0}
            << QList<int>{3001, 2999, 1000} << "flac" << QStringList{"-[L-R]-24-192000.flac|0 1"};
        QTest::newRow("two groups 24/20 bits at 96/48 kHz, WAV") << 3
            << QList<int>{2, 24, 96000, 2, 20, 48000} << QList<int>{1202, 2002, 996} << ""
            << QStringList{"-[Lf-Rf]-24-96000.wav|0 1", "-[Ls-Rs]-20-48000.wav|2 3"};
        QTest::newRow("two groups in one FLAC file") << 2 << QList<int>{2, 16, 44100, 1, 16, 44100}
            << QList<int>{1500, 1500, 1002} << "flac" << QStringList{"-[Lf-Rf-S]-16-44100.flac|0 1 2"};
        QTest::newRow("five channels 20 bits, split") << 14 << QList<int>{3, 20, 88200, 2, 20, 88200}
            << QList<int>{700, 1301, 999} << "split"
            << QStringList{"-[Lf]-20-88200.wav|0", "-[Rf]-20-88200.wav|1", "-[C]-20-88200.wav|2",
                           "-[Ls]-20-88200.wav|3", "-[Rs]-20-88200.wav|4"};
        QTest::newRow("six channels merged, WAV") << 17 << QList<int>{3, 24, 48000, 3, 24, 48000}
            << QList<int>{802, 600} << "merge" << QStringList{"-[Lf-Rf-C-LFE-Ls-Rs]-24-48000.wav|0 1 2 3 4 5"};
    }
    void pcmTracksJoin()
    {
        QFETCH(int, assignment);
        QFETCH(QList<int>, groups);
        QFETCH(QList<int>, trackFrames);
        QFETCH(QString, options);
        QFETCH(QStringList, files);
        PcmTrack title = pcmTitle(assignment, groups, trackFrames);
        const PcmGroup g1 = title.g1;
        QVERIFY(title.track(int(trackFrames.size()) - 1));
        // Every join lies inside a block: a per-track cut would move it.
        for (int k = 1; k < trackFrames.size(); ++k)
            QVERIFY(title.track(k)->firstBlock() > title.track(k - 1)->firstBlock());
        QTemporaryDir out;
        QCOMPARE(title.convertTitle(out.filePath("t"), optionsFor(options)), ResultCode::Succeeded);
        checkTitleFiles(out, title.title(), optionsFor(options), files,
                        [&](const QString &file) { return title.interleaved(channelsOf(file)); },
                        g1.rate, title.joins);
    }

    // The same tracks extracted one by one: each file a slice of the title's stream that
    // begins within half a 90 kHz tick of its join, and the slices of a file's channels
    // follow each other without a gap or a doubled sample. The plain profile's streams
    // carry no time stamps that could place a join inside a block.
    void pcmTracksAlone_data() { pcmTracksJoin_data(); }
    void pcmTracksAlone()
    {
        if (!authored())
            QSKIP("the plain profile's time stamps are all 0: its tracks are cut by whole blocks");
        QFETCH(int, assignment);
        QFETCH(QList<int>, groups);
        QFETCH(QList<int>, trackFrames);
        QFETCH(QString, options);
        QFETCH(QStringList, files);
        PcmTrack title = pcmTitle(assignment, groups, trackFrames);
        const PcmGroup g1 = title.g1, g2 = title.g2;
        QVERIFY(title.track(int(trackFrames.size()) - 1));
        for (const QString &file : files) {
            const QList<int> channels = channelsOf(file);
            const int ratio = channels.first() < g1.channels ? 1 : g1.rate / g2.rate;
            const QByteArray whole = title.interleaved(channels); // s32le
            const int frameBytes = 4 * int(channels.size());
            qint64 end = 0; // where the slice before ends, in this file's frames
            for (int k = 0; k < trackFrames.size(); ++k) {
                QTemporaryDir out;
                QCOMPARE(title.convert(out.filePath("t"), optionsFor(options), nullptr, k), ResultCode::Succeeded);
                const Decoded d = decode(out.filePath("t" + file.section('|', 0, 0)));
                QCOMPARE(d.error, QString());
                QVERIFY2(whole.mid(end * frameBytes, d.samples.size()) == d.samples,
                         qPrintable(QString("%1, track %2 from frame %3").arg(file).arg(k + 1).arg(end)));
                const double tolerance = double(d.sampleRate) / 180000 + 0.5 + (ratio > 1 ? 1 : 0);
                QVERIFY(std::abs(double(end) - double(title.joins[k]) / ratio) <= tolerance);
                end += d.samples.size() / frameBytes;
            }
            QCOMPARE(end * frameBytes, qint64(whole.size()));
        }
    }

    // A title of MLP tracks, each beginning at a major sync inside a block, decoded as
    // one stream: the encoder's samples, every one.
    void mlpTracksJoin_data()
    {
        QTest::addColumn<int>("id"); // -1: the two-substream stream of the test data
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("bits");
        QTest::addColumn<QString>("options");
        QTest::addColumn<QStringList>("files");
        QTest::newRow("stereo 16/44100, WAV") << 1 << 44100 << 16 << ""
            << QStringList{"-[L-R]-16-44100.wav|0 1"};
        QTest::newRow("5.1 24/96000, FLAC") << 12 << 96000 << 24 << "flac"
            << QStringList{"-[Lf-Rf-C-LFE-Ls-Rs]-24-96000.flac|0 1 2 3 4 5"};
        QTest::newRow("5.1 24/48000 by group, WAV") << 12 << 48000 << 24 << ""
            << QStringList{"-[Lf-Rf]-24-48000.wav|0 1", "-[C-LFE-Ls-Rs]-24-48000.wav|2 3 4 5"};
        QTest::newRow("stereo 16/192000 split") << 1 << 192000 << 16 << "split"
            << QStringList{"-[L]-16-192000.wav|0", "-[R]-16-192000.wav|1"};
        QTest::newRow("the stereo downmix") << -1 << 48000 << 16 << "downmix"
            << QStringList{"-[Downmix]-16-48000.wav|0 1"};
    }
    void mlpTracksJoin()
    {
        QFETCH(int, id);
        QFETCH(int, rate);
        QFETCH(int, bits);
        QFETCH(QString, options);
        QFETCH(QStringList, files);
        QByteArray stream;
        QVector<qint32> samples;
        int channels = 2;
        if (id >= 0) {
            channels = mlpencoder::channelCount(id);
            samples = mlpencoder::testSignal(channels, 200 * mlpencoder::frameSize(rate), bits, 5);
            const mlpencoder::MlpFormat format{id, rate, bits};
            stream = bits == 16 ? mlpencoder::encodeMlp(mlpencoder::toInt16(samples), format)
                                : mlpencoder::encodeMlp(samples, format);
        } else {
            QFile fixture(TESTDATA_DIR "/mlp/two-substreams.mlp");
            QFile downmix(TESTDATA_DIR "/mlp/two-substreams.substream0.s16le");
            QVERIFY(fixture.open(QIODevice::ReadOnly) && downmix.open(QIODevice::ReadOnly));
            stream = fixture.readAll();
            const QByteArray s16 = downmix.readAll();
            for (int i = 0; i + 1 < s16.size(); i += 2)
                samples << qint16(quint8(s16[i]) | quint8(s16[i + 1]) << 8);
        }
        QVERIFY(mlpencoder::majorSyncOffsets(stream).size() > 6);
        const MlpTitle title(stream, rate, {2, 5});
        QCOMPARE(int(title.title()->tracks.size()), 3);
        QTemporaryDir out;
        ExtractProgress progress;
        QCOMPARE(dumpTitle(title.title(), out.filePath("t"), optionsFor(options), progress).code(),
                 ResultCode::Succeeded);
        QCOMPARE(progress.track.load(), 3); // the progress shown followed the tracks
        checkTitleFiles(out, title.title(), optionsFor(options), files,
                        [&](const QString &file) { return leftJustified(samples, channels, bits, channelsOf(file)); },
                        rate, title.joins);
    }

    // Track lengths that disagree with the stream: an MLP track begins at its major sync,
    // a PCM one in its first block or the one before; the stream's start is marked, and
    // the rip log's note says so. Within that, the lengths are marked as they give.
    void marksFollowTheStream_data()
    {
        QTest::addColumn<QString>("stream");
        QTest::addColumn<int>("ticks"); // added to track 1's length
        QTest::addColumn<bool>("moved");
        QTest::newRow("MLP, 2 ms long") << "mlp" << 180 << true;
        QTest::newRow("MLP, a tick long") << "mlp" << 1 << false;
        QTest::newRow("PCM, 100 ms long") << "pcm" << 9000 << true;
        QTest::newRow("PCM, a tick long") << "pcm" << 1 << false;
    }
    void marksFollowTheStream()
    {
        QFETCH(QString, stream);
        QFETCH(int, ticks);
        QFETCH(bool, moved);
        const int rate = 48000;
        std::unique_ptr<MlpTitle> mlp;
        std::unique_ptr<PcmTrack> pcm;
        DVDATitle *title = nullptr;
        QList<qint64> joins;
        if (stream == "mlp") {
            const QVector<qint32> samples = mlpencoder::testSignal(2, 300 * mlpencoder::frameSize(rate), 16, 3);
            mlp = std::make_unique<MlpTitle>(mlpencoder::encodeMlp(mlpencoder::toInt16(samples), {1, rate, 16}), rate,
                                             QList<int>{3});
            lengthenTrack(*mlp->folder, mlp->zone, 0, ticks);
            title = mlp->title();
            joins = mlp->joins;
        } else {
            pcm = std::make_unique<PcmTrack>(1, PcmGroup{2, 16, rate}, PcmGroup{}, 24000, QList<int>{12001, 11999});
            lengthenTrack(*pcm->folder, pcm->zone, 0, ticks);
            title = pcm->title();
            joins = pcm->joins;
        }
        QTemporaryDir out;
        ExtractProgress progress;
        ObjectCheck check;
        QCOMPARE(dumpTitle(title, out.filePath("t"), optionsFor(""), progress, &check).code(), ResultCode::Succeeded);
        QCOMPARE(check.notes.size(), moved ? 1 : 0);
        const qint64 byLengths = ptsToSamples(title->tracks[1]->titleStartPts(), rate);
        const WaveContents wave = readWave(check.files.value(0));
        QCOMPARE(wave.cues.size(), size_t(2));
        const qint64 marked = wave.cues[1].position;
        if (!moved) {
            QCOMPARE(marked, byLengths);
            return;
        }
        QVERIFY(check.notes.first().contains(QString("track 2 starts at sample %1 of the title by its stream, %2 by")
                                                 .arg(marked).arg(byLengths)));
        if (mlp) // exactly the join
            QCOMPARE(marked, joins[1]);
        else // where the track's first block begins
            QVERIFY(qAbs(marked - joins[1]) < 1000);
    }

    // The cue sheet's text: a track's start as INDEX 01, its later indexes as INDEX 02 on,
    // in minutes, seconds and frames of 1/75 s cut from the sample the mark falls on.
    void cueSheetText_data()
    {
        QTest::addColumn<int>("rate");
        QTest::addColumn<QString>("zone");
        QTest::addColumn<QString>("sheet");
        // A tick short of 2 s: at 44.1 kHz that rounds to the sample at 2 s, which begins a
        // frame; at 96 kHz the nearest sample still lies in the frame before.
        QTest::newRow("44100") << 44100 << "/media/disc"
            << "REM ZONE \"/media/disc\"\nREM TITLE \"title-01-02[0]\"\nFILE \"t.wav\" WAVE\n"
               "  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n    INDEX 02 00:02:00\n"
               "  TRACK 02 AUDIO\n    INDEX 01 61:01:01\n";
        QTest::newRow("96000") << 96000 << "/media/disc"
            << "REM ZONE \"/media/disc\"\nREM TITLE \"title-01-02[0]\"\nFILE \"t.wav\" WAVE\n"
               "  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n    INDEX 02 00:01:74\n"
               "  TRACK 02 AUDIO\n    INDEX 01 61:01:01\n";
        // A quoted value cannot hold a quote.
        QTest::newRow("a quote in the zone's path") << 44100 << "/media/\"live\" disc"
            << "REM ZONE \"/media/'live' disc\"\nREM TITLE \"title-01-02[0]\"\nFILE \"t.wav\" WAVE\n"
               "  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n    INDEX 02 00:02:00\n"
               "  TRACK 02 AUDIO\n    INDEX 01 61:01:01\n";
    }
    void cueSheetText()
    {
        QFETCH(int, rate);
        QFETCH(QString, zone);
        QFETCH(QString, sheet);
        const quint64 frame = 90000 / 75;
        const TrackMarks marks{zone, "title-01-02[0]",
                               {{1, 1, 0}, {1, 2, 2 * 90000 - 1}, {2, 1, (3661 * 75 + 1) * frame}}};
        QCOMPARE(cueSheet(marks, "t.wav", rate), sheet);
    }

    // A title that is not one stream is refused before any file is made.
    void titlesThatCannotBeJoined_data()
    {
        QTest::addColumn<QList<int>>("formats"); // bits of each track's stream, 0 one stream
        QTest::addColumn<QList<int>>("spans");   // first and last block of each track
        QTest::addColumn<int>("result");
        QTest::newRow("formats differ") << QList<int>{16, 24} << QList<int>{} << int(ResultCode::TitleFormats);
        QTest::newRow("a block between two tracks") << QList<int>{0} << QList<int>{0, 1, 3, 5}
                                                     << int(ResultCode::TitleGap);
        QTest::newRow("tracks out of order") << QList<int>{0} << QList<int>{3, 5, 0, 2}
                                             << int(ResultCode::TitleGap);
        QTest::newRow("no track has blocks") << QList<int>{0} << QList<int>{-1, -1}
                                             << int(ResultCode::BlockNotFound);
    }
    void titlesThatCannotBeJoined()
    {
        QFETCH(QList<int>, formats);
        QFETCH(QList<int>, spans);
        QFETCH(int, result);
        const auto streamOf = [](int bits) {
            const PcmGroup g{2, bits, 48000};
            return packs::packStream(packPcm(g, makePcmSamples(g, 3200, 3)),
                                     packs::pcmLayout(pcmFormat(g, PcmGroup{}, 1)));
        };
        Zone description;
        if (formats.size() > 1) {
            const packs::PackedStream a = streamOf(formats[0]), b = streamOf(formats[1]);
            description = dumpzone::consecutiveTracks(a.packs + b.packs, {0, a.count});
        } else {
            const packs::PackedStream a = streamOf(16);
            QVERIFY(a.count >= 6);
            std::vector<TrackSpan> tracks;
            for (int k = 0; k + 1 < spans.size(); k += 2)
                tracks.push_back({90000, spans[k] < 0 ? std::vector<IndexEntry>{}
                                                      : std::vector<IndexEntry>{{quint32(spans[k]), quint32(spans[k + 1])}}});
            Titleset &titleset = description.titlesets.emplace_back();
            titleset.info.titles.push_back(makeTitle(tracks));
            titleset.aobFiles.push_back(AobFile::ofBytes(a.packs));
        }
        ZoneFolder folder(description);
        DVDAZone zone{QDir(folder.path())};
        QTemporaryDir out;
        ExtractProgress progress;
        QCOMPARE(dumpTitle(zone.titlesets.at(0)->titles.at(0), out.filePath("t"), optionsFor(""), progress).code(),
                 ResultCode(result));
        QCOMPARE(QDir(out.path()).entryList(QDir::Files), QStringList());
    }

    // What "one file per title" extracts for a selection.
    void titlesOfASelection_data()
    {
        QTest::addColumn<QStringList>("selected"); // titleset/title[/track[/index]] places
        QTest::addColumn<QStringList>("titles");
        QTest::newRow("tracks of one title") << QStringList{"0/0/0", "0/0/1"} << QStringList{"0/0"};
        QTest::newRow("in the order named") << QStringList{"0/1/0", "0/0/1", "0/1/1"}
                                            << QStringList{"0/1", "0/0"};
        QTest::newRow("an index and a title") << QStringList{"0/0/1/0", "0/1"} << QStringList{"0/0", "0/1"};
        QTest::newRow("a titleset") << QStringList{"1", "0/0/0"} << QStringList{"1/0", "1/1", "0/0"};
    }
    void titlesOfASelection()
    {
        QFETCH(QStringList, selected);
        QFETCH(QStringList, titles);
        Zone description;
        for (int t = 0; t < 2; ++t) {
            Titleset &titleset = description.titlesets.emplace_back();
            titleset.info.titles.push_back(makeTitle({{90000, {{0, 1}}}, {90000, {{2, 2}, {3, 4}}}}));
            titleset.info.titles.push_back(makeTitle({{90000, {{5, 6}}}, {90000, {{7, 9}}}}));
            titleset.aobFiles.push_back(AobFile::ofBytes(numberedBlocks(0, 10)));
        }
        ZoneFolder folder(description);
        DVDAZone zone{QDir(folder.path())};
        const auto node = [&zone](const QString &place) -> DVDAObject * {
            const QStringList at = place.split('/');
            DVDATitleset *titleset = zone.titlesets.at(at[0].toUInt());
            if (at.size() == 1)
                return titleset;
            DVDATitle *title = titleset->titles.at(at[1].toUInt());
            if (at.size() == 2)
                return title;
            DVDATrack *track = title->tracks.at(at[2].toUInt());
            return at.size() == 3 ? static_cast<DVDAObject *>(track) : track->indexes.at(at[3].toUInt());
        };
        QList<DVDAObject *> objects, expected;
        for (const QString &place : selected)
            objects << node(place);
        for (const QString &place : titles)
            expected << node(place);
        QCOMPARE(wholeTitles(objects), expected);
    }
};

QTEST_GUILESS_MAIN(TestWholeTitle)
#include "tst_wholetitle.moc"
