#pragma once
// One PCM track of known samples in a written zone, converted through the dump driver,
// and FFmpeg's reading of what was written (not this program's), sample for sample.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

#include "base/result.h"
#include "output/outputsink.h"
#include "extraction/extractoptions.h"
#include "pcmpacking.h"
#include "testzone.h"
#include "externaltools.h"

class AOBObject;
class DVDATitle;
class DVDAZone;

namespace testzone {

// A zone with one PCM track holding the packed samples of both groups; or with a title of
// several tracks cut from the one stream at group-1 frames trackFrames (each track's
// length), each starting in the block where its first sample lies (under the authored
// profile, a block two tracks share goes to the one before), with its length as the
// difference of its end and start times, each the nearest 90 kHz tick.
struct PcmTrack {
    PcmTrack(int assignment, const PcmGroup &group1, const PcmGroup &group2, int group1Frames,
             const QList<int> &trackFrames = {});
    ~PcmTrack();

    AOBObject *track(int k = 0) const;
    DVDATitle *title() const;
    ResultCode convert(const QString &basePath, const ExtractOptions &options,
                       std::vector<WrittenFile> *files = nullptr, int track = 0);
    // The whole title, as --per-title extracts it.
    ResultCode convertTitle(const QString &basePath, const ExtractOptions &options);
    // Stream channel n's samples as 32-bit left-justified values.
    std::vector<qint32> channel(int n) const;
    // The stream channels listed, interleaved frame by frame, as s32le.
    QByteArray interleaved(const QList<int> &channels) const;

    PcmGroup g1, g2;
    PcmSamples s1, s2;
    int packCount = 0;
    QList<qint64> joins; // the group-1 frame where each track begins
    std::unique_ptr<ZoneFolder> folder;
    std::unique_ptr<DVDAZone> zone;
};

} // namespace testzone
