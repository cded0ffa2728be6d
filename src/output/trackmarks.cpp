#include "output/trackmarks.h"

#include <QFile>
#include <QFileInfo>

#include "base/pts.h"
#include "output/outputfile.h"
#include "output/stagedfile.h"

qint64 markSample(const TrackMark &mark, int sampleRate)
{
    if (mark.frame >= 0 && mark.frameRate > 0)
        return mark.frameRate == sampleRate ? mark.frame
                                            : (mark.frame * sampleRate + mark.frameRate / 2) / mark.frameRate;
    return ptsToSamples(mark.pts, sampleRate);
}

QString markLabel(const TrackMark &mark)
{
    return mark.index <= 1 ? QString::asprintf("Track %02d", mark.track)
                           : QString::asprintf("Track %02d Index %02d", mark.track, mark.index);
}

QString cueSheet(const TrackMarks &marks, const QString &fileName, int sampleRate)
{
    // A cue sheet's quoted values cannot hold a '"': it becomes a "'".
    const auto quoted = [](QString value) { return QLatin1Char('"') + value.replace(QLatin1Char('"'), QLatin1Char('\'')) + QLatin1Char('"'); };
    QString text;
    if (!marks.zone.isEmpty())
        text += QStringLiteral("REM ZONE %1\n").arg(quoted(marks.zone));
    if (!marks.title.isEmpty())
        text += QStringLiteral("REM TITLE %1\n").arg(quoted(marks.title));
    if (!marks.sheetPerformer.isEmpty())
        text += QStringLiteral("PERFORMER %1\n").arg(quoted(marks.sheetPerformer));
    if (!marks.sheetTitle.isEmpty())
        text += QStringLiteral("TITLE %1\n").arg(quoted(marks.sheetTitle));
    text += QStringLiteral("FILE %1 WAVE\n").arg(quoted(fileName));
    int track = 0;
    for (const TrackMark &mark : marks.marks) {
        if (mark.track != track) {
            track = mark.track;
            text += QString::asprintf("  TRACK %02d AUDIO\n", track);
            if (!mark.title.isEmpty())
                text += QStringLiteral("    TITLE %1\n").arg(quoted(mark.title));
            if (!mark.performer.isEmpty())
                text += QStringLiteral("    PERFORMER %1\n").arg(quoted(mark.performer));
        }
        // Frames of 1/75 s up to the sample the mark falls on, cut to whole frames.
        const qint64 frames = sampleRate > 0 ? markSample(mark, sampleRate) * 75 / sampleRate : 0;
        text += QString::asprintf("    INDEX %02d %02lld:%02lld:%02lld\n", mark.index,
                                  static_cast<long long>(frames / (75 * 60)),
                                  static_cast<long long>(frames / 75 % 60),
                                  static_cast<long long>(frames % 75));
    }
    return text;
}

Result writeCueSheet(const TrackMarks &marks, const QString &audioPath, const QString &path, int sampleRate)
{
    QFile file;
    if (!openOutputFile(file, stagingPath(path)))
        return Result(ResultCode::CreateOutput, QStringLiteral("%1: %2").arg(path, file.errorString()));
    const QByteArray text = cueSheet(marks, QFileInfo(audioPath).fileName(), sampleRate).toUtf8();
    const bool written = file.write(text) == text.size() && file.flush();
    const QString reason = file.errorString();
    file.close();
    return written ? Result() : Result(ResultCode::WriteOutput, QStringLiteral("%1: %2").arg(path, reason));
}
