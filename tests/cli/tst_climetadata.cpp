// A disc's metadata file: the template `metadata` prints for the zone, and the tags a
// filled one gives each FLAC file (as metaflac reads them), per track and per title; a
// file made for another disc is refused.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "clitest.h"
#include "testzone/externaltools.h"

using namespace clitest;

namespace {

// The template of the zone with the fields given ("album/ALBUM", "title/ARTIST",
// "track 1/TITLE", "discId") set, written to path.
bool writeFilled(const QByteArray &templateJson, const QStringList &fields, const QString &path)
{
    QJsonObject root = QJsonDocument::fromJson(templateJson).object();
    QJsonObject album = root.value("album").toObject();
    QJsonArray titles = root.value("titles").toArray();
    QJsonObject title = titles.at(0).toObject();
    QJsonArray tracks = title.value("tracks").toArray();
    for (const QString &field : fields) {
        const QString where = field.section('/', 0, 0), name = field.section('/', 1).section('=', 0, 0);
        const QString value = field.section('=', 1);
        if (field.startsWith("discId="))
            root["discId"] = value;
        else if (where == "album")
            album[name] = value;
        else if (where == "title")
            title[name] = value;
        else {
            const int k = where.section(' ', 1).toInt() - 1;
            QJsonObject track = tracks.at(k).toObject();
            track[name] = value;
            tracks[k] = track;
        }
    }
    title["tracks"] = tracks;
    titles[0] = title;
    root["album"] = album;
    root["titles"] = titles;
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(QJsonDocument(root).toJson()) > 0;
}

} // namespace

class TestCliMetadata : public QObject {
    Q_OBJECT
private slots:
    // Every title and track with its numbers and length, every field empty to fill in.
    void templateListsTheDisc()
    {
        const PcmZone pcm = pcmZone(2, 48000);
        testzone::ZoneFolder folder(pcm.zone);
        QVERIFY(folder.ok());
        const CliRun run = runCli({"metadata", folder.path()});
        QCOMPARE(run.exitCode, 0);
        const QJsonObject root = QJsonDocument::fromJson(run.out).object();
        const CliRun info = runCli({"info", "--json", folder.path()});
        QCOMPARE(root.value("discId").toString(), QJsonDocument::fromJson(info.out).object().value("discId").toString());
        QCOMPARE(root.value("schemaVersion").toInt(), 1);
        QCOMPARE(root.value("album").toObject().keys().size(), 11);
        const QJsonArray titles = root.value("titles").toArray();
        QCOMPARE(titles.size(), 1);
        const QJsonObject title = titles.at(0).toObject();
        QCOMPARE(title.value("titleset").toInt(), 1);
        QCOMPARE(title.value("title").toInt(), 1);
        QCOMPARE(title.value("tracks").toArray().size(), 2);
        QCOMPARE(title.value("tracks").toArray().at(1).toObject().value("track").toInt(), 2);
        QCOMPARE(title.value("tracks").toArray().at(0).toObject().value("TITLE").toString(), QString());
    }

