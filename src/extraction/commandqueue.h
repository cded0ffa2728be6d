#pragma once
// Finished output files waiting for the external command. The extraction's workers add
// and wait while too much file data waits; the job runner takes the oldest.
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

#include <QList>
#include <QString>

struct CommandJob {
    QString path;
    qint64 size = 0; // bytes at the moment it was queued (0 if the file did not exist)
    qint32 channels = 0;
    qint32 sampleRate = 0;
    qint32 bits = 0;
    int source = -1; // the place of the object it came from in its extraction's list
};

class CommandQueue {
public:
    CommandQueue() = default;
    CommandQueue(const CommandQueue &) = delete;
    CommandQueue &operator=(const CommandQueue &) = delete;

    // Dropped when the queue is closed.
    void add(const QString &path, int channels, int sampleRate, int bits, int source = -1);
    // The sources of the jobs still queued.
    [[nodiscard]] QList<int> queuedSources() const;
    [[nodiscard]] int count() const;
    // The oldest job; it stays queued. Only the one consumer may use it, until it removes
    // it. Null when empty.
    [[nodiscard]] const CommandJob *first() const;
    [[nodiscard]] std::unique_ptr<CommandJob> removeFirst(); // null when empty
    [[nodiscard]] qint64 pendingBytes() const;
    // No more jobs are taken; whoever waits for the queue is woken.
    void close();
    [[nodiscard]] bool isClosed() const { return closed.load(); }
    // Deletes every job (their files stay) and opens the queue again.
    void clear();

    // Blocks while more than threshold bytes wait, until stop is set; wakeWaiters makes it
    // look at stop again. True when there is room, false when stopped.
    [[nodiscard]] bool waitForRoom(qint64 threshold, const std::atomic<bool> &stop);
    void wakeWaiters();
    // Called (on the adding thread, outside the lock) after each job added.
    void setAddedHandler(std::function<void()> handler);

private:
    mutable std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::unique_ptr<CommandJob>> entries;
    qint64 pending = 0;
    std::atomic<bool> closed{false};
    std::function<void()> added;
};
