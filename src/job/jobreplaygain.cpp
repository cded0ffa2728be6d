#include "job/jobreplaygain.h"

#include <QFileInfo>
#include <QHash>
#include <algorithm>

#include "extraction/extraction.h"
#include "output/loudnessmeter.h"
#include "output/replaygaintags.h"
#include "zone/objectpath.h"

namespace {
// The album an object's files belong to: its title, or one for the whole selection.
const void *albumOf(const ObjectCheck &check, bool perSelection)
{
    return perSelection ? nullptr : static_cast<const void *>(objectPath(check.object).title);
}

struct Album {
    std::vector<const LoudnessMeter *> meters;
    double peak = 0;
};
} // namespace

Result applyReplayGain(ExtractionReport *report)
{
    if (!report->options.replayGain)
        return ResultCode::Succeeded;
    const bool perSelection = report->options.albumPerSelection;
    QHash<const void *, Album> albums;
    for (const ObjectCheck &check : std::as_const(report->checks))
        for (const WrittenFile &file : check.written)
            if (file.loudness && !file.partial) {
                Album &album = albums[albumOf(check, perSelection)];
                album.meters.push_back(file.loudness.get());
                album.peak = std::max(album.peak, file.loudness->peak());
            }
    Result result;
    for (ObjectCheck &check : report->checks) {
        const Album album = albums.value(albumOf(check, perSelection));
        const double albumLoudness = LoudnessMeter::loudnessOf(album.meters);
        for (WrittenFile &file : check.written) {
            if (!file.loudness || file.partial)
                continue;
            file.replayGain = {QStringLiteral("REPLAYGAIN_TRACK_GAIN=") + replayGainText(file.loudness->loudness()),
                               QStringLiteral("REPLAYGAIN_TRACK_PEAK=") + replayPeakText(file.loudness->peak()),
                               QStringLiteral("REPLAYGAIN_ALBUM_GAIN=") + replayGainText(albumLoudness),
                               QStringLiteral("REPLAYGAIN_ALBUM_PEAK=") + replayPeakText(album.peak)};
            for (const auto &[track, meter] : file.trackLoudness)
                file.trackReplayGain << QStringLiteral("track %1: REPLAYGAIN_TRACK_GAIN=%2; REPLAYGAIN_TRACK_PEAK=%3")
                                            .arg(track)
                                            .arg(replayGainText(meter->loudness()), replayPeakText(meter->peak()));
            // Wave files have no such tags: the rip log keeps their figures.
            if (!file.path.endsWith(QLatin1String(".flac")) || !QFileInfo::exists(file.path))
                continue;
            const Result tagged = writeReplayGainTags(file.path, file.replayGain);
            if (tagged.failed() && result.ok())
                result = tagged;
        }
    }
    return result;
}