    void tagsFromTheFile_data()
    {
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QStringList>("flags");
        QTest::addColumn<QStringList>("tags"); // per file, "|" between the tags each must have
        QTest::addColumn<QString>("cue");      // the lines a whole title's cue sheet must hold, "|" between
        const QStringList album{"album/ALBUM=Night Songs", "album/ALBUMARTIST=The Band", "album/ARTIST=The Band",
                                "album/DATE=2001", "album/GENRE=Jazz", "album/DISCNUMBER=1"};
        QTest::newRow("album and tracks") << album + QStringList{"track 1/TITLE=Opening", "track 1/ARTIST=A. Soloist"}
            << QStringList{}
            << QStringList{"TITLE=Opening|ARTIST=A. Soloist|ALBUM=Night Songs|ALBUMARTIST=The Band|DATE=2001|GENRE=Jazz|"
                           "DISCNUMBER=1|TRACKNUMBER=1|TRACKTOTAL=2",
                           "ARTIST=The Band|ALBUM=Night Songs|TRACKNUMBER=2"} << "";
        QTest::newRow("the title's artist before the album's") << album + QStringList{"title/ARTIST=Trio"}
            << QStringList{} << QStringList{"ARTIST=Trio|ALBUMARTIST=The Band", "ARTIST=Trio"} << "";
        QTest::newRow("a whole title") << album + QStringList{"title/TITLE=Suite", "track 1/TITLE=Opening",
                                                              "track 2/TITLE=Say \"when\"", "track 2/ARTIST=Duo"}
            << QStringList{"--per-title"} << QStringList{"TITLE=Suite|ALBUM=Night Songs|ARTIST=The Band"}
            << "PERFORMER \"The Band\"|TITLE \"Suite\"|  TRACK 01 AUDIO|    TITLE \"Opening\"|    PERFORMER \"The Band\"|"
               "  TRACK 02 AUDIO|    TITLE \"Say 'when'\"|    PERFORMER \"Duo\"";
        QTest::newRow("--tag wins") << album << QStringList{"--tag", "ALBUM=Other"}
            << QStringList{"ALBUM=Other|DATE=2001", "ALBUM=Other"} << "";
        QTest::newRow("another disc") << QStringList{"discId=00000000000000000000000000000000"} << QStringList{}
            << QStringList{} << "";
    }
    void tagsFromTheFile()
    {
        QFETCH(QStringList, fields);
        QFETCH(QStringList, flags);
        QFETCH(QStringList, tags);
        QFETCH(QString, cue);
        const PcmZone pcm = pcmZone(2, 48000);
        testzone::ZoneFolder folder(pcm.zone);
        QTemporaryDir out, files;
        QVERIFY(folder.ok() && out.isValid() && files.isValid());
        const QString metadata = files.filePath("disc.json");
        QVERIFY(writeFilled(runCli({"metadata", folder.path()}).out, fields, metadata));

        const CliRun run = runCli(QStringList{"extract", folder.path(), "-o", out.path(), "--flac", "--metadata", metadata}
                                  + flags);
        if (tags.isEmpty()) {
            const QString id = QJsonDocument::fromJson(runCli({"metadata", folder.path()}).out).object().value("discId").toString();
            QCOMPARE(run.exitCode, 2);
            QCOMPARE(linesOf(run.err).value(0), QStringLiteral("kestrova-cli: the metadata file '%1' is for the disc "
                                                               "00000000000000000000000000000000, not for this one (%2)")
                                                    .arg(metadata, id));
            QCOMPARE(filesIn(out.path()), QStringList());
            return;
        }
        QCOMPARE(run.exitCode, 0);
        QStringList flacs = filesIn(out.path()).filter(QRegularExpression("\\.flac$"));
        QCOMPARE(flacs.size(), tags.size());
        for (int k = 0; k < flacs.size(); ++k) {
            QByteArray exported;
            QCOMPARE(testzone::runTool("metaflac", {"--export-tags-to=-", out.filePath(flacs[k])}, &exported), QString());
            const QStringList read = QString::fromUtf8(exported).split('\n', Qt::SkipEmptyParts);
            for (const QString &tag : tags[k].split('|'))
                QVERIFY2(read.contains(tag), qPrintable(tag + " not in " + read.join(", ")));
            // One of each: the track's own field replaces the album's.
            QCOMPARE(read.filter(QRegularExpression("^ARTIST=")).size(), 1);
        }
        if (cue.isEmpty())
            return;
        const QStringList sheets = filesIn(out.path()).filter(QRegularExpression("\\.cue$"));
        QCOMPARE(sheets.size(), 1);
        const QStringList lines = QString::fromUtf8(fileBytes(out.filePath(sheets[0]))).split('\n');
        for (const QString &line : cue.split('|'))
            QVERIFY2(lines.contains(line), qPrintable(line + " not in " + lines.join(" / ")));
    }

