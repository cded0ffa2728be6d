#include "output/loudnesswork.h"

#include <cstring>
#include <system_error>

#include "output/loudnessmeter.h"

void LoudnessWork::Batch::measure() const
{
    for (const Part &part : parts)
        part.meter->add(bytes.data() + part.offset, qint64(part.size));
}

LoudnessWork::~LoudnessWork()
{
    finish();
    if (!thread.joinable())
        return;
    {
        std::lock_guard<std::mutex> lock(mutex);
        quitting = true;
    }
    changed.notify_all();
    thread.join();
}

void LoudnessWork::add(LoudnessMeter &meter, const quint8 *bytes, qint64 count)
{
    if (count <= 0)
        return;
    if (inLine) {
        meter.add(bytes, count);
        return;
    }
    const size_t at = filling.bytes.size();
    filling.bytes.resize(at + size_t(count));
    std::memcpy(filling.bytes.data() + at, bytes, size_t(count));
    // Samples of one meter back to back are one part.
    if (!filling.parts.empty() && filling.parts.back().meter == &meter)
        filling.parts.back().size += size_t(count);
    else
        filling.parts.push_back({&meter, at, size_t(count)});
    if (filling.bytes.size() >= BATCH_BYTES)
        submit();
}

void LoudnessWork::submit()
{
    if (!inLine && !thread.joinable()) {
        try {
            thread = std::thread(&LoudnessWork::loop, this);
        } catch (const std::system_error &) {
            inLine = true;
        }
    }
    if (inLine) {
        filling.measure();
        filling.bytes.clear();
        filling.parts.clear();
        return;
    }
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait(lock, [this] { return waiting.size() < MAX_WAITING; });
    waiting.push_back(std::move(filling));
    filling = Batch();
    if (!spare.empty()) {
        filling = std::move(spare.back());
        spare.pop_back();
    }
    lock.unlock();
    changed.notify_all();
}

void LoudnessWork::finish()
{
    if (!filling.parts.empty())
        submit();
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait(lock, [this] { return waiting.empty(); });
}

void LoudnessWork::loop()
{
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
        changed.wait(lock, [this] { return !waiting.empty() || quitting; });
        if (waiting.empty())
            return;
        // Others only add at the back: the front stays where it is while it is measured.
        Batch &batch = waiting.front();
        lock.unlock();
        batch.measure();
        batch.bytes.clear();
        batch.parts.clear();
        lock.lock();
        spare.push_back(std::move(batch));
        waiting.pop_front();
        changed.notify_all();
    }
}
