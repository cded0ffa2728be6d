// One extraction, as both front ends run it: what it announces, in which order, where it
// stops, that a stop finishes every open file, and the names it gives the files.
#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include "testzone/resultcompare.h"
#include <memory>

#include "base/result.h"
#include "zone/dvdazone.h"
#include "output/stagedfile.h"
#include "extraction/extraction.h"
#include "extraction/objectnames.h"
#include "testzone/dumpzone.h"
#include "testzone/filesizelimit.h"
#include "testzone/mlpencoder.h"
#include "testzone/packs.h"
#include "testzone/pcmpacking.h"
#include "testzone/pcmtrack.h"
#include "testzone/wavereader.h"

namespace {
using dumpzone::filesIn;
const packs::PcmFormat stereo24at96 = {0x20, 0x10, 1};
const char pcmSuffix[] = "-[L-R]-24-96000.pcm";

using Announcements = QList<QPair<DVDAObject *, int>>;

// An extraction run in this thread's event loop: what it announced, as (object, 1
// started, 2 succeeded, 3 failed), and how it ended. The announcements come from the
// workers and are queued to this thread, as the front ends get them.
struct Run {
    Run()
    {
        QObject::connect(&extraction, &Extraction::objectStarted, &extraction,
                         [this](DVDAObject *object, const QString &) { items.append({object, 1}); });
        QObject::connect(&extraction, &Extraction::objectFinished, &extraction,
                         [this](DVDAObject *object, const Result &code, const ObjectCheck &) {
                             items.append({object, code == ResultCode::Succeeded ? 2 : 3});
                         });
        QObject::connect(&extraction, &Extraction::finished, &extraction,
                         [this](const Result &code, const QList<ObjectCheck> &) {
                             result = code.code();
                             ended = true;
                         });
    }
    // Runs this thread's event loop until the extraction has finished: signals are taken
    // as they come, not at the pace of a polling wait.
    bool wait(int ms = 20000)
    {
        if (ended)
            return true;
        QEventLoop loop;
        QObject::connect(&extraction, &Extraction::finished, &loop, &QEventLoop::quit);
        QTimer::singleShot(ms, &loop, &QEventLoop::quit);
        loop.exec();
        return ended;
    }
    // Starts and waits for the end.
    bool toEnd(const QList<DVDAObject *> &objects, const ExtractOptions &options)
    {
        return extraction.start(objects, options) && wait();
    }

