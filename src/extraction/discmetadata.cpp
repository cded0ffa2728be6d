#include "extraction/discmetadata.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStandardPaths>

#include "zone/dvdazone.h"
#include "zone/objectpath.h"

namespace {

const char titleKey[] = "TITLE";
const char artistKey[] = "ARTIST";

// "1/2[0]": a title by titleset, number and tag (two titles of one number differ by it).
QString titleKeyOf(int titleset, int title, int tag)
{
    return QStringLiteral("%1/%2[%3]").arg(titleset).arg(title).arg(tag);
}

// "00:04:12"
QString lengthText(quint64 pts)
{
    const quint64 s = pts / 90000;
    return QString::asprintf("%02llu:%02llu:%02llu", s / 3600, s / 60 % 60, s % 60);
}

DiscMetadata::Names namesOf(const QJsonObject &o)
{
    return {o.value(QLatin1String(titleKey)).toString(), o.value(QLatin1String(artistKey)).toString()};
}

// The keys of the metadata's title and track entries for an object: empty for a node
// above a title; the track's key empty for a title.
struct EntryKeys {
    QString title, track;
};
EntryKeys entryKeys(const DVDAObject *object)
{
    const ObjectPath path = objectPath(object);
    if (!path.titleset || !path.title)
        return {};
    const QString title = titleKeyOf(path.titleset->number, path.title->number(), path.title->tag());
    return {title, path.track ? title + QLatin1Char('/') + QString::number(path.track->number) : QString()};
}

// The entry's own key, as readDiscMetadata makes them.
QString titleEntryKey(const QJsonObject &title)
{
    return titleKeyOf(title.value(QLatin1String("titleset")).toInt(), title.value(QLatin1String("title")).toInt(),
                      title.value(QLatin1String("tag")).toInt());
}

} // namespace

QStringList albumFields()
{
    return {QStringLiteral("ALBUM"),       QStringLiteral("ALBUMARTIST"), QStringLiteral("ARTIST"),
            QStringLiteral("DATE"),        QStringLiteral("GENRE"),       QStringLiteral("LABEL"),
            QStringLiteral("CATALOGNUMBER"), QStringLiteral("BARCODE"),   QStringLiteral("DISCNUMBER"),
            QStringLiteral("DISCTOTAL"),   QStringLiteral("COMMENT")};
}

QByteArray metadataTemplate(const DVDAZone *zone)
{
    QJsonObject album;
    for (const QString &field : albumFields())
        album[field] = QString();
    QJsonArray titles;
    for (const DVDATitleset *titleset : zone->titlesets) {
        for (const DVDATitle *title : titleset->titles) {
            QJsonArray tracks;
            for (const DVDATrack *track : title->tracks)
                tracks.append(QJsonObject{{QStringLiteral("track"), int(track->number)},
                                          {QStringLiteral("length"), lengthText(track->timePts())},
                                          {QLatin1String(titleKey), QString()},
                                          {QLatin1String(artistKey), QString()}});
            if (tracks.isEmpty())
                continue;
            titles.append(QJsonObject{{QStringLiteral("titleset"), int(titleset->number)},
                                      {QStringLiteral("title"), title->number()},
                                      {QStringLiteral("tag"), title->tag()},
                                      {QStringLiteral("length"), lengthText(title->lengthPts)},
                                      {QLatin1String(titleKey), QString()},
                                      {QLatin1String(artistKey), QString()},
                                      {QStringLiteral("tracks"), tracks}});
        }
    }
    const QJsonObject file{{QStringLiteral("schemaVersion"), int(METADATA_SCHEMA_VERSION)},
                           {QStringLiteral("discId"), zone->discId},
                           {QStringLiteral("album"), album},
                           {QStringLiteral("cover"), QString()},
                           {QStringLiteral("titles"), titles}};
    return QJsonDocument(file).toJson();
}

QByteArray withAlbum(const QByteArray &json, const QList<QPair<QString, QString>> &album, const QString &cover)
{
    QJsonObject root = QJsonDocument::fromJson(json).object();
    QJsonObject fields = root.value(QLatin1String("album")).toObject();
    for (const auto &[name, value] : album)
        fields[name] = value;
    root[QLatin1String("album")] = fields;
    root[QLatin1String("cover")] = cover;
    return QJsonDocument(root).toJson();
}

QString storedMetadataPath(const QString &discId)
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
           + QStringLiteral("/Tolvane/Kestrova/discs/") + discId + QStringLiteral(".json");
}

QString coverPathOf(const DiscMetadata &metadata)
{
    return metadata.cover.isEmpty() ? QString() : QFileInfo(metadata.path).dir().filePath(metadata.cover);
}

