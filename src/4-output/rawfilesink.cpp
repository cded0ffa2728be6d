#include "4-output/rawfilesink.h"

#include "4-output/outputfile.h"

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
    // A file of an earlier extraction with the same name is overwritten.
    if (!openOutputFile(file, description.path, QIODevice::Unbuffered))
        return state = ResultCode::CreateOutput;
    payload.start(&file);
    return ResultCode::Succeeded;
}

Result RawFileSink::write(const quint8 *data, int length)
{
    // After a failed write nothing more goes in: the file would have a hole.
    if (state.failed() || length <= 0)
        return state;
    if (!payload.write(data, length))
        state = ResultCode::WriteOutput;
    return state;
}

Result RawFileSink::finish(std::vector<WrittenFile> *files)
{
    if (!file.isOpen())
        return ResultCode::Succeeded;
    // The bytes written in the background are in the file before its error is reset.
    const bool wrote = payload.flush();
    file.unsetError();
    const bool flushed = wrote && file.flush();
    const bool empty = file.size() == 0;
    file.close();
    const bool failed = !flushed || file.error() != QFileDevice::NoError;
    payload.release();
    // A file that got no byte is no file: it is removed, not listed.
    if (empty)
        (void)removeOutputFile(file.fileName());
    if (failed)
        return payload.lostTakenBytes() ? ResultCode::WriteOutput : ResultCode::CloseOutput;
    if (!empty)
        files->push_back(description);
    return ResultCode::Succeeded;
}
