// The extraction and its job runner together: with a wait threshold of 0 the next track
// is not started while a file still waits for, or is in, the user's command.
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "extraction/extraction.h"
#include "testzone/dumpzone.h"
#include "testzone/packs.h"
#include "zone/dvdazone.h"

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

    Extraction extraction;
    QList<int> states;
    connect(&extraction, &Extraction::objectStarted, this,
            [&states](DVDAObject *, const QString &) { states << 1; });
    connect(&extraction, &Extraction::objectFinished, this,
            [&states](DVDAObject *, const Result &code, const ObjectCheck &) {
                states << (code == ResultCode::Succeeded ? 2 : 3);
            });
    QSignalSpy finished(&extraction, &Extraction::finished);
    QVERIFY(extraction.start(tracks, options));

    const QString first = out.filePath("track-01-01[0]-01-[L-R]-24-96000.pcm");
    const QString second = out.filePath("track-01-01[0]-02-[L-R]-24-96000.pcm");
    const QString commands = out.filePath("commands");
    // The first track is written and its command holds: the second track waits.
    QTRY_COMPARE_WITH_TIMEOUT(dumpzone::fileBytes(commands), (first + "\n").toUtf8(), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(extraction.status().waiting, 5000);
    QVERIFY(!QSignalSpy(&extraction, &Extraction::objectStarted).wait(500)); // and stays held
    QCOMPARE(states, (QList<int>{1, 2}));
    QVERIFY(!QFile::exists(second));
    QCOMPARE(extraction.status().jobsWaiting, 1);

    QFile go(out.filePath("go"));
    QVERIFY(go.open(QIODevice::WriteOnly));
    go.close();
    QVERIFY(finished.wait(20000));
    QCOMPARE(states, (QList<int>{1, 2, 1, 2}));
    QCOMPARE(finished.at(0).at(0).value<Result>().code(), ResultCode::Succeeded);
    QCOMPARE(dumpzone::fileBytes(commands), (first + "\n" + second + "\n").toUtf8());
    QVERIFY(!QFile::exists(first) && !QFile::exists(second));
}

QTEST_MAIN(TestEncodeWait)
#include "tst_commandwait.moc"