bool readDiscMetadata(const QString &path, DiscMetadata *metadata, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return false;
    }
    QJsonParseError parse;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &parse);
    if (!document.isObject()) {
        *error = QStringLiteral("%1, byte %2: not a metadata file (%3)")
                     .arg(path).arg(parse.offset).arg(parse.error ? parse.errorString() : QStringLiteral("no object"));
        return false;
    }
    const QJsonObject root = document.object();
    const int version = root.value(QLatin1String("schemaVersion")).toInt();
    if (version != METADATA_SCHEMA_VERSION) {
        *error = QStringLiteral("%1: schemaVersion %2, not %3").arg(path).arg(version).arg(int(METADATA_SCHEMA_VERSION));
        return false;
    }
    *metadata = DiscMetadata();
    metadata->path = path;
    metadata->discId = root.value(QLatin1String("discId")).toString();
    metadata->cover = root.value(QLatin1String("cover")).toString();
    const QJsonObject album = root.value(QLatin1String("album")).toObject();
    for (const QString &field : albumFields())
        if (!album.value(field).toString().isEmpty())
            metadata->album.append({field, album.value(field).toString()});
    for (const QJsonValue &t : root.value(QLatin1String("titles")).toArray()) {
        const QJsonObject title = t.toObject();
        const QString key = titleEntryKey(title);
        metadata->titles.insert(key, namesOf(title));
        for (const QJsonValue &k : title.value(QLatin1String("tracks")).toArray())
            metadata->tracks.insert(key + QLatin1Char('/') + QString::number(k.toObject().value(QLatin1String("track")).toInt()),
                                    namesOf(k.toObject()));
    }
    return true;
}

QStringList metadataComments(const DiscMetadata &metadata, const DVDAObject *object)
{
    const EntryKeys keys = entryKeys(object);
    if (keys.title.isEmpty())
        return {};
    const DiscMetadata::Names title = metadata.titles.value(keys.title);
    const DiscMetadata::Names own = keys.track.isEmpty() ? title : metadata.tracks.value(keys.track);
    QStringList comments;
    if (!own.title.isEmpty())
        comments << QStringLiteral("TITLE=") + own.title;
    const QString artist = !own.artist.isEmpty() ? own.artist : title.artist;
    for (const auto &[field, value] : metadata.album) {
        if (field == QLatin1String(artistKey) && !artist.isEmpty())
            continue; // the track's own artist wins
        comments << field + QLatin1Char('=') + value;
    }
    if (!artist.isEmpty())
        comments << QStringLiteral("ARTIST=") + artist;
    return comments;
}

QString objectTitle(const DiscMetadata &metadata, const DVDAObject *object)
{
    const EntryKeys keys = entryKeys(object);
    return keys.track.isEmpty() ? metadata.titles.value(keys.title).title : metadata.tracks.value(keys.track).title;
}

QByteArray withObjectTitle(const QByteArray &json, const DVDAObject *object, const QString &title)
{
    const EntryKeys keys = entryKeys(object);
    QJsonObject root = QJsonDocument::fromJson(json).object();
    QJsonArray titles = root.value(QLatin1String("titles")).toArray();
    for (qsizetype t = 0; t < titles.size(); ++t) {
        QJsonObject entry = titles.at(t).toObject();
        if (keys.title.isEmpty() || titleEntryKey(entry) != keys.title)
            continue;
        if (keys.track.isEmpty()) {
            entry[QLatin1String(titleKey)] = title;
        } else {
            QJsonArray tracks = entry.value(QLatin1String("tracks")).toArray();
            for (qsizetype k = 0; k < tracks.size(); ++k) {
                QJsonObject track = tracks.at(k).toObject();
                if (keys.title + QLatin1Char('/') + QString::number(track.value(QLatin1String("track")).toInt()) != keys.track)
                    continue;
                track[QLatin1String(titleKey)] = title;
                tracks[k] = track;
            }
            entry[QLatin1String("tracks")] = tracks;
        }
        titles[t] = entry;
    }
    root[QLatin1String("titles")] = titles;
    return QJsonDocument(root).toJson();
}

bool updateStoredMetadata(const DVDAZone *zone, const std::function<QByteArray(const QByteArray &)> &change,
                          QString *error)
{
    const QString path = storedMetadataPath(zone->discId);
    QByteArray json = metadataTemplate(zone);
    QFile existing(path);
    if (existing.open(QIODevice::ReadOnly))
        json = existing.readAll();
    const QByteArray changed = change(json);
    QSaveFile file(path);
    if (!QDir().mkpath(QFileInfo(path).path()) || !file.open(QIODevice::WriteOnly)
        || file.write(changed) != changed.size() || !file.commit()) {
        *error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}
