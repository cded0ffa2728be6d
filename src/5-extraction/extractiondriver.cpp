#include "5-extraction/extractiondriver.h"

#include <cstdio>

#include "2-stream/decoderlog.h"
#include "5-extraction/extractthread.h"
#include "5-extraction/jobthread.h"

namespace {
void writeTo(FILE *stream, const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return;
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

// A thread that does not end within waitMs of its stop request is terminated.
void waitOrTerminate(QThread *thread, int waitMs)
{
    if (thread->wait(waitMs))
        return;
    thread->terminate();
    thread->wait();
}

// Where one worker's dump stands, read without a lock.
ObjectBlocks blocksOf(const ExtractProgress &p)
{
    ObjectBlocks blocks;
    blocks.object = p.object.load(std::memory_order_relaxed);
    blocks.firstBlock = quint32(p.firstBlock.load(std::memory_order_relaxed));
    blocks.currentBlock = quint32(p.currentBlock.load(std::memory_order_relaxed));
    blocks.lastBlock = quint32(p.lastBlock.load(std::memory_order_relaxed));
    return blocks;
}
} // namespace

ExtractionDriver::~ExtractionDriver()
{
    // Both destructors stop their thread and wait for it.
    delete extractThread;
    extractThread = nullptr;
    delete jobThread;
    jobThread = nullptr;
}

void ExtractionDriver::createThreads(DVDAZone *zone, const QList<DVDAObject *> &objects,
                                     const ExtractOptions &options)
{
    extractThread = new ExtractThread(zone, objects, options, &jobQueue);
    if (options.run)
        jobThread = new JobThread(options, &jobQueue);
    resultCode = 0;
    checks.clear();
}

void ExtractionDriver::startThreads()
{
    if (extractThread)
        extractThread->start();
    if (jobThread)
        jobThread->start(QThread::HighPriority);
}

void ExtractionDriver::keepResult(int code)
{
    if (resultCode == 0)
        resultCode = code;
}

void ExtractionDriver::endExtractThread()
{
    if (!extractThread)
        return;
    // finished() comes from the thread just before run() returns.
    extractThread->wait();
    keepResult(extractThread->result());
    checks = extractThread->checks();
    delete extractThread;
    extractThread = nullptr;
}

void ExtractionDriver::endJobThread()
{
    if (!jobThread)
        return;
    jobThread->wait();
    forwardJobOutput(); // what the last command wrote after the last refresh
    keepResult(jobThread->result());
    delete jobThread;
    jobThread = nullptr;
}

void ExtractionDriver::endExtraction()
{
    jobQueue.clear();
    closeDecoderLog();
}

void ExtractionDriver::requestStop()
{
    if (extractThread)
        extractThread->stop();
    if (jobThread)
        jobThread->stop();
}

void ExtractionDriver::stopThreads(int waitMs)
{
    if (extractThread) {
        extractThread->stop();
        waitOrTerminate(extractThread, waitMs);
    }
    if (jobThread) {
        jobThread->stop();
        waitOrTerminate(jobThread, waitMs);
    }
}

ExtractionStatus ExtractionDriver::status()
{
    ExtractionStatus status;
    if (extractThread) {
        const ExtractProgress &p = extractThread->progress;
        status.extracting = true;
        status.waiting = p.waiting.load(std::memory_order_relaxed);
        status.titleset = p.titleset.load(std::memory_order_relaxed);
        status.title = p.title.load(std::memory_order_relaxed);
        status.track = p.track.load(std::memory_order_relaxed);
        const ObjectBlocks first = blocksOf(p);
        status.firstBlock = first.firstBlock;
        status.currentBlock = first.currentBlock;
        status.lastBlock = first.lastBlock;
        for (int k = 0; k < extractThread->workerCount(); ++k) {
            const ObjectBlocks blocks = blocksOf(extractThread->workerProgress(k));
            if (blocks.object)
                status.running.append(blocks);
        }
    }
    if (jobThread) {
        status.runsJobs = true;
        status.jobsWaiting = jobQueue.count();
    }
    return status;
}

void ExtractionDriver::forwardJobOutput()
{
    if (!jobThread)
        return;
    const QByteArray error = jobThread->readStandardError();
    const QByteArray output = jobThread->readStandardOutput();
    if (!error.isEmpty() || !output.isEmpty())
        showJobOutput(error, output);
}

void ExtractionDriver::showJobOutput(const QByteArray &error, const QByteArray &output)
{
    writeTo(stderr, error);
    writeTo(stdout, output);
}
