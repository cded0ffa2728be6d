// The extraction and the job thread together: with a wait threshold of 0 the next track
// is not started while a file still waits for, or is in, the user's command.
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "5-extraction/extractthread.h"
#include "5-extraction/jobqueue.h"
#include "5-extraction/jobthread.h"
#include "testzone/dumpzone.h"
#include "testzone/packs.h"
#include "3-zone/dvdazone.h"

class TestEncodeWait : public QObject {
    Q_OBJECT
private slots:
    void nextTrackWaitsForTheCommand();
};

void TestEncodeWait::nextTrackWaitsForTheCommand()
{
    // Titleset 1, title 1, two stereo 24-bit 96 kHz PCM tracks.
    const packs::PcmFormat format = {0x20, 0x10, 1};
    QByteArray all;
    QList<int> firsts;
    for (int k = 0; k < 2; ++k) {
        firsts << int(all.size() / packs::PACK_SIZE);
        all += packs::packStream(dumpzone::pattern(6000, k), packs::pcmLayout(format)).packs;
    }
    testzone::ZoneFolder folder(dumpzone::consecutiveTracks(all, firsts));
    QVERIFY(folder.ok());
    DVDAZone zone{QDir(folder.path())};
    auto *title = zone.titlesets[0]->titles[0];
    const QList<DVDAObject *> tracks = {title->tracks[0], title->tracks[1]};

    QTemporaryDir out;
    QVERIFY(out.isValid());
    // Records the file it got, then holds until the test lets it go.
    const QString script = out.filePath("hold.sh");
    QFile file(script);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\necho \"$1\" >> \"$(dirname \"$1\")/commands\"\n"
               "while [ ! -e \"$(dirname \"$1\")/go\" ]; do sleep 0.05; done\n");
    file.close();
    QVERIFY(file.setPermissions(file.permissions() | QFile::ExeOwner));

    ExtractOptions options;
    options.outputDir = QDir(out.path());
    options.mode = ModeStore;
    options.run = true;
    options.command = QStringLiteral("/bin/sh \"%1\" \"%filepath%\"").arg(script);
    options.cache = 0;
    options.deleteFiles = true;

    JobQueue jobs;
    ExtractThread extraction(&zone, tracks, options, &jobs);
    JobThread encoding(options, &jobs);
    QList<int> states;
    connect(&extraction, &ExtractThread::itemProcessing, this,
            [&states](DVDAObject *, int state) { states << state; });
    extraction.start();
    encoding.start(QThread::HighPriority);

    const QString first = out.filePath("track-01-01[0]-01-[L-R]-24-96000.pcm");
    const QString second = out.filePath("track-01-01[0]-02-[L-R]-24-96000.pcm");
    const QString commands = out.filePath("commands");
    // The first track is written and its command holds: the second track waits.
    QTRY_COMPARE_WITH_TIMEOUT(dumpzone::fileBytes(commands), (first + "\n").toUtf8(), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(extraction.progress.waiting.load(), 5000);
    QTest::qWait(1500);
    QCOMPARE(states, (QList<int>{1, 2}));
    QVERIFY(!QFile::exists(second));
    QCOMPARE(jobs.count(), 1);

    QFile go(out.filePath("go"));
    QVERIFY(go.open(QIODevice::WriteOnly));
    go.close();
    QVERIFY(extraction.wait(20000));
    QVERIFY(encoding.wait(20000));
    QCoreApplication::processEvents();
    QCOMPARE(states, (QList<int>{1, 2, 1, 2}));
    QCOMPARE(extraction.result(), 0);
    QCOMPARE(encoding.result(), 0);
    QCOMPARE(dumpzone::fileBytes(commands), (first + "\n" + second + "\n").toUtf8());
    QVERIFY(!QFile::exists(first) && !QFile::exists(second));
    QCOMPARE(jobs.count(), 0);
}

QTEST_GUILESS_MAIN(TestEncodeWait)
#include "tst_encodewait.moc"
