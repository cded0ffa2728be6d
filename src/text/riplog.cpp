#include "text/riplog.h"

#include "text/counted.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFileInfo>

#include "zone/dvdazone.h"
#include "text/checkreport.h"
#include "text/objectselector.h"
#include "text/optionstext.h"
#include "stream/decoderversion.h"
#include "output/flacversion.h"
#include "output/samplechecksum.h"
#include "text/resulttext.h"
#include "kestrova_version.h"

namespace {

QString tr(const char *text, int n = -1)
{
    return QCoreApplication::translate("RipLog", text, nullptr, n);
}

// "0:01:12", "1:02:03".
QString elapsedText(qint64 ms)
{
    const qint64 s = ms / 1000;
    return QString::asprintf("%lld:%02lld:%02lld", s / 3600, s / 60 % 60, s % 60);
}

// "00:02:34.567" of frames at a rate.
QString durationText(qint64 frames, int rate)
{
    return rate > 0 ? checkTimeText(frames * 1000 / rate) : QStringLiteral("?");
}

qint64 fileSize(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() ? info.size() : 0;
}

// The disc ID of the zone the objects came from.
QString discIdText(const ExtractionReport &report)
{
    for (const ObjectCheck &check : report.checks)
        if (const auto *zone = check.object ? static_cast<const DVDAZone *>(check.object->ancestor(KindZone)) : nullptr)
            return zone->discId;
    return tr("(none)");
}

// Where the objects came from: the folder, or the image or drive and its volume label.
QString zoneText(const ExtractionReport &report)
{
    for (const ObjectCheck &check : report.checks) {
        const auto *zone = check.object ? static_cast<const DVDAZone *>(check.object->ancestor(KindZone)) : nullptr;
        if (!zone || !zone->source)
            continue;
        if (!zone->source->image)
            return zone->source->origin;
        return tr("%1 (disc image, volume %2)").arg(zone->source->origin, zone->source->volumeName);
    }
    return tr("(none)");
}

} // namespace

namespace {
const char recordChecksumLabel[] = "Record SHA-256: ";

// Of the record's text up to its last line, as UTF-8, in hex.
QString recordChecksum(const QString &text)
{
    return QString::fromLatin1(QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Sha256).toHex());
}
} // namespace

QString runSummaryText(const ExtractionReport &report)
{
    int files = 0, partial = 0, failures = 0;
    qint64 bytes = 0;
    for (const ObjectCheck &check : report.checks) {
        failures += check.result != ResultCode::Succeeded;
        for (const WrittenFile &file : check.written) {
            ++files;
            partial += file.partial;
            bytes += fileSize(file.path) + (file.cueSheet.isEmpty() ? 0 : fileSize(file.cueSheet));
        }
    }
    for (const CommandRecord &command : report.commands)
        failures += !command.ok;
    QString text = tr("%1 written").arg(countOf(files, tr("file"), tr("files")));
    if (partial > 0)
        text += tr(" (%n partial)", partial);
    text += tr(", %1 MB, in %2").arg(bytes / 1e6, 0, 'f', 1).arg(elapsedText(report.elapsedMs));
    if (failures > 0)
        text += QStringLiteral(", ") + countOf(failures, tr("failure"), tr("failures"));
    return text;
}

