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
    QStringList order;
    for (const LogRecord &record : records) {
        if (record.seal == LogRecord::Edited)
            check.lines << QStringLiteral("edited: the record at line %1 of %2 no longer matches its checksum")
                               .arg(record.firstLine).arg(QLatin1String(RIP_LOG_NAME));
        const QDir then(record.outputDir);
        for (const LoggedFile &file : record.files) {
            const QString relative = record.outputDir.isEmpty() ? QFileInfo(file.path).fileName()
                                                                : then.relativeFilePath(file.path);
            if (!named.contains(relative))
                order << relative;
            named.insert(relative, file);
        }
    }
    QSet<QString> seen;
    for (const QString &relative : std::as_const(order)) {
        if (stop && stop->load()) {
            check.error = QStringLiteral("stopped before %1").arg(relative);
            return check;
        }
        const QString path = currentPath(folder, relative);
        seen.insert(QFileInfo(path).absoluteFilePath());
        ++check.files;
        check.lines << (QFileInfo::exists(path) ? compared(relative, named.value(relative), readFileSamples(path))
                                                : QStringLiteral("missing: %1").arg(relative));
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
    for (const QString &line : std::as_const(check.lines))
        check.differences += !line.startsWith(QLatin1String("ok: "));
    return check;
}
