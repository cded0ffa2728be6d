#include "output/backgroundwrite.h"

#include <atomic>
#include <system_error>

#include "output/samplechecksum.h"

namespace {
std::atomic<int> slotsTaken{0};
}

bool BackgroundWrite::claim()
{
    if (holdsSlot)
        return true;
    int taken = slotsTaken.load();
    while (taken < SLOTS)
        if (slotsTaken.compare_exchange_weak(taken, taken + 1))
            return holdsSlot = true;
    return false;
}

int BackgroundWrite::slotsInUse()
{
    return slotsTaken.load();
}

void BackgroundWrite::end()
{
    if (thread.joinable()) {
        {
            std::lock_guard<std::mutex> lock(mutex);
            quitting = true;
        }
        changed.notify_all();
        thread.join();
        quitting = false;
    }
    failed = false; // a failure nobody waited for belongs to the file that is done
    if (holdsSlot)
        --slotsTaken;
    holdsSlot = false;
}

bool BackgroundWrite::start(QFile *file_, const quint8 *data_, qint64 count_, SampleCrc *crc_)
{
    if (!wait())
        return false;
    if (!thread.joinable()) {
        try {
            thread = std::thread(&BackgroundWrite::run, this);
        } catch (const std::system_error &) {
            // No thread to be had (a limit on them): the write goes in line.
            if (crc_)
                crc_->add(data_, count_);
            return file_->write(reinterpret_cast<const char *>(data_), count_) == count_;
        }
    }
    {
        std::lock_guard<std::mutex> lock(mutex);
        file = file_;
        data = data_;
        count = count_;
        crc = crc_;
        busy = true;
    }
    changed.notify_all();
    return true;
}

bool BackgroundWrite::wait()
{
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait(lock, [this] { return !busy; });
    const bool wrote = !failed;
    failed = false; // told once
    return wrote;
}

void BackgroundWrite::run()
{
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
        changed.wait(lock, [this] { return busy || quitting; });
        if (!busy)
            return;
        lock.unlock();
        if (crc)
            crc->add(data, count);
        const bool wrote = file->write(reinterpret_cast<const char *>(data), count) == count;
        lock.lock();
        failed = !wrote;
        busy = false;
        // Woken after the unlock, the extraction thread does not block on the mutex at once.
        lock.unlock();
        changed.notify_all();
        lock.lock();
    }
}
