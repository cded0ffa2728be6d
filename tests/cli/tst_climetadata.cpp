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

// A disc of PCM tracks written for one test, its output folder, and a folder beside for
// the metadata file and images.
struct Disc {
    explicit Disc(int tracks = 2) : pcm(pcmZone(tracks, 48000)), folder(pcm.zone) {}
    bool ok() const { return folder.ok() && out.isValid() && side.isValid(); }
    QByteArray templateJson() const { return runCli({"metadata", folder.path()}).out; }
    // The template with the fields filled in, written beside; its path, empty on a failure.
    QString metadata(const QStringList &fields) const
    {
        const QString path = side.filePath("disc.json");
        return writeFilled(templateJson(), fields, path) ? path : QString();
    }
    CliRun extract(const QStringList &more) const
    {
        return runCli(QStringList{"extract", folder.path(), "-o", out.path()} + more);
    }
    // The files of the output folder that end in suffix.
    QStringList outputs(const char *suffix) const
    {
        return filesIn(out.path()).filter(QRegularExpression(QRegularExpression::escape(suffix) + "$"));
    }

    PcmZone pcm;
    testzone::ZoneFolder folder;
    QTemporaryDir out, side;
};

// What a tool reads from a file, a line each: "metaflac --export-tags-to=-" (FLAC) or
// ffprobe's format tags (wave), "TAG:title=..".
QStringList readTags(const QString &path)
{
    QByteArray read;
    const QString failed = path.endsWith(".flac")
        ? testzone::runTool("metaflac", {"--export-tags-to=-", path}, &read)
        : testzone::runTool("ffprobe", {"-v", "error", "-show_entries", "format_tags", "-of", "default=nw=1", path}, &read);
    return failed.isEmpty() ? QString::fromUtf8(read).split('\n', Qt::SkipEmptyParts) : QStringList{failed};
}

// Each of the tags ("|" between them) is among those read from the file.
void verifyTags(const QString &path, const QString &tags)
{
    const QStringList read = readTags(path);
    for (const QString &tag : tags.split('|'))
        QVERIFY2(read.contains(tag), qPrintable(tag + " not in " + read.join(", ")));
}

} // namespace

class TestCliMetadata : public QObject {
    Q_OBJECT
private slots:
    // Every title and track with its numbers and length, every field empty to fill in.
    void templateListsTheDisc()
    {
        const Disc disc;
        QVERIFY(disc.ok());
        const CliRun run = runCli({"metadata", disc.folder.path()});
        QCOMPARE(run.exitCode, 0);
        const QJsonObject root = QJsonDocument::fromJson(run.out).object();
        const CliRun info = runCli({"info", "--json", disc.folder.path()});
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
        const Disc disc;
        QVERIFY(disc.ok());
        const QString metadata = disc.metadata(fields);
        QVERIFY(!metadata.isEmpty());
        const CliRun run = disc.extract(QStringList{"--flac", "--metadata", metadata} + flags);
        if (tags.isEmpty()) {
            const QString id = QJsonDocument::fromJson(disc.templateJson()).object().value("discId").toString();
            QCOMPARE(run.exitCode, 2);
            QCOMPARE(linesOf(run.err).value(0), QStringLiteral("kestrova-cli: the metadata file '%1' is for the disc "
                                                               "00000000000000000000000000000000, not for this one (%2)")
                                                    .arg(metadata, id));
            QCOMPARE(filesIn(disc.out.path()), QStringList());
            return;
        }
        QCOMPARE(run.exitCode, 0);
        const QStringList flacs = disc.outputs(".flac");
        QCOMPARE(flacs.size(), tags.size());
        for (int k = 0; k < flacs.size(); ++k) {
            verifyTags(disc.out.filePath(flacs[k]), tags[k]);
            // One of each: the track's own field replaces the album's.
            QCOMPARE(readTags(disc.out.filePath(flacs[k])).filter(QRegularExpression("^ARTIST=")).size(), 1);
        }
        if (cue.isEmpty())
            return;
        const QStringList sheets = disc.outputs(".cue");
        QCOMPARE(sheets.size(), 1);
        const QStringList lines = QString::fromUtf8(fileBytes(disc.out.filePath(sheets[0]))).split('\n');
        for (const QString &line : cue.split('|'))
            QVERIFY2(lines.contains(line), qPrintable(line + " not in " + lines.join(" / ")));
    }

