// The extraction thread's walk: what it announces, in which order, where it stops, how
// it holds back for the job queue, and the names it gives the files.
#include <QDir>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "1-base/result.h"
#include "5-extraction/extractthread.h"
#include "5-extraction/jobqueue.h"
#include "testzone/dumpzone.h"
#include "testzone/mlpencoder.h"
#include "testzone/packs.h"
#include "3-zone/dvdazone.h"

namespace {
const packs::PcmFormat stereo24at96 = {0x20, 0x10, 1};
const char pcmSuffix[] = "-[L-R]-24-96000.pcm";

// Records itemProcessing as the window gets it: queued, on this thread.
class Announcements : public QObject {
    Q_OBJECT
public:
    QList<QPair<DVDAObject *, int>> items;
public slots:
    void itemProcessing(DVDAObject *object, int state) { items.append({object, state}); }
};

// Titleset 1, title id 0x81, three PCM tracks. With titleEach, three titles of one track
// each, all with id 0x81 (as on a damaged disc), so the tracks share one base name.
struct ThreeTracks {
    explicit ThreeTracks(bool titleEach = false, int brokenIndex = -1)
    {
        QByteArray all;
        QList<int> firsts;
        for (int k = 0; k < 3; ++k) {
            firsts << int(all.size() / packs::PACK_SIZE);
            audio << dumpzone::pattern(4000 + 1000 * k, k);
            all += packs::packStream(audio.last(), packs::pcmLayout(stereo24at96)).packs;
        }
        testzone::Zone description = dumpzone::consecutiveTracks(all, firsts);
        std::vector<testzone::Title> &titles = description.titlesets[0].info.titles;
        if (brokenIndex >= 0) // its last block before its first: the track cannot be dumped
            titles[0].indexes[size_t(brokenIndex)].last = 0;
        if (titleEach) {
            const testzone::Title whole = titles[0];
            titles.clear();
            for (const testzone::IndexEntry &index : whole.indexes)
                titles.push_back(testzone::makeTitle({{90000, {index}}}));
        }
        for (testzone::Title &title : titles)
            title.titleId = 0x81;
        folder = std::make_unique<testzone::ZoneFolder>(description);
        zone = std::make_unique<DVDAZone>(QDir(folder->path()));
    }
    DVDAObject *title() const { return zone->titlesets[0]->titles[0]; }
    DVDAObject *track(int k) const
    {
        const auto &titles = zone->titlesets[0]->titles;
        return titles.size() > 1 ? titles[size_t(k)]->tracks[0] : titles[0]->tracks[size_t(k)];
    }

    QList<QByteArray> audio;
    std::unique_ptr<testzone::ZoneFolder> folder;
    std::unique_ptr<DVDAZone> zone;
};

ExtractOptions storeInto(const QString &dir)
{
    ExtractOptions options;
    options.mode = ModeStore;
    options.outputDir = QDir(dir);
    return options;
}

QString fileOfSize(const QTemporaryDir &dir, const QString &name, qint64 size)
{
    QFile file(dir.filePath(name));
    if (!file.open(QIODevice::WriteOnly) || !file.resize(size))
        return QString();
    return file.fileName();
}

QStringList filesIn(const QString &dir)
{
    return QDir(dir).entryList(QDir::Files, QDir::Name);
}

// Every file of the folder by name, with its bytes.
QMap<QString, QByteArray> folderContents(const QString &dir)
{
    QMap<QString, QByteArray> contents;
    for (const QString &name : filesIn(dir))
        contents.insert(name, dumpzone::fileBytes(QDir(dir).filePath(name)));
    return contents;
}

// One title of PCM and MLP tracks taking turns, each track its own stream.
struct MixedTracks {
    MixedTracks()
    {
        QByteArray all;
        QList<int> firsts;
        for (int k = 0; k < 4; ++k) {
            firsts << int(all.size() / packs::PACK_SIZE);
            if (k % 2 == 0) {
                all += packs::packStream(dumpzone::pattern(30000 + 6000 * k, k),
                                         packs::pcmLayout(stereo24at96)).packs;
                continue;
            }
            const QByteArray mlp = mlpencoder::encodeMlp(
                mlpencoder::testSignal(2, 9600 * k, 16, quint32(k)), mlpencoder::MlpFormat{});
            all += packs::packStream(mlp, packs::mlpLayout()).packs;
        }
        folder = std::make_unique<testzone::ZoneFolder>(dumpzone::consecutiveTracks(all, firsts));
        zone = std::make_unique<DVDAZone>(QDir(folder->path()));
    }
    QList<DVDAObject *> tracks() const
    {
        QList<DVDAObject *> list;
        for (DVDAObject *track : zone->titlesets[0]->titles[0]->tracks)
            list << track;
        return list;
    }

