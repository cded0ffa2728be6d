#include "2-stream/streamdumper.h"

#include "4-output/outputfile.h"
#include "1-base/result.h"
#include "5-extraction/jobqueue.h"

DVDARawStreamDumper::DVDARawStreamDumper(const StreamInfo &info_, const QString &path,
                                         const ExtractOptions &options_, JobQueue *jobs_)
    : info(info_), options(options_), jobs(jobs_)
{
    // The copy carries no working state of the caller's extraction.
    this->info.dumper = nullptr;
    // A file of an earlier extraction with the same name is overwritten.
    if (openOutputFile(file, path, QIODevice::Unbuffered))
        payload.start(&file);
    else
        result = ErrCreateOutput;
}

DVDARawStreamDumper::~DVDARawStreamDumper()
{
    // A destructor cannot report; the driver finished and checked whatever mattered.
    (void)finish();
}

int DVDARawStreamDumper::write(const quint8 *data, int length)
{
    // After a failed write nothing more goes in: the file would have a hole.
    if (result != ExtractSucceeded)
        return result;
    if (length <= 0)
        return ExtractSucceeded;
    if (!payload.write(data, length))
        result = ErrWriteOutput;
    return result;
}

int DVDARawStreamDumper::finish()
{
    if (!file.isOpen())
        return ExtractSucceeded;
    // The bytes written in the background are in the file before its error is reset.
    const bool wrote = payload.flush();
    file.unsetError();
    const bool flushed = wrote && file.flush();
    file.close();
    payload.release();
    if (!flushed || file.error() != QFileDevice::NoError)
        return payload.lostTakenBytes() ? ErrWriteOutput : ErrCloseOutput;
    if (options.run && jobs)
        jobs->add(file.fileName(), info.group1Channels + info.group2Channels,
                  info.group1SampleRate, info.group1Bits);
    return ExtractSucceeded;
}

int DVDANullStreamDumper::write(const quint8 *data, int length)
{
    ++packets;
    if (data)
        bytes += length;
    return ExtractSucceeded;
}
