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

// What measured a file: its own meter, or a whole title's tracks' meters.
std::vector<const LoudnessMeter *> metersOf(const WrittenFile &file)
{
    std::vector<const LoudnessMeter *> meters;
    if (file.partial)
        return meters;
    if (file.loudness)
        meters.push_back(file.loudness.get());
    for (const auto &track : file.trackLoudness)
        meters.push_back(track.second.get());
    return meters;
}

double peakOf(const std::vector<const LoudnessMeter *> &meters)
{
    double peak = 0;
    for (const LoudnessMeter *meter : meters)
        peak = std::max(peak, meter->peak());
    return peak;
}

struct Album {
    std::vector<const LoudnessMeter *> meters;
    double loudness = 0;
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
        for (const WrittenFile &file : check.written) {
            const std::vector<const LoudnessMeter *> meters = metersOf(file);
            Album &album = albums[albumOf(check, perSelection)];
            album.meters.insert(album.meters.end(), meters.begin(), meters.end());
        }
    for (Album &album : albums) {
        album.loudness = LoudnessMeter::loudnessOf(album.meters);
        album.peak = peakOf(album.meters);
    }
    Result result;
    for (ObjectCheck &check : report->checks) {
        const Album &album = albums[albumOf(check, perSelection)];
        for (WrittenFile &file : check.written) {
            const std::vector<const LoudnessMeter *> meters = metersOf(file);
            if (meters.empty())
                continue;
            file.replayGain = {QStringLiteral("REPLAYGAIN_TRACK_GAIN=") + replayGainText(LoudnessMeter::loudnessOf(meters)),
                               QStringLiteral("REPLAYGAIN_TRACK_PEAK=") + replayPeakText(peakOf(meters)),
                               QStringLiteral("REPLAYGAIN_ALBUM_GAIN=") + replayGainText(album.loudness),
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
