#include "5-extraction/jobqueue.h"

#include <QFileInfo>
#include <QMutexLocker>

JobQueue::~JobQueue()
{
    for (EncoderJob *job : entries)
        delete job;
}

void JobQueue::add(const QString &path, int channels, int sampleRate, int bits)
{
    if (closed.load())
        return;
    auto *job = new EncoderJob;
    job->path = path;
    QFileInfo info(path);
    job->size = info.exists() ? info.size() : 0;
    job->channels = channels;
    job->sampleRate = sampleRate;
    job->bits = bits;
    QMutexLocker lock(&mutex);
    entries.push_back(job);
    recompute();
}

int JobQueue::count()
{
    QMutexLocker lock(&mutex);
    return int(entries.size());
}

EncoderJob *JobQueue::first()
{
    QMutexLocker lock(&mutex);
    return entries.empty() ? nullptr : entries.front();
}

EncoderJob *JobQueue::removeFirst()
{
    QMutexLocker lock(&mutex);
    if (entries.empty())
        return nullptr;
    EncoderJob *job = entries.front();
    entries.erase(entries.begin());
    recompute();
    return job;
}

qint64 JobQueue::pendingBytes()
{
    QMutexLocker lock(&mutex);
    return pending;
}

void JobQueue::clear()
{
    {
        QMutexLocker lock(&mutex);
        for (EncoderJob *job : entries)
            delete job;
        entries.clear();
        recompute();
    }
    closed.store(false);
}

// Called with the lock held.
void JobQueue::recompute()
{
    qint64 sum = 0;
    for (const EncoderJob *job : entries)
        sum += job->size;
    pending = sum;
}
