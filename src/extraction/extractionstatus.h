#pragma once
// One sample of a running extraction, taken from its workers' progress without a lock.
#include <QList>
#include <QMetaType>
#include <QtGlobal>

class DVDAObject;

// Where the dump of one object stands.
struct ObjectBlocks {
    const DVDAObject *object = nullptr;
    quint32 firstBlock = 0;
    quint32 currentBlock = 0;
    quint32 lastBlock = 0;
};

// The whole extraction: how much of what was asked for is done, and since when.
struct WholeProgress {
    int objectsDone = 0;
    int objectsTotal = 0;
    qint64 bytesDone = 0; // of the objects' blocks on the disc
    qint64 bytesTotal = 0;
    double audioSecondsDone = 0; // of the objects' playing time
    qint64 elapsedMs = 0;
};

struct ExtractionStatus {
    bool extracting = false; // workers still take objects
    bool waiting = false;    // the first worker waits for the command to catch up
    qint32 titleset = 0;     // the first worker's object
    qint32 title = 0;        // the title's id: bits 0-6 the number, bit 7 the tag
    qint32 track = 0;
    quint32 firstBlock = 0;
    quint32 currentBlock = 0;
    quint32 lastBlock = 0;
    QList<ObjectBlocks> running; // every object being dumped, by worker
    bool runsJobs = false;   // the command is still being run on files
    int jobsWaiting = 0;
    WholeProgress whole;
};

Q_DECLARE_METATYPE(ExtractionStatus)
