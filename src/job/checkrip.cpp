#include "job/checkrip.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QSet>

#include "job/riplogfile.h"
#include "output/filesamples.h"
#include "output/samplechecksum.h"
#include "text/counted.h"
#include "text/riplogread.h"

namespace {

// The file the log names, where it is now: its place under the folder, or the FLAC a
// command made of a WAV in its place.
QString currentPath(const QDir &folder, const QString &relative)
{
    const QString path = folder.filePath(relative);
    if (QFileInfo::exists(path) || !relative.endsWith(QLatin1String(".wav")))
        return path;
    const QString flac = path.left(path.size() - 4) + QStringLiteral(".flac");
    return QFileInfo::exists(flac) ? flac : path;
}

// A path the record names, as a place under the folder it was written in.
QString placeOf(const LogRecord &record, const QString &path)
{
    return record.outputDir.isEmpty() ? QFileInfo(path).fileName() : QDir(record.outputDir).relativeFilePath(path);
}

QString compared(const QString &name, const LoggedFile &logged, const FileSamples &read)
{
    if (!read.error.isEmpty())
        return QStringLiteral("unreadable: %1: %2").arg(name, read.error);
    if (read.frames != logged.frames)
        return QStringLiteral("changed: %1: %2 samples, the log says %3").arg(name).arg(read.frames).arg(logged.frames);
    if (crc32Text(read.crc) != logged.crc32) {
        QString where;
        for (qsizetype k = 0; k < qMin<qsizetype>(logged.seconds.size(), qsizetype(read.seconds.size())); ++k)
            if (crc32Text(read.seconds[size_t(k)]) != logged.seconds[k]) {
                where = QStringLiteral("; the first change is in second %1 (from %2:%3, sample %4)")
                            .arg(k + 1)
                            .arg(k / 60)
                            .arg(k % 60, 2, 10, QLatin1Char('0'))
                            .arg(qint64(k) * read.sampleRate);
                break;
            }
        return QStringLiteral("changed: %1: the samples' CRC32 is %2, the log says %3%4")
            .arg(name, crc32Text(read.crc), logged.crc32, where);
    }
    return QStringLiteral("ok: %1").arg(name);
}

} // namespace

RipCheck checkRip(const QString &folderPath, const std::atomic<bool> *stop)
{
    RipCheck check;
    const QDir folder(folderPath);
    QFile log(folder.filePath(QLatin1String(RIP_LOG_NAME)));
    if (!log.open(QIODevice::ReadOnly)) {
        check.error = QStringLiteral("%1: %2").arg(log.fileName(), log.errorString());
        return check;
    }
    const QList<LogRecord> records = readRipLog(QString::fromUtf8(log.readAll()));
    // By its place under the folder; a later record of the same file replaces an earlier.
    QMap<QString, LoggedFile> named;
    QMap<QString, int> recordOf;
    QStringList order;
    // Records whose command made a FLAC of a file the rip then deleted: there a deleted
    // file without its FLAC was lost, not merely not kept.
    QSet<int> makesFlac;
    for (int r = 0; r < records.size(); ++r) {
        const LogRecord &record = records[r];
        if (record.seal == LogRecord::Edited)
            check.lines << QStringLiteral("edited: the record at line %1 of %2 no longer matches its checksum")
                               .arg(record.firstLine).arg(QLatin1String(RIP_LOG_NAME));
        for (const LoggedFile &file : record.files) {
            const QString relative = placeOf(record, file.path);
            if (!named.contains(relative))
                order << relative;
            named.insert(relative, file);
            recordOf.insert(relative, r);
            if (file.deleted && currentPath(folder, relative).endsWith(QLatin1String(".flac")))
                makesFlac.insert(r);
        }
    }
    QSet<QString> seen;
    // Kept of objects that failed: the log knows them, but they are no whole rip.
    for (const LogRecord &record : records)
        for (const QString &file : record.partialFiles) {
            const QString relative = placeOf(record, file);
            const QFileInfo kept(folder.filePath(relative));
            if (!kept.exists() || seen.contains(kept.absoluteFilePath()))
                continue;
            seen.insert(kept.absoluteFilePath());
            check.lines << QStringLiteral("partial: %1: its object did not complete when it was ripped").arg(relative);
        }
    for (const QString &relative : std::as_const(order)) {
        if (stop && stop->load()) {
            check.error = QStringLiteral("stopped before %1").arg(relative);
            return check;
        }
        ++check.files;
        // A log edited to name a file elsewhere (or a device) gets nothing read for it.
        if (QDir::isAbsolutePath(relative) || QDir::cleanPath(relative).startsWith(QLatin1String(".."))) {
            check.lines << QStringLiteral("outside: %1: the log names a file outside the folder; it was not read")
                               .arg(relative);
            continue;
        }
        const QString path = currentPath(folder, relative);
        seen.insert(QFileInfo(path).absoluteFilePath());
        const LoggedFile &logged = named[relative];
        if (QFileInfo::exists(path) && !QFileInfo(path).isFile()) // a pipe would never end
            check.lines << QStringLiteral("unreadable: %1: not a regular file").arg(relative);
        else if (QFileInfo::exists(path))
            check.lines << compared(relative, logged, readFileSamples(path));
        else if (logged.deleted && !makesFlac.contains(recordOf.value(relative)))
            check.lines << QStringLiteral("not kept: %1: the rip deleted it after its command, as asked (--delete)")
                               .arg(relative);
        else
            check.lines << QStringLiteral("missing: %1").arg(relative);
    }
    // Audio the log does not name.
    QDirIterator files(folder.path(), {QStringLiteral("*.wav"), QStringLiteral("*.flac")}, QDir::Files,
                       QDirIterator::Subdirectories);
    QStringList extra;
    while (files.hasNext()) {
        const QString path = files.next();
        if (!seen.contains(QFileInfo(path).absoluteFilePath()))
            extra << QStringLiteral("extra: %1").arg(folder.relativeFilePath(path));
    }
    extra.sort();
    check.lines << extra;
    for (const QString &line : std::as_const(check.lines)) {
        const bool notKept = line.startsWith(QLatin1String("not kept: "));
        check.notKept += notKept;
        check.differences += !notKept && !line.startsWith(QLatin1String("ok: "));
    }
    return check;
}

QString ripCheckSummary(const RipCheck &check, const QString &folder)
{
    const QString in = folder.isEmpty() ? QString() : QStringLiteral(" in %1").arg(folder);
    if (check.differences > 0)
        return QStringLiteral("%1 with the rip log%2.")
            .arg(countOf(check.differences, QStringLiteral("difference"), QStringLiteral("differences")), in);
    if (check.notKept == 0)
        return QStringLiteral("All %1%2 match the rip log.")
            .arg(countOf(check.files, QStringLiteral("file"), QStringLiteral("files")), in);
    const int matching = check.files - check.notKept;
    const QString deleted = countOf(check.notKept, QStringLiteral("file"), QStringLiteral("files"));
    if (matching == 0)
        return QStringLiteral("No file%1 to check: the rip deleted %2 after their command.").arg(in, deleted);
    return QStringLiteral("%1%2 %3 the rip log; the rip deleted %4 after their command, which could not be checked.")
        .arg(countOf(matching, QStringLiteral("file"), QStringLiteral("files")), in,
             matching == 1 ? QStringLiteral("matches") : QStringLiteral("match"), deleted);
}