    // Wave files carry the tags in a LIST/INFO chunk after their samples, as ffprobe reads
    // them; without metadata or --tag, a wave file is its samples and header alone.
    void waveTags_data()
    {
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QStringList>("tags"); // per file, "|" between; empty: no INFO chunk
        QTest::newRow("metadata") << QStringList{"album/ALBUM=Night Songs", "album/DATE=2001", "album/GENRE=Jazz",
                                                 "track 1/TITLE=Opening", "title/ARTIST=Trio"}
            << QStringList{"TAG:title=Opening|TAG:artist=Trio|TAG:album=Night Songs|TAG:date=2001|TAG:genre=Jazz|TAG:track=1",
                           "TAG:artist=Trio|TAG:track=2"};
        QTest::newRow("none") << QStringList{} << QStringList{};
    }
    void waveTags()
    {
        QFETCH(QStringList, fields);
        QFETCH(QStringList, tags);
        const PcmZone pcm = pcmZone(2, 48000);
        testzone::ZoneFolder folder(pcm.zone);
        QTemporaryDir out, side;
        QVERIFY(folder.ok() && out.isValid() && side.isValid());
        QStringList arguments{"extract", folder.path(), "-o", out.path(), "--convert"};
        if (!fields.isEmpty()) {
            QVERIFY(writeFilled(runCli({"metadata", folder.path()}).out, fields, side.filePath("disc.json")));
            arguments << "--metadata" << side.filePath("disc.json");
        }
        QCOMPARE(runCli(arguments).exitCode, 0);
        const QStringList waves = filesIn(out.path());
        QCOMPARE(waves.size(), 2);
        for (int k = 0; k < waves.size(); ++k) {
            const QByteArray wave = fileBytes(out.filePath(waves[k]));
            QCOMPARE(waveData(wave), pcm.waveSamples[k]);
            if (tags.isEmpty()) {
                QVERIFY(isFinishedWave(wave));
                QVERIFY(!wave.contains("INFO"));
                continue;
            }
            QByteArray probed;
            QCOMPARE(testzone::runTool("ffprobe", {"-v", "error", "-show_entries", "format_tags", "-of", "default=nw=1",
                                                   out.filePath(waves[k])}, &probed), QString());
            const QStringList read = QString::fromUtf8(probed).split('\n', Qt::SkipEmptyParts);
            for (const QString &tag : tags[k].split('|'))
                QVERIFY2(read.contains(tag), qPrintable(tag + " not in " + read.join(", ")));
        }
    }

    // Without --metadata, the disc's file in the user's data folder tags the files.
    void storedFileIsUsed()
    {
        const PcmZone pcm = pcmZone(1, 48000);
        testzone::ZoneFolder folder(pcm.zone);
        QTemporaryDir out, data;
        QVERIFY(folder.ok() && out.isValid() && data.isValid());
        const QByteArray templateJson = runCli({"metadata", folder.path()}).out;
        const QString id = QJsonDocument::fromJson(templateJson).object().value("discId").toString();
        QVERIFY(QDir(data.path()).mkpath("Tolvane/Kestrova/discs"));
        QVERIFY(writeFilled(templateJson, {"album/ALBUM=Kept"}, data.filePath("Tolvane/Kestrova/discs/" + id + ".json")));
        const QByteArray saved = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", data.path().toUtf8());
        const CliRun run = runCli({"extract", folder.path(), "-o", out.path(), "--flac"});
        qputenv("XDG_DATA_HOME", saved);
        QCOMPARE(run.exitCode, 0);
        QByteArray exported;
        QCOMPARE(testzone::runTool("metaflac", {"--export-tags-to=-", out.filePath(filesIn(out.path()).filter(".flac").value(0))},
                                   &exported), QString());
        QVERIFY2(exported.contains("ALBUM=Kept\n"), exported.constData());
    }

