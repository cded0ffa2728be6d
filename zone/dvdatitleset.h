#pragma once
#include <QDir>
#include <QFile>
#include <QMutex>

#include "zone/dvdaobject.h"
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
    QFile file;
    bool present = false;
    quint32 firstBlock = 0;
    quint32 lastBlock = 0; // inclusive; firstBlock - 1 when the file holds no whole block
};

class DVDATitleset : public DVDAObject {
public:
    DVDATitleset(const QDir &zoneDir, int position);
    ~DVDATitleset() override;

    // One block into a 2048-byte buffer; 0 or a result code.
    int readBlock(quint32 block, quint8 *buffer);
    // A run of blocks, cut at lastAobBlock and at the first failing block.
    // 0 when at least one block was read, else ErrBlockNotFound.
    int readBlocks(quint32 first, int count, quint8 *buffer, int *read);

    std::vector<DVDATitle *> titles;
    TitlesetKind contentKind = TitlesetUnknown;
    AobFileEntry aobFiles[9];
    quint32 lastAobBlock = 0;
    QMutex ioMutex;
    qint32 number = 0;
    // What could not be read of the information file; the tree lacks those parts.
    std::vector<ZoneProblem> problems;

private:
    struct TitleTable;
    void probeAobFiles(const QDir &zoneDir);
    static QString tr(const char *text);
    void addProblem(qint64 offset, const QString &what);
    void addPastTable(quint64 offset, const QString &what, const TitleTable &table);
    void checkAobArea();
    void parseTitleTable(const QByteArray &bytes);
    bool parseTitle(DVDATitle *title, const TitleTable &table, quint64 record);
    void fillStreamInfo(AOBObject *object, quint32 block, const TitleTable &table);
};
