#include "dump/streamdumper.h"

#include "dump/outputfile.h"
#include "extract/extractresult.h"
#include "extract/jobqueue.h"

DVDARawStreamDumper::DVDARawStreamDumper(const StreamInfo &info, const QString &path,
                                         const ExtractOptions &options, JobQueue *jobs)
    : info(info), options(options), jobs(jobs)
{
    // The copy carries no working state of the caller's extraction.
    this->info.dumper = nullptr;
    // A file of an earlier extraction with the same name is overwritten.
    if (!openOutputFile(file, path))
        result = ErrCreateOutput;
}

DVDARawStreamDumper::~DVDARawStreamDumper()
{
    finish();
}

int DVDARawStreamDumper::write(const quint8 *data, int length)
{
    // After a failed write nothing more goes in: the file would have a hole.
    if (result != 0)
        return result;
    if (length <= 0)
        return 0;
    if (!file.isOpen() || file.write(reinterpret_cast<const char *>(data), length) != length)
        result = ErrWriteOutput;
    return result;
}

int DVDARawStreamDumper::finish()
{
    if (!file.isOpen())
        return 0;
    file.unsetError();
    const bool flushed = file.flush();
    file.close();
    if (!flushed || file.error() != QFileDevice::NoError)
        return ErrCloseOutput;
    if (options.run && jobs)
        jobs->add(file.fileName(), info.group1Channels + info.group2Channels,
                  info.group1SampleRate, info.group1Bits);
    return 0;
}

int DVDANullStreamDumper::write(const quint8 *data, int length)
{
    ++packets;
    if (data)
        bytes += length;
    return 0;
}
