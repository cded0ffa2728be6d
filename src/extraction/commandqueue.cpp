#include "extraction/commandqueue.h"

#include <QFileInfo>

void CommandQueue::add(const QString &path, int channels, int sampleRate, int bits, int source)
{
    if (closed.load())
        return;
    auto job = std::make_unique<CommandJob>();
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

QList<int> CommandQueue::queuedSources() const
{
    std::lock_guard<std::mutex> lock(mutex);
    QList<int> sources;
    for (const auto &job : entries)
        sources << job->source;
    return sources;
}

int CommandQueue::count() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return int(entries.size());
}

const CommandJob *CommandQueue::first() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return entries.empty() ? nullptr : entries.front().get();
}

std::unique_ptr<CommandJob> CommandQueue::removeFirst()
{
    std::unique_ptr<CommandJob> job;
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

qint64 CommandQueue::pendingBytes() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return pending;
}

void CommandQueue::close()
{
    closed.store(true);
    wakeWaiters();
}

void CommandQueue::clear()
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        entries.clear();
        pending = 0;
    }
    closed.store(false);
    changed.notify_all();
}

bool CommandQueue::waitForRoom(qint64 threshold, const std::atomic<bool> &stop)
{
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait(lock, [&] { return pending <= threshold || stop.load(); });
    return pending <= threshold;
}

void CommandQueue::wakeWaiters()
{
    // Taken and dropped, so that a waiter between its test and its sleep sees the change.
    { std::lock_guard<std::mutex> lock(mutex); }
    changed.notify_all();
}

void CommandQueue::setAddedHandler(std::function<void()> handler)
{
    std::lock_guard<std::mutex> lock(mutex);
    added = std::move(handler);
}
