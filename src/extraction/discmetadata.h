#pragma once
// What a disc's files are tagged with, kept in a JSON file per disc ID: the album's fields,
// a title and artist per title and per track, and a cover image. The command line writes a
// template of it to fill in and applies a filled one.
//
//   {"schemaVersion": 1, "discId": "4f5a...", "cover": "",
//    "album": {"ALBUM": "", "ALBUMARTIST": "", ... "COMMENT": ""},
//    "titles": [{"titleset": 1, "title": 1, "tag": 0, "length": "00:41:07",
//                "TITLE": "", "ARTIST": "",
//                "tracks": [{"track": 1, "length": "00:04:12", "TITLE": "", "ARTIST": ""}]}]}
#include <QByteArray>
#include <QHash>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <functional>

class DVDAObject;
class DVDAZone;

enum { METADATA_SCHEMA_VERSION = 1 };

struct DiscMetadata {
    struct Names {
        QString title, artist;
    };
    QString path; // the file it was read from
    QString discId;
    QList<QPair<QString, QString>> album; // the album fields given, in albumFields() order
    QHash<QString, Names> titles;         // by "TS/TITLE[TAG]"
    QHash<QString, Names> tracks;         // by "TS/TITLE[TAG]/TRACK"
    QString cover;
};

// ALBUM, ALBUMARTIST, ARTIST, DATE, GENRE, LABEL, CATALOGNUMBER, BARCODE, DISCNUMBER,
// DISCTOTAL, COMMENT: the album's fields, under their Vorbis comment names.
[[nodiscard]] QStringList albumFields();

// The file to fill in for the zone: every field empty, every title and track with its
// numbers and length.
[[nodiscard]] QByteArray metadataTemplate(const DVDAZone *zone);

// Where the user's metadata file of a disc is kept, for the window and the command line
// alike: "Tolvane/Kestrova/discs/DISCID.json" in the user's data folder
// (~/.local/share on Linux).
[[nodiscard]] QString storedMetadataPath(const QString &discId);

// The metadata file json (a template or a filled one) with the album's fields and the
// cover set as given; titles and tracks are kept.
[[nodiscard]] QByteArray withAlbum(const QByteArray &json, const QList<QPair<QString, QString>> &album,
                                   const QString &cover);

// The metadata file json with the TITLE of a title or track (an index: of its track) set;
// json unchanged for another node or one the file does not list.
[[nodiscard]] QByteArray withObjectTitle(const QByteArray &json, const DVDAObject *object, const QString &title);

// The TITLE the metadata gives a title or track (an index: its track's); empty for none.
[[nodiscard]] QString objectTitle(const DiscMetadata &metadata, const DVDAObject *object);

// Reads the disc's file in the user's data folder (a template when there is none yet),
// changes it and writes it back whole or not at all; false with *error naming the file
// and the system's reason.
[[nodiscard]] bool updateStoredMetadata(const DVDAZone *zone, const std::function<QByteArray(const QByteArray &)> &change,
                                        QString *error);

// The cover the metadata names, a path taken from its file's folder; empty for none.
[[nodiscard]] QString coverPathOf(const DiscMetadata &metadata);

// Reads a filled file; false with *error naming the file and what is wrong in it.
[[nodiscard]] bool readDiscMetadata(const QString &path, DiscMetadata *metadata, QString *error);

// The Vorbis comments the metadata gives an object's files: the album's fields, and TITLE
// and ARTIST of the track (an index: of its track; a whole title: of the title), the
// artist falling back to the title's, then the album's.
[[nodiscard]] QStringList metadataComments(const DiscMetadata &metadata, const DVDAObject *object);