    // Names from the metadata's fields; an empty one is refused, naming it, unless the
    // template gives a fallback.
    void namesFromTheFile_data()
    {
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QString>("nameTemplate");
        QTest::addColumn<QStringList>("files"); // empty: refused with the message
        QTest::addColumn<QString>("message");
        const QStringList filled{"album/ALBUM=Night Songs", "album/ALBUMARTIST=The Band", "album/DATE=2001",
                                 "album/DISCNUMBER=2", "track 1/TITLE=Opening", "track 2/TITLE=Close/Far",
                                 "track 1/ARTIST=Solo"};
        QTest::newRow("every field") << filled
            << "%albumartist%/%date% %album%/%discnumber%-%track% %tracktitle|Track %track%% (%artist|nobody%)"
            << QStringList{"The Band/2001 Night Songs/2-01 Opening (Solo).flac",
                           "The Band/2001 Night Songs/2-02 Close_Far (nobody).flac"} << "";
        QTest::newRow("a fallback for an empty title") << QStringList{"track 1/TITLE=Opening"}
            << "%track% %tracktitle|Track %track%%" << QStringList{"01 Opening.flac", "02 Track 02.flac"} << "";
        QTest::newRow("an empty field") << QStringList{"track 1/TITLE=Opening"} << "%track% %tracktitle%"
            << QStringList{} << "kestrova-cli: the name template's %tracktitle% is empty for track-01-01[0]-02: "
                                "fill it in the metadata file, or give a fallback, as in %tracktitle|Unknown%";
    }
    void namesFromTheFile()
    {
        QFETCH(QStringList, fields);
        QFETCH(QString, nameTemplate);
        QFETCH(QStringList, files);
        QFETCH(QString, message);
        const PcmZone pcm = pcmZone(2, 48000);
        testzone::ZoneFolder folder(pcm.zone);
        QTemporaryDir out, side;
        QVERIFY(folder.ok() && out.isValid() && side.isValid());
        const QString metadata = side.filePath("disc.json");
        QVERIFY(writeFilled(runCli({"metadata", folder.path()}).out, fields, metadata));
        const CliRun run = runCli({"extract", folder.path(), "-o", out.path(), "--flac", "--metadata", metadata,
                                   "--name", nameTemplate});
        QStringList written;
        for (QDirIterator it(out.path(), {"*.flac"}, QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
            written << QDir(out.path()).relativeFilePath(it.next());
        written.sort();
        QCOMPARE(written, files);
        QCOMPARE(run.exitCode, files.isEmpty() ? 2 : 0);
        if (files.isEmpty())
            QCOMPARE(linesOf(run.err).value(0), message);
    }

    // The cover: a PICTURE block of every FLAC file as metaflac lists it, the image written
    // beside the files unchanged, and a file that is no image refused before anything runs.
    void coverIsEmbedded_data()
    {
        QTest::addColumn<QString>("image"); // made by FFmpeg, 32 x 24 pixels; "text": no image
        QTest::addColumn<QStringList>("listed");
        QTest::newRow("PNG") << "cover.png" << QStringList{"type: 3 (Cover (front))", "MIME type: image/png", "width: 32",
                                                           "height: 24", "depth: 24", "colors: 0 (unindexed)"};
        QTest::newRow("JPEG") << "cover.jpg"
                              << QStringList{"type: 3 (Cover (front))", "MIME type: image/jpeg", "width: 32", "height: 24"};
        QTest::newRow("no image") << "text" << QStringList{};
    }
    void coverIsEmbedded()
    {
        QFETCH(QString, image);
        QFETCH(QStringList, listed);
        const PcmZone pcm = pcmZone(1, 48000);
        testzone::ZoneFolder folder(pcm.zone);
        QTemporaryDir out, side;
        QVERIFY(folder.ok() && out.isValid() && side.isValid());
        const QString cover = side.filePath(image == "text" ? "cover.png" : image);
        QByteArray ignored;
        if (image == "text") {
            QFile text(cover);
            QVERIFY(text.open(QIODevice::WriteOnly) && text.write("not a picture\n") > 0);
        } else {
            QCOMPARE(testzone::runTool("ffmpeg", {"-nostdin", "-v", "error", "-f", "lavfi", "-i", "color=red:size=32x24",
                                                  "-frames:v", "1", cover}, &ignored), QString());
        }
        const CliRun run = runCli({"extract", folder.path(), "-o", out.path(), "--flac", "--cover", cover});
        if (listed.isEmpty()) {
            QCOMPARE(run.exitCode, 2);
            QCOMPARE(linesOf(run.err).value(0), "kestrova-cli: the cover " + cover + ": not a JPEG or PNG image");
            QCOMPARE(filesIn(out.path()), QStringList());
            return;
        }
        QCOMPARE(run.exitCode, 0);
        const QStringList flacs = filesIn(out.path()).filter(QRegularExpression("\\.flac$"));
        QCOMPARE(flacs.size(), 1);
        QByteArray list;
        QCOMPARE(testzone::runTool("metaflac", {"--list", "--block-type=PICTURE", out.filePath(flacs[0])}, &list), QString());
        for (const QString &line : listed)
            QVERIFY2(list.contains(line.toUtf8()), qPrintable(line));
        QCOMPARE(testzone::runTool("flac", {"-t", "-s", out.filePath(flacs[0])}, &ignored), QString());
        QCOMPARE(fileBytes(out.filePath(QFileInfo(cover).fileName())), fileBytes(cover));
    }
};

QTEST_GUILESS_MAIN(TestCliMetadata)
#include "tst_climetadata.moc"
