#pragma once
// The test-zone writer: lays out AUDIO_TS.IFO, ATS_nn_0.IFO and ATS_nn_m.AOB byte by
// byte from a description held in the test, so every test builds exactly the zone it
// needs (and damages exactly the bytes it wants) in a temporary folder.
//
//   testzone::Zone zone;
//   testzone::Titleset &ts = zone.titlesets.emplace_back();
//   ts.info.titles.push_back(testzone::makeTitle({{90000, {{0, 9}}}}));
//   ts.aobFiles.push_back(testzone::AobFile::ofBytes(testzone::numberedBlocks(0, 10)));
//   testzone::ZoneFolder folder(zone);   // folder.path() holds the files
#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <vector>

namespace testzone {

enum { BLOCK_BYTES = 2048, TITLE_TABLE_AT = 2048 };

// Bytes written over a built file at an offset (the file grows with zeros when needed).
struct Patch {
    qint64 offset = 0;
    QByteArray bytes;
};

// Bytes taken out of a built file: the file after them moves up.
struct Removal {
    qint64 offset = 0;
    int count = 0;
};

// Changes to a file after it was built: the patches in order, the removals, then a new
// size (cut, or padded with zeros); size -1 keeps the built size.
struct FileTweaks {
    std::vector<Patch> patches;
    std::vector<Removal> removals;
    qint64 size = -1;
};

// The disc's backup copy of an information file (.BUP): as the .IFO ends up (damage and
// all), the .IFO as built before its tweaks, or none.
enum class Backup { SameAsInfo, Intact, Absent };

// AUDIO_TS.IFO: one sector with the magic and the titleset count at byte 63.
struct Manager {
    bool present = true;
    QByteArray magic = "DVDAUDIO-AMG";
    int titlesetCount = -1; // -1: the number of titlesets described
    FileTweaks tweaks;
    Backup backup = Backup::SameAsInfo; // AUDIO_TS.BUP
};

// One row of a title's index table.
struct IndexEntry {
    quint32 first = 0;
    quint32 last = 0;
};

// One track record of a title: byte 4 and bytes 10-13, the only ones the format defines.
struct Track {
    quint8 firstIndexNumber = 1;
    quint32 lengthPts = 0;
};

// A title record with its track records and index table. The -1 fields keep the
// values the layout gives; anything else is written instead (to damage the table).
struct Title {
    int titleId = -1; // search entry byte 0; -1: the title's place + 1
    quint32 lengthPts = 0;
    std::vector<Track> tracks;
    std::vector<IndexEntry> indexes;
    qint64 recordOffset = -1;  // search entry bytes 4-7
    int indexTableOffset = -1; // record bytes 12-13
    int trackCount = -1;       // record byte 2
    int indexCount = -1;       // record byte 3
};

// A track as its indexes: makeTitle numbers the indexes and sets firstIndexNumber.
struct TrackSpan {
    quint32 lengthPts = 0;
    std::vector<IndexEntry> indexes;
};
// A well-formed title; its length is the sum of its tracks' lengths.
Title makeTitle(const std::vector<TrackSpan> &tracks);

// ATS_nn_0.IFO: a header sector, then the title table from byte 2048.
struct TitlesetInfo {
    bool present = true;
    QByteArray magic = "DVDAUDIO-ATS";
    qint64 lastAobBlock = -1;   // -1: the last block number of the AOB files described
    qint64 lastSector = -1;     // value at 12; -1: computed from lastAobBlock
    qint64 lastInfoSector = -1; // value at 28; -1: the file's own last sector
    quint32 videoObjects = 0;   // value at 192 (non-zero: objects in VIDEO_TS)
    int titleCount = -1;        // table bytes 0-1; -1: titles.size()
    qint64 lastByteOffset = -1; // table bytes 4-7; -1: the table's length - 1
    std::vector<Title> titles;
    FileTweaks tweaks;          // offsets from the start of the file
    Backup backup = Backup::SameAsInfo; // ATS_nn_0.BUP
};

// One ATS_nn_m.AOB: raw bytes (whole packs, or any odd size), or no file at all.
struct AobFile {
    bool present = true;
    QByteArray bytes;

    static AobFile absent();
    static AobFile ofBytes(const QByteArray &bytes);
    // Packs of 2048 bytes each (a shorter one is padded with zeros), one after another.
    static AobFile ofPacks(const std::vector<QByteArray> &packs);
};

struct Titleset {
    TitlesetInfo info;
    std::vector<AobFile> aobFiles; // ATS_nn_1.AOB on; files past the end are not written

    static Titleset absent(); // neither information file nor AOB files
};

struct Zone {
    Manager manager;
    std::vector<Titleset> titlesets; // titleset number = place + 1
};

// Writes the zone's files into an existing folder; false when a file can't be written.
bool writeZone(const QString &dir, const Zone &zone);

// A zone written into its own temporary folder, removed with this object.
class ZoneFolder {
public:
    explicit ZoneFolder(const Zone &zone);
    bool ok() const { return written; }
    QString path() const { return dir.path(); }
    QString filePath(const QString &name) const { return dir.filePath(name); }

private:
    QTemporaryDir dir;
    bool written = false;
};

QString titlesetInfoName(int number);
QString aobName(int number, int file);

// The bytes of single files, for tests that work on them directly.
// tweaked: with the file's tweaks applied (the damage a test asks for).
QByteArray managerBytes(const Manager &manager, int describedTitlesets, bool tweaked = true);
QByteArray titlesetInfoBytes(const TitlesetInfo &info, quint32 defaultLastAobBlock, bool tweaked = true);
QByteArray titleTableBytes(const TitlesetInfo &info);
// A title table of `entries` search entries that all point at one record made from
// `title` (the writer gives each title a record of its own). Title ids run 1..99.
QByteArray sharedRecordTable(const Title &title, int entries);
// Where the writer puts title k's record, counted from the start of the title table.
quint32 titleRecordOffset(const TitlesetInfo &info, int k);
// Block numbers the AOB files take: whole blocks of present files, 524272 per absent one.
quint32 aobAreaBlocks(const std::vector<AobFile> &files);

// Blocks that tell which block number they are: bytes 0-3 hold the number (big-endian),
// the rest a pattern made from it. They carry no pack start code.
QByteArray numberedBlocks(quint32 firstNumber, int count);
// True when the 2048 bytes are exactly numbered block `number`.
bool isNumberedBlock(const quint8 *block, quint32 number);

} // namespace testzone