    std::unique_ptr<testzone::ZoneFolder> folder;
    std::unique_ptr<DVDAZone> zone;
};
} // namespace

class TestExtractThread : public QObject {
    Q_OBJECT

private:
    // Runs the thread to its end; the announcements as the window would get them.
    QList<QPair<DVDAObject *, int>> runToEnd(ExtractThread &thread)
    {
        Announcements window;
        connect(&thread, SIGNAL(itemProcessing(DVDAObject*,int)), &window,
                SLOT(itemProcessing(DVDAObject*,int)), Qt::QueuedConnection);
        thread.start();
        if (!thread.wait(20000))
            return {};
        QCoreApplication::processEvents();
        return window.items;
    }

private slots:
    // Several workers write what one writes, object for object.
    void workersWriteWhatOneWrites_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("threads");
        QTest::newRow("store, 2 workers") << int(ModeStore) << 2;
        QTest::newRow("convert, 2 workers") << int(ModeConvert) << 2;
        QTest::newRow("convert, more workers than tracks") << int(ModeConvert) << 6;
    }
    void workersWriteWhatOneWrites()
    {
        QFETCH(int, mode);
        QFETCH(int, threads);
        MixedTracks zone;
        QMap<QString, QByteArray> written[2];
        for (int run = 0; run < 2; ++run) {
            QTemporaryDir out;
            ExtractOptions options = storeInto(out.path());
            options.mode = mode;
            options.threads = run == 0 ? 1 : threads;
            JobQueue jobs;
            ExtractThread thread(zone.zone.get(), zone.tracks(), options, &jobs);
            QCOMPARE(runToEnd(thread).size(), 2 * zone.tracks().size());
            QCOMPARE(thread.result(), 0);
            QVERIFY(jobs.isClosed());
            written[run] = folderContents(out.path());
        }
        QCOMPARE(written[0].size(), 4);
        QVERIFY(written[0] == written[1]);
    }

    void tracksAreDumpedInOrder()
    {
        ThreeTracks zone;
        QTemporaryDir out;
        JobQueue jobs;
        ExtractThread thread(zone.zone.get(), {nullptr, zone.track(2), zone.track(0)},
                             storeInto(out.path()), &jobs);
        const auto items = runToEnd(thread);
        QCOMPARE(thread.result(), 0);
        QCOMPARE(items, (QList<QPair<DVDAObject *, int>>{{zone.track(2), 1}, {zone.track(2), 2},
                                                         {zone.track(0), 1}, {zone.track(0), 2}}));
        QCOMPARE(dumpzone::fileBytes(out.filePath(QString("track-01-01[1]-03") + pcmSuffix)),
                 zone.audio[2]);
        QCOMPARE(dumpzone::fileBytes(out.filePath(QString("track-01-01[1]-01") + pcmSuffix)),
                 zone.audio[0]);
        QCOMPARE(filesIn(out.path()).size(), 2);
        QVERIFY(jobs.isClosed());
        // The progress names the last object.
        QCOMPARE(thread.progress.titleset.load(), 1);
        QCOMPARE(thread.progress.title.load(), 0x81);
        QCOMPARE(thread.progress.track.load(), 1);
        QCOMPARE(thread.progress.index.load(), 0);
    }

    void otherKindsEndTheWalk()
    {
        ThreeTracks zone;
        QTemporaryDir out;
        JobQueue jobs;
        ExtractThread thread(zone.zone.get(), {zone.track(0), zone.title(), zone.track(1)},
                             storeInto(out.path()), &jobs);
        const auto items = runToEnd(thread);
        QCOMPARE(thread.result(), int(ErrObjectKind));
        QCOMPARE(items, (QList<QPair<DVDAObject *, int>>{{zone.track(0), 1}, {zone.track(0), 2}}));
        QCOMPARE(filesIn(out.path()), QStringList{QString("track-01-01[1]-01") + pcmSuffix});
        QVERIFY(jobs.isClosed());
    }

    void aFailingDumpEndsTheWalk()
    {
        ThreeTracks zone;
        QTemporaryDir out;
        JobQueue jobs;
        ExtractThread thread(zone.zone.get(), {zone.track(0), zone.track(1)},
                             storeInto(out.filePath("not-there")), &jobs);
        const auto items = runToEnd(thread);
        QCOMPARE(thread.result(), int(ErrCreateOutput));
        QCOMPARE(items, (QList<QPair<DVDAObject *, int>>{{zone.track(0), 1}, {zone.track(0), 3}}));
        QVERIFY(filesIn(out.path()).isEmpty());
        QVERIFY(jobs.isClosed());
    }

    void anEmptyListSucceeds()
    {
        ThreeTracks zone;
        JobQueue jobs;
        ExtractThread thread(zone.zone.get(), {}, ExtractOptions(), &jobs);
        QVERIFY(runToEnd(thread).isEmpty());
        QCOMPARE(thread.result(), 0);
        QVERIFY(jobs.isClosed());
    }

    void cacheHoldsTheNextObjectBack()
    {
        ThreeTracks zone;
        QTemporaryDir out, encoded;
        ExtractOptions options = storeInto(out.path());
        options.cache = 1;
        JobQueue full;
        full.add(fileOfSize(encoded, "a.wav", 1048576), 2, 48000, 16);
        ExtractThread atThreshold(zone.zone.get(), {zone.track(0)}, options, &full);
        QCOMPARE(runToEnd(atThreshold).size(), 2);
        QCOMPARE(atThreshold.result(), 0);

        // One byte more: the thread waits until the command has worked a file off.
        JobQueue jobs;
        jobs.add(encoded.filePath("a.wav"), 2, 48000, 16);
        jobs.add(fileOfSize(encoded, "b.wav", 1), 2, 48000, 16);
        ExtractThread thread(zone.zone.get(), {zone.track(1)}, options, &jobs);
        Announcements window;
        connect(&thread, &ExtractThread::itemProcessing, &window, &Announcements::itemProcessing);
        thread.start();
        QTRY_VERIFY_WITH_TIMEOUT(thread.progress.waiting.load(), 5000);
        QTest::qWait(300);
        QVERIFY(thread.isRunning());
        QVERIFY(window.items.isEmpty());
        QCOMPARE(filesIn(out.path()).size(), 1); // the first thread's
        QVERIFY(!jobs.isClosed());

        // The command finishes a file: the walk goes on.
        delete jobs.removeFirst();
        QVERIFY(thread.wait(5000));
        QCoreApplication::processEvents();
        QCOMPARE(thread.result(), 0);
        QCOMPARE(window.items.size(), 2);
        QVERIFY(!thread.progress.waiting.load());
        QCOMPARE(dumpzone::fileBytes(out.filePath(QString("track-01-01[1]-02") + pcmSuffix)),
                 zone.audio[1]);
    }

    void stopWhileWaitingTouchesNothing()
    {
        ThreeTracks zone;
        QTemporaryDir out, encoded;
        // A file of an earlier extraction with the name this one would write.
        const QString earlier = out.filePath(QString("track-01-01[1]-01") + pcmSuffix);
        QFile file(earlier);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("earlier run");
        file.close();

        JobQueue jobs;
        jobs.add(fileOfSize(encoded, "a.wav", 10), 2, 48000, 16);
        ExtractOptions options = storeInto(out.path());
        options.cache = 0;
        ExtractThread thread(zone.zone.get(), {zone.track(0), zone.track(1)}, options, &jobs);
        Announcements window;
        connect(&thread, &ExtractThread::itemProcessing, &window, &Announcements::itemProcessing);
        thread.start();
        QTRY_VERIFY_WITH_TIMEOUT(thread.progress.waiting.load(), 5000);

        thread.stop();
        QVERIFY(thread.wait(1000));
        QCoreApplication::processEvents();
        QCOMPARE(thread.result(), int(ErrCancelled));
        QVERIFY(window.items.isEmpty());
        QCOMPARE(filesIn(out.path()), QStringList{QFileInfo(earlier).fileName()});
        QCOMPARE(dumpzone::fileBytes(earlier), QByteArray("earlier run"));
        QVERIFY(jobs.isClosed());
    }

    void stopBetweenObjects()
    {
        // The stop arrives once the first object is done: the second is neither announced
        // nor created, and an earlier file under its name keeps its bytes.
        ThreeTracks zone;
        QTemporaryDir out;
        const QString earlier = out.filePath(QString("track-01-01[1]-02") + pcmSuffix);
        QFile file(earlier);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("earlier run");
        file.close();
        JobQueue jobs;
        ExtractThread thread(zone.zone.get(), {zone.track(0), zone.track(1)},
                             storeInto(out.path()), &jobs);
        connect(&thread, &ExtractThread::itemProcessing, &thread,
                [&thread](DVDAObject *, int state) {
                    if (state == ExtractThread::ItemSucceeded)
                        thread.stop();
                },
                Qt::DirectConnection);
        const auto items = runToEnd(thread);
        QCOMPARE(thread.result(), int(ErrCancelled));
        QCOMPARE(items, (QList<QPair<DVDAObject *, int>>{{zone.track(0), 1}, {zone.track(0), 2}}));
        QCOMPARE(dumpzone::fileBytes(out.filePath(QString("track-01-01[1]-01") + pcmSuffix)),
                 zone.audio[0]);
        QCOMPARE(dumpzone::fileBytes(earlier), QByteArray("earlier run"));
        QCOMPARE(filesIn(out.path()).size(), 2);
        QVERIFY(jobs.isClosed());
    }

    void laterObjectsOfTheSameNameGetNamesOfTheirOwn()
    {
        ThreeTracks zone(true);
        QTemporaryDir out;
        JobQueue jobs;
        ExtractThread thread(zone.zone.get(), {zone.track(0), zone.track(1), zone.track(2)},
                             storeInto(out.path()), &jobs);
        QSignalSpy renamed(&thread, &ExtractThread::itemRenamed);
        runToEnd(thread);
        QCOMPARE(thread.result(), 0);
        const QString names[] = {"track-01-01[1]-01", "track-01-01[1]-01-2", "track-01-01[1]-01-3"};
        QCOMPARE(filesIn(out.path()).size(), 3);
        for (int k = 0; k < 3; ++k)
            QCOMPARE(dumpzone::fileBytes(out.filePath(names[k] + pcmSuffix)), zone.audio[k]);
        QCOMPARE(renamed.size(), 2);
        QCOMPARE(renamed.at(1).at(1).toString(), names[2]);
    }

    void keepGoingWalksPastFailures_data()
    {
        QTest::addColumn<bool>("keepGoing");
        QTest::addColumn<QList<int>>("states"); // per announcement, objects in order
        QTest::addColumn<int>("files");
        QTest::newRow("stop at the first failure") << false << QList<int>{1, 2, 1, 3} << 1;
        QTest::newRow("keep going") << true << QList<int>{1, 2, 1, 3, 1, 2} << 2;
    }

    void keepGoingWalksPastFailures()
    {
        QFETCH(bool, keepGoing);
        QFETCH(QList<int>, states);
        QFETCH(int, files);
        ThreeTracks zone(false, 1);
        QTemporaryDir out;
        JobQueue jobs;
        ExtractOptions options = storeInto(out.path());
        options.keepGoing = keepGoing;
        ExtractThread thread(zone.zone.get(), {zone.track(0), zone.track(1), zone.track(2)},
                             options, &jobs);
        QSignalSpy failed(&thread, &ExtractThread::itemFailed);
        QList<int> seen;
        for (const auto &item : runToEnd(thread))
            seen << item.second;
        QCOMPARE(seen, states);
        QCOMPARE(thread.result(), int(ErrBlockNotFound));
        QCOMPARE(failed.size(), 1);
        QCOMPARE(failed.at(0).at(1).toInt(), int(ErrBlockNotFound));
        QCOMPARE(filesIn(out.path()).size(), files);
        QVERIFY(jobs.isClosed());
    }

    // A link at an output name is replaced by the file; its target keeps its bytes.
    void linkAtAnOutputNameIsReplaced_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("suffix");
        QTest::newRow("store") << int(ModeStore) << QString(pcmSuffix);
        QTest::newRow("convert") << int(ModeConvert) << QStringLiteral("-[L-R]-24-96000.wav");
    }

    void linkAtAnOutputNameIsReplaced()
    {
        QFETCH(int, mode);
        QFETCH(QString, suffix);
        ThreeTracks zone;
        QTemporaryDir out, elsewhere;
        const QString target = elsewhere.filePath("precious");
        QFile file(target);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("keep me") == 7);
        file.close();
        const QString name = out.filePath(QStringLiteral("track-01-01[1]-01") + suffix);
        QVERIFY(QFile::link(target, name));
        ExtractOptions options = storeInto(out.path());
        options.mode = mode;
        JobQueue jobs;
        ExtractThread thread(zone.zone.get(), {zone.track(0)}, options, &jobs);
        runToEnd(thread);
        QCOMPARE(thread.result(), 0);
        QCOMPARE(dumpzone::fileBytes(target), QByteArray("keep me"));
        QVERIFY(!QFileInfo(name).isSymLink());
        QVERIFY(QFileInfo(name).size() > 8);
    }

    void baseNames()
    {
        ThreeTracks three;
        QCOMPARE(ExtractThread::baseName(three.zone.get(), three.track(2)),
                 QString("track-01-01[1]-03"));
        QCOMPARE(ExtractThread::baseName(three.zone.get(), three.title()), QString());

        // Titleset 10, title id 0x0C, index number 5 (the first of the second track).
        testzone::Zone description;
        for (int k = 0; k < 9; ++k)
            description.titlesets.push_back(testzone::Titleset::absent());
        testzone::Titleset &titleset = description.titlesets.emplace_back();
        testzone::Title title = testzone::makeTitle(
            {{90000, {{0, 0}, {1, 1}, {2, 2}, {3, 3}}}, {90000, {{4, 4}, {5, 5}}}});
        title.titleId = 0x0C;
        titleset.info.titles.push_back(title);
        titleset.aobFiles.push_back(testzone::AobFile::ofPacks(
            {packs::pack({packs::privatePacket(packs::pcmSubStreamHeader(stereo24at96) + "x")})}));
        testzone::ZoneFolder folder(description);
        DVDAZone zone{QDir(folder.path())};
        QCOMPARE(int(zone.titlesets.size()), 10);
        QCOMPARE(int(zone.titlesets[9]->titles.size()), 1);
        const DVDATrack *second = zone.titlesets[9]->titles[0]->tracks.at(1);
        QCOMPARE(ExtractThread::baseName(&zone, second->indexes.at(0)),
                 QString("index-10-12[0]-05"));
        QCOMPARE(ExtractThread::baseName(&zone, second), QString("track-10-12[0]-02"));
    }
};

QTEST_GUILESS_MAIN(TestExtractThread)
#include "tst_extractthread.moc"