QString ripLogText(const ExtractionReport &report)
{
    QString text;
    const auto line = [&text](const QString &l) { text += l + QLatin1Char('\n'); };
    line(QStringLiteral("==== Kestrova " KESTROVA_VERSION ", %1")
             .arg(report.started.toString(Qt::ISODate)));
    line(tr("Zone: %1").arg(zoneText(report)));
    line(tr("Disc ID: %1").arg(discIdText(report)));
    line(tr("Libraries: %1, %2").arg(decoderLibraryVersion(), flacLibraryVersion()));
    line(tr("Options: %1").arg(optionsText(report.options).trimmed().split(QLatin1Char('\n'))
                                   .join(QStringLiteral("; "))));
    for (int k = 0; k < report.checks.size(); ++k) {
        const ObjectCheck &check = report.checks.at(k);
        line(tr("%1: %2").arg(selectorOf(check.object), resultText(Result(check.result, check.where))));
        if (report.options.mode != ModeStore)
            line(tr("  verify: %1  %2").arg(checkStatusText(checkStatus(check)), checkDetail(check)));
        for (const QString &note : check.notes)
            line(tr("  note: %1").arg(note));
        for (const WrittenFile &file : check.written) {
            line(QStringLiteral("  ") + file.path + (file.partial ? tr(" (partial: its object did not complete)")
                                                                  : QString()));
            if (file.partial)
                line(tr("    %1 bytes").arg(fileSize(file.path)));
            else if (file.frames >= 0)
                line(tr("    %1 samples, %2, %3 Hz, %4 bits, %5 channels, CRC32 of the samples %6%7")
                         .arg(file.frames)
                         .arg(durationText(file.frames, file.sampleRate))
                         .arg(file.sampleRate)
                         .arg(file.bits)
                         .arg(file.channels)
                         .arg(file.crc32)
                         .arg(file.formatMd5.isEmpty() ? QString()
                                                       : tr(", FLAC MD5 %1").arg(QString::fromLatin1(file.formatMd5))));
            else
                line(tr("    %1 bytes of the stored stream").arg(fileSize(file.path)));
            if (!file.partial && file.secondsCrc.size() > 1) {
                QStringList seconds;
                for (const quint32 crc : file.secondsCrc)
                    seconds << crc32Text(crc);
                line(tr("    CRC32 of each second: %1").arg(seconds.join(QLatin1Char(' '))));
            }
            if (!file.cueSheet.isEmpty())
                line(tr("    cue sheet: %1").arg(file.cueSheet));
            if (!file.replayGain.isEmpty())
                line(tr("    ReplayGain: %1").arg(file.replayGain.join(QStringLiteral("; "))));
            for (const QString &track : file.trackReplayGain)
                line(tr("    ReplayGain of %1").arg(track));
            for (const CommandRecord &command : report.commands)
                if (command.path == file.path)
                    line(tr("    command: %1").arg(command.outcome));
        }
    }
    line(tr("Result: %1").arg(resultText(report.result)));
    line(tr("Summary: %1").arg(runSummaryText(report)));
    line(QLatin1String(recordChecksumLabel) + recordChecksum(text));
    return text + QLatin1Char('\n');
}

bool recordIntact(const QString &record)
{
    const QStringList lines = record.trimmed().split(QLatin1Char('\n'));
    if (lines.isEmpty() || !lines.last().startsWith(QLatin1String(recordChecksumLabel)))
        return false;
    const QString body = lines.mid(0, lines.size() - 1).join(QLatin1Char('\n')) + QLatin1Char('\n');
    return lines.last().mid(int(qstrlen(recordChecksumLabel))) == recordChecksum(body);
}

namespace {
int damagedObjects(const ExtractionReport &report)
{
    int damaged = 0;
    for (const ObjectCheck &check : report.checks)
        damaged += check.damaged() && !check.written.empty();
    return damaged;
}

int filesWritten(const ExtractionReport &report)
{
    int files = 0;
    for (const ObjectCheck &check : report.checks)
        for (const WrittenFile &file : check.written)
            files += !file.partial;
    return files;
}
} // namespace

bool outcomeClean(const ExtractionReport &report, bool objectsLeftOut, const Result &log)
{
    return report.result.ok() && damagedObjects(report) == 0 && !objectsLeftOut && log.ok();
}

QString outcomeText(const ExtractionReport &report, bool objectsLeftOut, const Result &log)
{
    if (report.result == ResultCode::Cancelled)
        return resultText(report.result);
    int failed = 0;
    for (const ObjectCheck &check : report.checks)
        failed += check.result != ResultCode::Succeeded;
    if (report.result.failed() && !(report.options.keepGoing && failed > 0))
        return resultText(report.result);
    if (failed > 0)
        return tr("Extracted %1 of %2 objects; %3 failed.")
            .arg(report.objectCount - failed).arg(report.objectCount).arg(failed);
    if (outcomeClean(report, objectsLeftOut, log))
        return resultText(report.result);
    QStringList what;
    const int damaged = damagedObjects(report);
    if (damaged > 0)
        what << tr("%n damaged", damaged);
    if (objectsLeftOut)
        what << tr("objects the zone's damage hid were left out");
    if (log.failed())
        what << tr("the rip log cannot be written (%1)").arg(log.where());
    return tr("Extracted %1; ").arg(countOf(filesWritten(report), tr("file"), tr("files"))) + what.join(QStringLiteral("; ")) + QLatin1Char('.');
}
