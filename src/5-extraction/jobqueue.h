#pragma once
// Finished output files waiting for the external command. The dumpers add, the job
// thread takes the oldest, the extraction thread watches how much data waits.
#include <atomic>
#include <vector>

#include <QMutex>
#include <QString>

struct EncoderJob {
    QString path;
    qint64 size = 0; // bytes at the moment it was queued (0 if the file did not exist)
    qint32 channels = 0;
    qint32 sampleRate = 0;
    qint32 bits = 0;
};

class JobQueue {
public:
    JobQueue() = default;
    ~JobQueue();
    JobQueue(const JobQueue &) = delete;
    JobQueue &operator=(const JobQueue &) = delete;

    // Dropped when the queue is closed.
    void add(const QString &path, int channels, int sampleRate, int bits);
    int count();
    EncoderJob *first();        // stays queued and owned by the queue; null when empty
    EncoderJob *removeFirst();  // the caller owns and deletes it; null when empty
    qint64 pendingBytes();
    void close() { closed.store(true); }
    bool isClosed() const { return closed.load(); }
    // Deletes every job (their files stay) and opens the queue again.
    void clear();

private:
    void recompute();

    std::vector<EncoderJob *> entries;
    QMutex mutex;
    std::atomic<bool> closed{false};
    qint64 pending = 0;
};
