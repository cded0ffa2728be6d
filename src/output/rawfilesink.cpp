#include "output/rawfilesink.h"

#include "output/outputfile.h"
#include "output/stagedfile.h"

RawFileSink::RawFileSink(const QString &path, const WrittenFile &description_)
    : description(description_)
{
    description.path = path;
}

RawFileSink::~RawFileSink()
{
    // A sink dropped before finish still leaves its file finished; there is nobody to
    // hand a failure to but the log.
    std::vector<WrittenFile> finished;
    if (finish(&finished).failed())
        qWarning("%s: cannot be finished", qPrintable(description.path));
}

Result RawFileSink::open()
{
    // Written under its staging name: a file of an earlier extraction with the same name
    // is replaced only when this one is published.
    if (!openOutputFile(file, stagingPath(description.path), QIODevice::Unbuffered))
        return state = Result(ResultCode::CreateOutput, QStringLiteral("%1: %2").arg(description.path, file.errorString()));
    payload.start(&file);
    return ResultCode::Succeeded;
}

Result RawFileSink::write(const quint8 *data, int length)
{
    // After a failed write nothing more goes in: the file would have a hole.
    if (state.failed() || length <= 0)
        return state;
    if (!payload.write(data, length))
        state = Result(ResultCode::WriteOutput, QStringLiteral("%1: %2").arg(description.path, file.errorString()));
    return state;
}

Result RawFileSink::finish(std::vector<WrittenFile> *files)
{
    if (!file.isOpen())
        return ResultCode::Succeeded;
    // The bytes written in the background are in the file before its error is reset.
    const bool wrote = payload.flush();
    QString reason = wrote ? QString() : file.errorString();
    file.unsetError();
    const bool flushed = wrote && file.flush();
    if (reason.isEmpty() && !flushed)
        reason = file.errorString();
    const bool empty = file.size() == 0;
    file.close();
    const bool failed = !flushed || file.error() != QFileDevice::NoError;
    if (reason.isEmpty() && failed)
        reason = file.errorString();
    payload.release();
    // A file that got no byte is no file: it is removed, not listed. One that failed
    // part-way is listed as partial.
    if (empty)
        (void)removeOutputFile(file.fileName());
    else {
        files->push_back(description);
        files->back().partial = failed || state.failed();
    }
    if (state.failed()) // a write failed on the way: it said where and why
        return state;
    if (failed)
        return Result(payload.lostTakenBytes() ? ResultCode::WriteOutput : ResultCode::CloseOutput,
                      QStringLiteral("%1: %2").arg(description.path, reason));
    return ResultCode::Succeeded;
}
