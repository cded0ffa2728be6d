#pragma once
// One file's large writes done on a thread of their own, one buffer at a time: while the
// kernel copies a full buffer into the file, the extraction thread reads and unpacks the
// next one. On two cores that hides most of the write: a 345 MB track is stored in about
// 0.145 s instead of 0.165 s, where `cp` takes 0.125 s. At most SLOTS files are written so at
// once, in the whole program, so that threads and buffers stay few however many
// extraction workers write however many files; the others are written in line.
#include <condition_variable>
#include <mutex>
#include <thread>

#include <QFile>

#include "output/samplechecksum.h"

class BackgroundWrite {
public:
    enum { SLOTS = 8 };

    BackgroundWrite() = default;
    BackgroundWrite(const BackgroundWrite &) = delete;
    BackgroundWrite &operator=(const BackgroundWrite &) = delete;
    ~BackgroundWrite() { end(); }

    // Takes one of the slots for this file's writes; false when all are taken.
    [[nodiscard]] bool claim();
    // Waits for the write in flight, then starts writing count bytes of data to file. The
    // bytes must stay as they are, and nobody else may use the file, until wait returns.
    // With crc, the CRC-32 it holds is carried on over the bytes on the same thread: the
    // checksum costs the extraction thread nothing; it is final once wait returns.
    // False if the write before could not write all its bytes (this one is not started),
    // or if, with no thread to be had, this one was written in line and failed.
    [[nodiscard]] bool start(QFile *file, const quint8 *data, qint64 count, SampleCrc *crc = nullptr);
    // Waits for the write in flight, if any; false if it did not write all its bytes
    // (said once: the next wait, with no write started between, is true).
    [[nodiscard]] bool wait();
    // Waits for the write in flight, ends the thread and gives the slot back.
    void end();

    // Slots taken now, in the whole program.
    [[nodiscard]] static int slotsInUse();

private:
    void run();

    bool holdsSlot = false;
    std::thread thread; // started with the first write
    std::mutex mutex;
    std::condition_variable changed;
    // The write in flight, under mutex.
    QFile *file = nullptr;
    const quint8 *data = nullptr;
    qint64 count = 0;
    SampleCrc *crc = nullptr;
    bool busy = false;
    bool failed = false; // some bytes of the last write never reached its file
    bool quitting = false;
};
