#include "text/riplogread.h"

#include <QRegularExpression>
#include <QStringList>

#include "text/riplog.h"

namespace {
const char recordStart[] = "==== Kestrova ";

// "Options: output: /music/rip; mode: convert; ..." ("outputDir: " in records of before
// the options took the command line's names).
QString outputDirOf(const QString &line)
{
    static const QRegularExpression options(QStringLiteral("^Options: (?:output|outputDir): (.*); mode: "));
    const QRegularExpressionMatch match = options.match(line);
    return match.hasMatch() ? match.captured(1) : QString();
}

// The lines of a file's entry after its name, up to the next file or object.
[[nodiscard]] bool commandSucceeded(const QStringList &lines, int from)
{
    for (int k = from; k < lines.size() && lines[k].startsWith(QLatin1String("    ")); ++k)
        if (lines[k].startsWith(QLatin1String("    command: ")) && lines[k].endsWith(QLatin1String(" exited with status 0")))
            return true;
    return false;
}

LogRecord readRecord(const QStringList &lines, int firstLine)
{
    static const QRegularExpression samples(
        QStringLiteral("^    (\\d+) samples, .*CRC32 of the samples ([0-9a-f]{8})"));
    LogRecord record;
    record.firstLine = firstLine;
    const QString text = lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
    if (!lines.isEmpty() && lines.last().startsWith(QLatin1String("Record SHA-256: ")))
        record.seal = recordIntact(text) ? LogRecord::Intact : LogRecord::Edited;
    bool deleting = false; // the record's options: each file deleted once its command succeeded
    for (int k = 0; k < lines.size(); ++k) {
        const QString &line = lines[k];
        if (line.startsWith(QLatin1String("Options: "))) {
            record.outputDir = outputDirOf(line);
            deleting = line.contains(QLatin1String("; delete: true;"));
        }
        // A file's line, then its samples' line; a partial file or a stored stream has none.
        if (!line.startsWith(QLatin1String("  ")) || line.startsWith(QLatin1String("   ")) || k + 1 >= lines.size())
            continue;
        static const QString partialMark = QStringLiteral(" (partial: its object did not complete)");
        if (line.endsWith(partialMark)) {
            record.partialFiles << line.mid(2, line.size() - 2 - partialMark.size());
            continue;
        }
        const QRegularExpressionMatch match = samples.match(lines[k + 1]);
        if (!match.hasMatch())
            continue;
        LoggedFile file{line.mid(2), match.captured(1).toLongLong(), match.captured(2), {}};
        const QString secondsLabel = QStringLiteral("    CRC32 of each second: ");
        if (k + 2 < lines.size() && lines[k + 2].startsWith(secondsLabel))
            file.seconds = lines[k + 2].mid(secondsLabel.size()).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        file.deleted = deleting && commandSucceeded(lines, k + 2);
        record.files.append(file);
    }
    return record;
}
} // namespace

QList<LogRecord> readRipLog(const QString &text)
{
    QList<LogRecord> records;
    const QStringList lines = text.split(QLatin1Char('\n'));
    int start = -1;
    const auto close = [&](int end) {
        if (start < 0)
            return;
        QStringList own = lines.mid(start, end - start);
        while (!own.isEmpty() && own.last().isEmpty())
            own.removeLast();
        records.append(readRecord(own, start + 1));
    };
    for (int k = 0; k < lines.size(); ++k)
        if (lines[k].startsWith(QLatin1String(recordStart))) {
            close(k);
            start = k;
        }
    close(int(lines.size()));
    return records;
}
