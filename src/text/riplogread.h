#pragma once
// The rip log read back, to check the files it names: each record's output folder, its
// decoded files with their sample counts and CRC-32s, and whether its text still matches
// the checksum it ends with.
#include <QList>
#include <QString>
#include <QStringList>

struct LoggedFile {
    QString path;  // as the record names it, where it was written then
    qint64 frames = 0;
    QString crc32; // 8 lowercase hex digits
    QStringList seconds; // the same for each second of audio, where the record gives them
    bool deleted = false; // the rip deleted it once its command had succeeded (--delete)
};

struct LogRecord {
    enum Seal { Unsealed, Intact, Edited }; // Unsealed: written before records had checksums
    int firstLine = 0; // from 1
    Seal seal = Unsealed;
    QString outputDir;
    QList<LoggedFile> files; // decoded files that were written whole
    QStringList partialFiles; // kept of objects that did not complete (--keep-partial)
};

// The records of a rip log's text, oldest first.
[[nodiscard]] QList<LogRecord> readRipLog(const QString &text);
