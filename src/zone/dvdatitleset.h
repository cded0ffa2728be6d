#pragma once
#include <QDir>
#include <QMutex>
#include <memory>

#include "base/result.h"
#include "zone/dvdaobject.h"
#include "zone/zonesource.h"
#include "zone/zoneproblem.h"

enum { BLOCK_SIZE = 2048 };
// An absent AOB file still takes up this many block numbers (2^30 bytes less 16 blocks).
enum : quint32 { ABSENT_AOB_BLOCKS = 524272 };

enum TitlesetKind : qint32 {
    TitlesetUnknown = 0,
    TitlesetAudio = 1,
    TitlesetVideo = 2,
};

// One row of the titleset's AOB file table (ATS_nn_1.AOB .. ATS_nn_9.AOB).
struct AobFileEntry {
    QString name;                   // the file's name in the zone
    std::unique_ptr<ZoneFile> file; // opened on first use
    bool present = false;
    quint32 firstBlock = 0;
    quint32 lastBlock = 0; // inclusive; firstBlock - 1 when the file holds no whole block
    // Whole blocks the file holds; fewer than its range when it was cut short, so that
    // the files after it keep their block numbers.
    quint32 heldBlocks = 0;
    bool oversized = false; // its size cannot be a disc's: none of its blocks is read
};

class DVDATitleset : public DVDAObject {
public:
    // backup: read the disc's backup copy of the information file (ATS_nn_0.BUP).
    DVDATitleset(std::shared_ptr<ZoneSource> source, int position, bool backup = false);
    DVDATitleset(const QDir &zoneDir, int position); // from a zone folder
    ~DVDATitleset() override;
    [[nodiscard]] DVDAKind kind() const override { return KindTitleset; }
    // Whether the zone's tree lists the titleset at all (audio and video do, a titleset
    // of unknown kind does not).
    [[nodiscard]] bool listed() const { return contentKind == TitlesetAudio || contentKind == TitlesetVideo; }

    // One block into a 2048-byte buffer.
    [[nodiscard]] Result readBlock(quint32 block, quint8 *buffer);
    // A run of blocks, cut at lastAobBlock and at the first failing block: Succeeded when
    // at least one block was read, else BlockNotFound.
    [[nodiscard]] Result readBlocks(quint32 first, int count, quint8 *buffer, int *read);
    // A run of count blocks as one read per file, holding the I/O lock for the whole run:
    // Succeeded when all were read, else the failure of the block that failed, with *read
    // blocks before it in the buffer. Not cut at lastAobBlock, like readBlock.
    [[nodiscard]] Result readRun(quint32 first, int count, quint8 *buffer, int *read);

    // How many of the blocks first to last a file of the zone holds, up to the header's end
    // of the audio: fewer than all when a file is missing or was cut short.
    [[nodiscard]] quint64 heldBlocksIn(quint32 first, quint32 last) const;

    // The AOB file that holds a block, for messages; empty when none does.
    [[nodiscard]] QString fileOfBlock(quint32 block) const;

    Children<DVDATitle> titles{this};
    TitlesetKind contentKind = TitlesetUnknown;
    AobFileEntry aobFiles[9];
    quint32 lastAobBlock = 0;
    QMutex ioMutex;
    qint32 number = 0;
    // What could not be read of the information file; the tree lacks those parts.
    std::vector<ZoneProblem> problems;
    QString infoName; // the information file read: ATS_nn_0.IFO, or its backup ATS_nn_0.BUP

private:
    struct TitleTable;
    void probeAobFiles();
    // Why a block no file holds cannot be read; Succeeded when its row can be read from.
    [[nodiscard]] Result unreadableReason(int part, quint32 block) const;
    // A block no file holds: in the part of the header's area that was cut off or is in a
    // missing file, that; else not found.
    [[nodiscard]] Result notHeld(quint64 block) const;
    [[nodiscard]] static QString tr(const char *text);
    void addProblem(qint64 offset, const QString &what, bool hidesObjects = true);
    void addFileProblem(const QString &file, const QString &what);
    void addPastTable(quint64 offset, const QString &what, const TitleTable &table);
    void checkAobArea();
    void parseTitleTable(const QByteArray &bytes);
    [[nodiscard]] bool parseTitle(DVDATitle *title, const TitleTable &table, quint64 record);
    // Cross-checks of what the counts of the table describe (titlesetchecks.cpp), which a
    // damaged count or block number would otherwise pass: a title's length against its
    // tracks', its index entries (in table order) against each other, the table's length
    // against the records the counts describe, and the AOB blocks against the indexes.
    void checkTitle(const DVDATitle &title, qint64 recordOffset,
                    const std::vector<std::pair<quint32, quint32>> &entries);
    void checkTableEnd(quint64 length, quint64 describedEnd);
    void checkCoverage();
    void fillStreamInfo(AOBObject *object, quint32 block, const TitleTable &table);

    std::shared_ptr<ZoneSource> source;
    int lastDataPart = -1; // the last AOB file with any bytes; nothing lies past it
    QString shortfall;     // the header's blocks past the last file: which file lost them
};