    Extraction extraction;
    Announcements items;
    ResultCode result = ResultCode::Succeeded;
    bool ended = false;
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

// A file of an earlier extraction under that name in the folder: "earlier run".
QString earlierFile(const QTemporaryDir &out, const QString &name)
{
    QFile file(out.filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write("earlier run") != 11)
        return QString();
    return file.fileName();
}

// Holds every file it is given until a file "<name>.go" appears beside it, and records
// the names in "commands".
const char holdScript[] = "#!/bin/sh\necho \"$1\" >> \"$(dirname \"$1\")/commands\"\n"
                          "while [ ! -e \"$1.go\" ]; do sleep 0.05; done\n";

QString writeHoldScript(const QTemporaryDir &dir)
{
    QFile file(dir.filePath("hold.sh"));
    if (!file.open(QIODevice::WriteOnly) || file.write(holdScript) < 0)
        return QString();
    return QStringLiteral("/bin/sh \"%1\" \"%filepath%\"").arg(file.fileName());
}

} // namespace

class TestExtraction : public QObject {
    Q_OBJECT

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
            Run extraction;
            QVERIFY(extraction.toEnd(zone.tracks(), options));
            QCOMPARE(extraction.items.size(), 2 * zone.tracks().size());
            QCOMPARE(extraction.result, ResultCode::Succeeded);
            written[run] = folderContents(out.path());
        }
        QCOMPARE(written[0].size(), 4);
        QVERIFY(written[0] == written[1]);
    }

    // The walk over a list: objects in the list's order (null entries passed over), a title
    // as one file of its tracks joined; an object of another kind or a failed dump ends it.
    // Objects: tN track N, T the title, S the titleset, - null. Announcements: + started,
    // = succeeded, ! failed. Files: "name=k k", the audio of those tracks joined.
    void walks_data()
    {
        QTest::addColumn<QString>("objects");
        QTest::addColumn<bool>("folderThere");
        QTest::addColumn<ResultCode>("result");
        QTest::addColumn<QString>("announced");
        QTest::addColumn<QStringList>("files");
        QTest::newRow("in the list's order") << "- t2 t0" << true << ResultCode::Succeeded << "t2+ t2= t0+ t0="
                                             << QStringList{"track-01-01[1]-01=0", "track-01-01[1]-03=2"};
        QTest::newRow("a title is one file") << "T" << true << ResultCode::Succeeded << "T+ T="
                                             << QStringList{"title-01-01[1]=0 1 2"};
        QTest::newRow("another kind ends it") << "t0 S t1" << true << ResultCode::ObjectKind << "t0+ t0="
                                              << QStringList{"track-01-01[1]-01=0"};
        QTest::newRow("a failed dump ends it") << "t0 t1" << false << ResultCode::CreateOutput << "t0+ t0!"
                                               << QStringList();
    }
    void walks()
    {
        QFETCH(QString, objects);
        QFETCH(bool, folderThere);
        QFETCH(ResultCode, result);
        QFETCH(QString, announced);
        QFETCH(QStringList, files);
        ThreeTracks zone;
        const auto object = [&zone](const QString &code) -> DVDAObject * {
            if (code == "T")
                return zone.title();
            if (code == "S")
                return zone.zone->titlesets[0];
            return code == "-" ? nullptr : zone.track(code.mid(1).toInt());
        };
        QList<DVDAObject *> list;
        for (const QString &code : objects.split(' '))
            list << object(code);
        QTemporaryDir out;
        Run run;
        QVERIFY(run.toEnd(list, storeInto(folderThere ? out.path() : out.filePath("not-there"))));
        QCOMPARE(run.result, result);
        Announcements expected;
        for (const QString &item : announced.split(' '))
            expected.append({object(item.chopped(1)), QString("+=!").indexOf(item.back()) + 1});
        QCOMPARE(run.items, expected);
        QStringList names;
        for (const QString &file : files) {
            names << file.section('=', 0, 0) + pcmSuffix;
            QByteArray audio;
            for (const QString &k : file.section('=', 1).split(' '))
                audio += zone.audio[k.toInt()];
            QCOMPARE(dumpzone::fileBytes(out.filePath(names.last())), audio);
        }
        QCOMPARE(filesIn(out.path()), names);
        QVERIFY(!run.extraction.isRunning());
    }

    void anEmptyListSucceeds()
    {
        Run run;
        QSignalSpy started(&run.extraction, &Extraction::started);
        QVERIFY(run.toEnd({}, ExtractOptions()));
        QVERIFY(run.items.isEmpty());
        QCOMPARE(run.result, ResultCode::Succeeded);
        QCOMPARE(started.size(), 1);
        // A second extraction can follow the first.
        run.ended = false;
        QVERIFY(run.toEnd({}, ExtractOptions()));
    }

    // With no room for file data waiting for the command, the second object waits while
    // the first file is in the command. A stop then ends the walk before the second object
    // is announced: no file of it is created and an earlier file of its name keeps its
    // bytes; the command is killed and its file stays.
    void stopWhileWaitingTouchesNothing()
    {
        ThreeTracks zone;
        QTemporaryDir out;
        const QString earlier = earlierFile(out, QString("track-01-01[1]-02") + pcmSuffix);
        ExtractOptions options = storeInto(out.path());
        options.run = true;
        options.command = writeHoldScript(out);
        options.cache = 0;
        Run run;
        QVERIFY(run.extraction.start({zone.track(0), zone.track(1)}, options));
        QTRY_VERIFY_WITH_TIMEOUT(run.extraction.status().waiting, 10000);
        QVERIFY(!QSignalSpy(&run.extraction, &Extraction::objectStarted).wait(300));
        QCOMPARE(run.items, (Announcements{{zone.track(0), 1}, {zone.track(0), 2}}));

        run.extraction.stop();
        QVERIFY(run.wait(5000));
        QCOMPARE(run.result, ResultCode::Cancelled);
        QCOMPARE(run.items.size(), 2);
        QCOMPARE(dumpzone::fileBytes(earlier), QByteArray("earlier run"));
        QCOMPARE(dumpzone::fileBytes(out.filePath(QString("track-01-01[1]-01") + pcmSuffix)),
                 zone.audio[0]);
    }

    void stopBetweenObjects()
    {
        // The stop arrives, from the worker itself, once the first object is done: the
        // second is neither announced nor created, and an earlier file under its name keeps
        // its bytes.
        ThreeTracks zone;
        QTemporaryDir out;
        const QString earlier = earlierFile(out, QString("track-01-01[1]-02") + pcmSuffix);
        Run run;
        Extraction *extraction = &run.extraction;
        QObject::connect(extraction, &Extraction::objectFinished, extraction,
                         [extraction](DVDAObject *, const Result &, const ObjectCheck &) {
                             extraction->stop();
                         },
                         Qt::DirectConnection);
        QVERIFY(run.toEnd({zone.track(0), zone.track(1)}, storeInto(out.path())));
        QCOMPARE(run.result, ResultCode::Cancelled);
        QCOMPARE(run.items, (Announcements{{zone.track(0), 1}, {zone.track(0), 2}}));
        QCOMPARE(dumpzone::fileBytes(out.filePath(QString("track-01-01[1]-01") + pcmSuffix)),
                 zone.audio[0]);
        QCOMPARE(dumpzone::fileBytes(earlier), QByteArray("earlier run"));
        QCOMPARE(filesIn(out.path()).size(), 2);
    }

    // A disc full from the start with keepGoing: every object fails (small objects at the
    // last flush, which cannot finish the file) and none leaves a file behind, empty or
    // header-only.
    void fullDiscLeavesNoEmptyFiles_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("flac");
        QTest::addColumn<ResultCode>("result");
        QTest::newRow("store") << int(ModeStore) << false << ResultCode::CloseOutput;
        QTest::newRow("convert") << int(ModeConvert) << false << ResultCode::CloseOutput;
        QTest::newRow("flac") << int(ModeConvert) << true << ResultCode::WriteOutput;
    }
    void fullDiscLeavesNoEmptyFiles()
    {
        QFETCH(int, mode);
        QFETCH(bool, flac);
        QFETCH(ResultCode, result);
        ThreeTracks zone;
        QTemporaryDir out;
        ExtractOptions options = storeInto(out.path());
        options.mode = mode;
        options.format = flac ? OutputFormat::Flac : OutputFormat::Wave;
        options.keepGoing = true;
        Run run;
        {
            testzone::FileSizeLimit full{0};
            if (!full.active)
                QSKIP("cannot limit file sizes");
            QVERIFY(run.toEnd({zone.track(0), zone.track(1), zone.track(2)}, options));
        }
        QCOMPARE(run.result, result);
        QCOMPARE(run.items.size(), 6); // each object started and finished
        QCOMPARE(filesIn(out.path()), QStringList());
    }

    // A stop in the middle of an object: the walk ends at its next block, and nothing of
    // the object takes a file's name: a file of an earlier rip under that name is left
    // as it was. With keepPartial every file made is finished and kept as NAME.partial.EXT:
    // the stored stream a true beginning of the audio, each wave or FLAC file consistent
    // and holding a true beginning of the samples.
    void stopLeavesTheEarlierFiles_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("split");
        QTest::addColumn<bool>("flac");
        QTest::addColumn<bool>("keepPartial");
        QTest::addColumn<QStringList>("suffixes");
        for (bool keep : {false, true}) {
            const char *kept = keep ? ", kept partial" : "";
            QTest::addRow("store%s", kept) << int(ModeStore) << false << false << keep
                                           << QStringList{"-[L-R]-24-96000.pcm"};
            QTest::addRow("convert%s", kept) << int(ModeConvert) << false << false << keep
                                             << QStringList{"-[L-R]-24-96000.wav"};
            QTest::addRow("convert, a file per channel%s", kept) << int(ModeConvert) << true << false << keep
                                                                 << QStringList{"-[L]-24-96000.wav", "-[R]-24-96000.wav"};
            QTest::addRow("flac%s", kept) << int(ModeConvert) << false << true << keep
                                          << QStringList{"-[L-R]-24-96000.flac"};
        }
    }
    void stopLeavesTheEarlierFiles()
    {
        QFETCH(int, mode);
        QFETCH(bool, split);
        QFETCH(bool, flac);
        QFETCH(bool, keepPartial);
        QFETCH(QStringList, suffixes);
        using namespace testzone;
        const PcmGroup group{2, 24, 96000};
        const PcmSamples samples = makePcmSamples(group, 96000 * 60, 7); // a minute
        const QByteArray stream = packPcm(group, samples);
        QTemporaryDir out;
        ZoneFolder folder(dumpzone::consecutiveTracks(
            packs::packStream(stream, packs::pcmLayout(stereo24at96)).packs, {0}));
        const DVDAZone zone{QDir(folder.path())};
        const QString base = out.filePath("track-01-01[0]-01");
        for (const QString &suffix : suffixes) {
            QFile earlier(base + suffix);
            QVERIFY(earlier.open(QIODevice::WriteOnly) && earlier.write("earlier") == 7);
        }
        ExtractOptions options = storeInto(out.path());
        options.mode = mode;
        options.split = split;
        options.format = flac ? OutputFormat::Flac : OutputFormat::Wave;
        options.keepPartial = keepPartial;
        Run run;
        run.extraction.setProgressInterval(1);
        QObject::connect(&run.extraction, &Extraction::progress, &run.extraction,
                         [&run](const ExtractionStatus &status) {
                             if (status.currentBlock > status.firstBlock + 100)
                                 run.extraction.stop();
                         });
        QVERIFY(run.toEnd({zone.titlesets[0]->titles[0]->tracks[0]}, options));
        QCOMPARE(run.result, ResultCode::Cancelled);
        QStringList left;
        for (const QString &suffix : suffixes) {
            QCOMPARE(dumpzone::fileBytes(base + suffix), QByteArray("earlier"));
            left << QFileInfo(base + suffix).fileName();
            if (keepPartial)
                left << QFileInfo(partialPath(base + suffix)).fileName();
        }
        left.sort();
        QCOMPARE(QDir(out.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name), left);
        if (!keepPartial)
            return;
        const QByteArray whole = waveSamples(group, samples);
        for (int channel = 0; channel < suffixes.size(); ++channel) {
            const QString path = partialPath(base + suffixes[channel]);
            QByteArray expected = mode == ModeStore ? stream : whole;
            if (split)
                expected = waveSamples(PcmGroup{1, 24, 96000}, channelOf(group, samples, channel));
            QByteArray written = dumpzone::fileBytes(path);
            if (mode != ModeStore && !flac) {
                const testzone::WaveContents wave = readWave(path);
                QCOMPARE(wave.problem, QString());
                written = wave.samples;
            }
            if (flac) { // as FFmpeg reads it, in the three bytes of each sample a wave file has
                const Decoded d = decode(path);
                QCOMPARE(d.error, QString());
                written.clear();
                for (int at = 0; at < d.samples.size(); at += 4)
                    written += d.samples.mid(at + 1, 3);
            }
            QVERIFY2(written.size() > 100 * 2000 / (split ? 2 : 1) && written.size() < expected.size(),
                     qPrintable(QString::number(written.size())));
            QVERIFY(written == expected.left(written.size()));
        }
    }

    void laterObjectsOfTheSameNameGetNamesOfTheirOwn()
    {
        ThreeTracks zone(true);
        QTemporaryDir out;
        Run run;
        QSignalSpy renamed(&run.extraction, &Extraction::objectRenamed);
        QVERIFY(run.toEnd({zone.track(0), zone.track(1), zone.track(2)}, storeInto(out.path())));
        QCOMPARE(run.result, ResultCode::Succeeded);
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
        ExtractOptions options = storeInto(out.path());
        options.keepGoing = keepGoing;
        Run run;
        QSignalSpy finished(&run.extraction, &Extraction::objectFinished);
        QVERIFY(run.toEnd({zone.track(0), zone.track(1), zone.track(2)}, options));
        QList<int> seen;
        for (const auto &item : std::as_const(run.items))
            seen << item.second;
        QCOMPARE(seen, states);
        QCOMPARE(run.result, ResultCode::BlockNotFound);
        QCOMPARE(finished.at(1).at(1).value<Result>().code(), ResultCode::BlockNotFound);
        QCOMPARE(filesIn(out.path()).size(), files);
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
        Run run;
        QVERIFY(run.toEnd({zone.track(0)}, options));
        QCOMPARE(run.result, ResultCode::Succeeded);
        QCOMPARE(dumpzone::fileBytes(target), QByteArray("keep me"));
        QVERIFY(!QFileInfo(name).isSymLink());
        QVERIFY(QFileInfo(name).size() > 8);
    }

    void baseNames()
    {
        ThreeTracks three;
        QCOMPARE(objectBaseName(three.track(2)), QString("track-01-01[1]-03"));
        QCOMPARE(objectBaseName(three.title()), QString("title-01-01[1]"));
        QCOMPARE(objectBaseName(three.zone->titlesets[0]), QString());

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
        QCOMPARE(objectBaseName(second->indexes.at(0)), QString("index-10-12[0]-05"));
        QCOMPARE(objectBaseName(second), QString("track-10-12[0]-02"));
    }

    // A name template gets each object's fields; the file's own are left for each file; a
    // '/' of the template makes a subfolder, a control character is replaced.
    void templatedNames_data()
    {
        QTest::addColumn<QString>("nameTemplate");
        QTest::addColumn<int>("object"); // 0-2 the tracks, 3 the title
        QTest::addColumn<QString>("name");
        const QString all = "%kind% %titleset%/%title%[%tag%] %track% %index% <%volume%> %channels%-%bits%-%rate%";
        QTest::newRow("track") << all << 2 << "track 01/01[1] 03  <> %channels%-%bits%-%rate%";
        QTest::newRow("title") << all << 3 << "title 01/01[1]   <> %channels%-%bits%-%rate%";
        QTest::newRow("control character") << "a\tb %track%" << 0 << "a_b 01";
        QTest::newRow("no field") << "same" << 1 << "same";
    }
    void templatedNames()
    {
        QFETCH(QString, nameTemplate);
        QFETCH(int, object);
        QFETCH(QString, name);
        ThreeTracks three;
        const DVDAObject *chosen = object < 3 ? static_cast<const DVDAObject *>(three.track(object)) : three.title();
        QCOMPARE(templatedBaseName(nameTemplate, chosen), name);
    }
};

QTEST_MAIN(TestExtraction)
#include "tst_extraction.moc"
