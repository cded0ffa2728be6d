#include "extraction/settledfiles.h"

#include <QFileInfo>

#include "output/stagedfile.h"

namespace {

// A name that only a file may take: a folder or anything but a file or link there would
// make the rename fail after others were published.
Result nameFree(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists() || info.isSymLink() || info.isFile())
        return ResultCode::Succeeded;
    return Result(ResultCode::WriteOutput, QStringLiteral("%1: %2").arg(
        path, info.isDir() ? QStringLiteral("a folder has this name") : QStringLiteral("not a file")));
}

Result publish(std::vector<WrittenFile> &files)
{
    for (const WrittenFile &file : files) {
        Result free = nameFree(file.path);
        if (free.ok() && !file.cueSheet.isEmpty())
            free = nameFree(file.cueSheet);
        if (free.failed())
            return settleFiles(files, free, false);
    }
    for (size_t k = 0; k < files.size(); ++k) {
        Result published = publishStaged(files[k].path);
        if (published.ok() && !files[k].cueSheet.isEmpty())
            published = publishStaged(files[k].cueSheet);
        if (published.failed()) {
            // The files after it are not published either: the object is not complete.
            std::vector<WrittenFile> rest(files.begin() + qint64(k), files.end());
            files.erase(files.begin() + qint64(k), files.end());
            (void)settleFiles(rest, published, false);
            return published;
        }
    }
    return ResultCode::Succeeded;
}

} // namespace

Result settleFiles(std::vector<WrittenFile> &files, const Result &result, bool keepPartial)
{
    bool complete = result.ok();
    for (const WrittenFile &file : files)
        complete = complete && !file.partial;
    if (complete)
        return publish(files);
    std::vector<WrittenFile> kept;
    for (WrittenFile &file : files) {
        if (!file.cueSheet.isEmpty())
            discardStaged(file.cueSheet);
        file.cueSheet.clear();
        if (keepPartial && keepStagedPartial(file.path).ok()) {
            file.path = partialPath(file.path);
            file.partial = true;
            kept.push_back(file);
        } else {
            discardStaged(file.path);
        }
    }
    files = kept;
    return result;
}
