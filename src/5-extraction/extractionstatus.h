#pragma once
// One sample of a running extraction, taken from the threads' progress without a lock,
// and the texts that show it.
#include <QList>
#include <QString>
#include <QtGlobal>

class DVDAObject;

// Where the dump of one object stands.
struct ObjectBlocks {
    const DVDAObject *object = nullptr;
    quint32 firstBlock = 0;
    quint32 currentBlock = 0;
    quint32 lastBlock = 0;
};

struct ExtractionStatus {
    bool extracting = false; // the extraction thread still exists
    bool waiting = false;    // it waits for the command to catch up
    qint32 titleset = 0;
    qint32 title = 0;        // the title's id: bits 0-6 the number, bit 7 the tag
    qint32 track = 0;
    quint32 firstBlock = 0;
    quint32 currentBlock = 0;
    quint32 lastBlock = 0;
    QList<ObjectBlocks> running; // every object being dumped, by worker
    bool runsJobs = false;   // the job thread still exists
    int jobsWaiting = 0;
};

// Share of the object's blocks done, 0 to 100. Also 0 before the first block and for a
// range whose last block lies before its first.
int progressPercent(quint32 firstBlock, quint32 currentBlock, quint32 lastBlock);

// The window's status text: "[Jobs:2] TS:01 TI:02[0] TR:03 BL:00012345", "[Jobs:2]
// Waiting...", "[Jobs:1] Finishing..."; without a job thread the jobs part is empty and
// the text begins with a blank.
QString extractionStatusText(const ExtractionStatus &status);
