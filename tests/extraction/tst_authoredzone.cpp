// A zone that an independent authoring tool wrote (tests/data/authored/README.md), against
// the wave files it was made from: the title and each track sample-exact, the track mark
// where the second file begins, and verify clean.
#include <QDir>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>
#include <memory>

#include "base/pts.h"
#include "zone/dvdazone.h"
#include "extraction/extractprogress.h"
#include "extraction/objectcheck.h"
#include "extraction/objectdump.h"
#include "testzone/markcheck.h"
#include "testzone/pcmtrack.h"
#include "testzone/wavereader.h"

using namespace testzone;

namespace {

const QString ZONE_DIR = QStringLiteral(TESTDATA_DIR "/authored/a_stereo16_44k");
const qint64 TRACK1_FRAMES = 110257, TRACK2_FRAMES = 88533;

// The source's 16-bit samples as FFmpeg's s32le gives them.
QByteArray asS32(const QByteArray &s16)
{
    QByteArray out(s16.size() * 2, '\0');
    for (int k = 0; k + 1 < s16.size(); k += 2) {
        out[2 * k + 2] = s16[k];
        out[2 * k + 3] = s16[k + 1];
    }
    return out;
}

QByteArray source(int track)
{
    return readWave(ZONE_DIR + QStringLiteral("/source/t%1.wav").arg(track)).samples;
}

ExtractOptions optionsFor(int mode, OutputFormat format = OutputFormat::Wave)
{
    ExtractOptions o;
    o.mode = mode;
    o.format = format;
    return o;
}

} // namespace

class TestAuthoredZone : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (!haveTool("ffmpeg") || !haveTool("metaflac"))
            QSKIP("ffmpeg and metaflac read the files back");
        zone = std::make_unique<DVDAZone>(QDir(ZONE_DIR + QStringLiteral("/AUDIO_TS")));
        QCOMPARE(zone->titlesets.size(), size_t(1));
        QCOMPARE(zone->titlesets[0]->titles.size(), size_t(1));
        title = zone->titlesets[0]->titles[0];
        QCOMPARE(title->tracks.size(), size_t(2));
        QCOMPARE(source(1).size(), TRACK1_FRAMES * 4);
        QCOMPARE(source(2).size(), TRACK2_FRAMES * 4);
    }

    // The second track begins where the first one's length ends, whatever the unused
    // bytes of its record hold.
    void trackStarts()
    {
        const auto *second = title->tracks[1];
        QCOMPARE(second->titleStartPts(), quint64(225014));
        QCOMPARE(ptsToSamples(second->titleStartPts(), 44100), TRACK1_FRAMES);
    }

    // The whole title as one file: both sources joined, and the mark where the second begins.
    void wholeTitle_data()
    {
        QTest::addColumn<int>("format");
        QTest::newRow("wav") << int(OutputFormat::Wave);
        QTest::newRow("flac") << int(OutputFormat::Flac);
    }
    void wholeTitle()
    {
        QFETCH(int, format);
        QTemporaryDir out;
        ExtractProgress progress;
        ObjectCheck check;
        QCOMPARE(dumpTitle(title, out.filePath("t"), optionsFor(ModeConvert, OutputFormat(format)), progress,
                           &check).code(),
                 ResultCode::Succeeded);
        QCOMPARE(check.files.size(), 1);
        QVERIFY2(!check.damaged(), qPrintable(check.files.first()));
        const Decoded d = decode(check.files.first());
        QCOMPARE(d.error, QString());
        QCOMPARE(d.samples.size(), (TRACK1_FRAMES + TRACK2_FRAMES) * 8);
        QVERIFY(d.samples == asS32(source(1) + source(2)));
        MarkCheck::check(check.files.first(), 44100, 44100, {0, TRACK1_FRAMES});
    }

    // Each track alone: its own source exactly, although the block where the second
    // begins belongs to the first.
    void eachTrack_data()
    {
        QTest::addColumn<int>("track");
        QTest::newRow("track 1") << 1;
        QTest::newRow("track 2") << 2;
    }
    void eachTrack()
    {
        QFETCH(int, track);
        QTemporaryDir out;
        ExtractProgress progress;
        ObjectCheck check;
        QCOMPARE(dumpObject(title->tracks[size_t(track - 1)], out.filePath("t"), optionsFor(ModeConvert),
                            progress, &check).code(),
                 ResultCode::Succeeded);
        QCOMPARE(check.files.size(), 1);
        const WaveContents wave = readWave(check.files.first());
        QCOMPARE(wave.problem, QString());
        QCOMPARE(wave.samples.size() / 4, source(track).size() / 4);
        QVERIFY(wave.samples == source(track));
    }

    // Nothing is damaged: the last pack's packet length that takes in the padding
    // packet's prefix is corrected, not counted.
    void verifyIsClean()
    {
        qint64 corrected = 0;
        for (const DVDATrack *track : title->tracks) {
            ExtractProgress progress;
            ObjectCheck check;
            QCOMPARE(dumpObject(track, QString(), optionsFor(ModeVerify), progress, &check).code(),
                     ResultCode::Succeeded);
            QVERIFY2(!check.damaged(), qPrintable(QString("track %1").arg(track->number)));
            corrected += check.correctedPackets;
        }
        QCOMPARE(corrected, qint64(1));
    }

private:
    std::unique_ptr<DVDAZone> zone;
    DVDATitle *title = nullptr;
};

QTEST_GUILESS_MAIN(TestAuthoredZone)
#include "tst_authoredzone.moc"