    // --replaygain: FLAC files get the four tags, as metaflac reads them, the album's the
    // same in every file of the title; the rip log keeps each file's figures, wave files'
    // too, which get no tags.
    // The command runs on each file once the album is known: a copy it makes is tagged too.
    void replayGainTags_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<bool>("copied");
        QTest::newRow("flac") << "--flac" << false;
        QTest::newRow("wave") << "--convert" << false;
        QTest::newRow("flac, copied by the command") << "--flac" << true;
    }
    void replayGainTags()
    {
        QFETCH(QString, format);
        QFETCH(bool, copied);
        const Disc disc;
        QVERIFY(disc.ok());
        QStringList flags{format, "--replaygain"};
        if (copied)
            flags << "--run" << "cp %filepath% " + disc.out.filePath("copies");
        QVERIFY(QDir(disc.out.path()).mkdir("copies"));
        const CliRun run = disc.extract(flags);
        QCOMPARE(run.exitCode, 0);
        const QStringList logLines = QString::fromUtf8(fileBytes(disc.out.filePath("kestrova-rip.log"))).split('\n');
        const QStringList figures = logLines.filter(QRegularExpression("^    ReplayGain: REPLAYGAIN_TRACK_GAIN=[-+]\\d+\\.\\d\\d dB; "
                                                                         "REPLAYGAIN_TRACK_PEAK=\\d\\.\\d{6}; "
                                                                         "REPLAYGAIN_ALBUM_GAIN=[-+]\\d+\\.\\d\\d dB; "
                                                                         "REPLAYGAIN_ALBUM_PEAK=\\d\\.\\d{6}$"));
        QCOMPARE(figures.size(), 2);
        QCOMPARE(figures[0].section("; ", 2), figures[1].section("; ", 2)); // one album
        const QStringList files = disc.outputs(format == "--flac" ? ".flac" : ".wav");
        QCOMPARE(files.size(), 2);
        for (int k = 0; k < files.size(); ++k) {
            const QStringList tags = readTags(disc.out.filePath(files[k])).filter("REPLAYGAIN_");
            if (format != "--flac") {
                QCOMPARE(tags, QStringList());
                continue;
            }
            // Exactly the log's figures, once each.
            QCOMPARE(tags, figures[k].section(": ", 1).split("; "));
            if (copied)
                QCOMPARE(readTags(disc.out.filePath("copies/" + files[k])).filter("REPLAYGAIN_"), tags);
        }
    }

    // A whole title's file: the log gives each track's gain and peak from its mark on, the
    // same figures a rip of the tracks one by one gives their files.
    void replayGainPerTrackMark()
    {
        const Disc disc;
        QVERIFY(disc.ok());
        QCOMPARE(disc.extract({"--flac", "--replaygain"}).exitCode, 0);
        QStringList perTrack;
        for (const QString &file : disc.outputs(".flac"))
            perTrack << readTags(disc.out.filePath(file)).filter("REPLAYGAIN_TRACK_").join("; ");
        QTemporaryDir titles;
        QVERIFY(titles.isValid());
        QCOMPARE(runCli({"extract", disc.folder.path(), "-o", titles.path(), "--flac", "--replaygain", "--per-title"}).exitCode, 0);
        const QStringList marked = QString::fromUtf8(fileBytes(QDir(titles.path()).filePath("kestrova-rip.log")))
                                       .split('\n').filter("    ReplayGain of track ");
        QCOMPARE(marked, (QStringList{"    ReplayGain of track 1: " + perTrack.value(0),
                                      "    ReplayGain of track 2: " + perTrack.value(1)}));
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
        const Disc disc;
        QVERIFY(disc.ok());
        QStringList arguments{"--convert"};
        if (!fields.isEmpty())
            arguments << "--metadata" << disc.metadata(fields);
        QCOMPARE(disc.extract(arguments).exitCode, 0);
        const QStringList waves = disc.outputs(".wav");
        QCOMPARE(waves.size(), 2);
        for (int k = 0; k < waves.size(); ++k) {
            const QByteArray wave = fileBytes(disc.out.filePath(waves[k]));
            QCOMPARE(waveData(wave), disc.pcm.waveSamples[k]);
            if (tags.isEmpty()) {
                QVERIFY(isFinishedWave(wave));
                QVERIFY(!wave.contains("INFO"));
            } else {
                verifyTags(disc.out.filePath(waves[k]), tags[k]);
            }
        }
    }

    // Without --metadata, the disc's file in the user's data folder tags the files.
    void storedFileIsUsed()
    {
        const Disc disc(1);
        QVERIFY(disc.ok());
        const QByteArray templateJson = disc.templateJson();
        const QString id = QJsonDocument::fromJson(templateJson).object().value("discId").toString();
        QVERIFY(QDir(disc.side.path()).mkpath("Tolvane/Kestrova/discs"));
        QVERIFY(writeFilled(templateJson, {"album/ALBUM=Kept"}, disc.side.filePath("Tolvane/Kestrova/discs/" + id + ".json")));
        const QByteArray saved = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", disc.side.path().toUtf8());
        const CliRun run = disc.extract({"--flac"});
        qputenv("XDG_DATA_HOME", saved);
        QCOMPARE(run.exitCode, 0);
        verifyTags(disc.out.filePath(disc.outputs(".flac").value(0)), "ALBUM=Kept");
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
        const Disc disc;
        QVERIFY(disc.ok());
        const CliRun run = disc.extract({"--flac", "--metadata", disc.metadata(fields), "--name", nameTemplate});
        QStringList written;
        for (QDirIterator it(disc.out.path(), {"*.flac"}, QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
            written << QDir(disc.out.path()).relativeFilePath(it.next());
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
        const Disc disc(1);
        QVERIFY(disc.ok());
        const QString cover = disc.side.filePath(image == "text" ? "cover.png" : image);
        QByteArray ignored;
        if (image == "text") {
            QFile text(cover);
            QVERIFY(text.open(QIODevice::WriteOnly) && text.write("not a picture\n") > 0);
        } else {
            QCOMPARE(testzone::runTool("ffmpeg", {"-nostdin", "-v", "error", "-f", "lavfi", "-i", "color=red:size=32x24",
                                                  "-frames:v", "1", cover}, &ignored), QString());
        }
        const CliRun run = disc.extract({"--flac", "--cover", cover});
        if (listed.isEmpty()) {
            QCOMPARE(run.exitCode, 2);
            QCOMPARE(linesOf(run.err).value(0), "kestrova-cli: the cover " + cover + ": not a JPEG or PNG image");
            QCOMPARE(filesIn(disc.out.path()), QStringList());
            return;
        }
        QCOMPARE(run.exitCode, 0);
        const QStringList flacs = disc.outputs(".flac");
        QCOMPARE(flacs.size(), 1);
        const QString flac = disc.out.filePath(flacs[0]);
        QByteArray list;
        QCOMPARE(testzone::runTool("metaflac", {"--list", "--block-type=PICTURE", flac}, &list), QString());
        for (const QString &line : listed)
            QVERIFY2(list.contains(line.toUtf8()), qPrintable(line));
        QCOMPARE(testzone::runTool("flac", {"-t", "-s", flac}, &ignored), QString());
        QCOMPARE(fileBytes(disc.out.filePath(QFileInfo(cover).fileName())), fileBytes(cover));
    }
};

QTEST_GUILESS_MAIN(TestCliMetadata)
#include "tst_climetadata.moc"
