#include "extraction/jobqueue.h"

#include <QFileInfo>

void JobQueue::add(const QString &path, int channels, int sampleRate, int bits, int source)
{
    if (closed.load())
        return;
    auto job = std::make_unique<EncoderJob>();
    job->path = path;
    const QFileInfo info(path);
    job->size = info.exists() ? info.size() : 0;
    job->channels = channels;
    job->sampleRate = sampleRate;
    job->bits = bits;
    job->source = source;
    std::function<void()> tell;
    {
        std::lock_guard<std::mutex> lock(mutex);
        pending += job->size;
        entries.push_back(std::move(job));
        tell = added;
    }
    if (tell)
        tell();
}

QList<int> JobQueue::queuedSources() const
{
    std::lock_guard<std::mutex> lock(mutex);
    QList<int> sources;
    for (const auto &job : entries)
        sources << job->source;
    return sources;
}

int JobQueue::count() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return int(entries.size());
}

const EncoderJob *JobQueue::first() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return entries.empty() ? nullptr : entries.front().get();
}

std::unique_ptr<EncoderJob> JobQueue::removeFirst()
{
    std::unique_ptr<EncoderJob> job;
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (entries.empty())
            return job;
        job = std::move(entries.front());
        entries.pop_front();
        pending -= job->size;
    }
    changed.notify_all();
    return job;
}

qint64 JobQueue::pendingBytes() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return pending;
}

void JobQueue::close()
{
    closed.store(true);
    wakeWaiters();
}

void JobQueue::clear()
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        entries.clear();
        pending = 0;
    }
    closed.store(false);
    changed.notify_all();
}

bool JobQueue::waitForRoom(qint64 threshold, const std::atomic<bool> &stop)
{
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait(lock, [&] { return pending <= threshold || stop.load(); });
    return pending <= threshold;
}

void JobQueue::wakeWaiters()
{
    // Taken and dropped, so that a waiter between its test and its sleep sees the change.
    { std::lock_guard<std::mutex> lock(mutex); }
    changed.notify_all();
}

void JobQueue::setAddedHandler(std::function<void()> handler)
{
    std::lock_guard<std::mutex> lock(mutex);
    added = std::move(handler);
}
