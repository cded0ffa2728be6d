#include "pcmtrack.h"

#include <QDir>
#include <QtEndian>

#include "zone/dvdazone.h"
#include "extraction/extractprogress.h"
#include "extraction/objectdump.h"
#include "dumpzone.h"
#include "packs.h"
#include "profile.h"

namespace testzone {

PcmTrack::PcmTrack(int assignment, const PcmGroup &group1, const PcmGroup &group2,
                   int group1Frames, const QList<int> &trackFrames)
    : g1(group1), g2(group2)
{
    s1 = makePcmSamples(g1, group1Frames, 11);
    s2 = makePcmSamples(g2, pcmGroup2Frames(g1, g2, group1Frames), 12);
    const packs::PackedStream stream = packs::packStream(
        packPcm(g1, s1, g2, s2), packs::pcmLayout(pcmFormat(g1, g2, assignment)));
    packCount = stream.count;
    QList<int> firsts;
    QList<quint32> lengths;
    const auto ticks = [this](qint64 frames) {
        return quint32((frames * 90000 + g1.rate / 2) / g1.rate);
    };
    // Where a frame's unit begins in the packed stream: group-2 units go before the group-1
    // units of every ratio-th step.
    const int ratio = pcmRateRatio(g1, g2);
    const int unit1 = g1.bits * g1.channels / 4, unit2 = g2.channels > 0 ? g2.bits * g2.channels / 4 : 0;
    const auto offsetOf = [&](int frame) {
        const int step = frame / 2;
        return step * unit1 + (step + ratio - 1) / ratio * unit2;
    };
    const QList<int> packStarts = dumpzone::packAudioStarts(stream.audioPerPack);
    int at = 0;
    for (int frames : trackFrames.isEmpty() ? QList<int>{group1Frames} : trackFrames) {
        joins << at;
        int first = dumpzone::packOfAudioOffset(stream.audioPerPack, offsetOf(at));
        // Authoring leaves a pack that two tracks share to the one before.
        if (authored() && at > 0 && packStarts.value(first) != offsetOf(at))
            ++first;
        firsts << first;
        lengths << ticks(at + frames) - ticks(at);
        at += frames;
    }
    folder = std::make_unique<ZoneFolder>(dumpzone::timedTracks(stream.packs, firsts, lengths));
    zone = std::make_unique<DVDAZone>(QDir(folder->path()));
}

PcmTrack::~PcmTrack() = default;

DVDATitle *PcmTrack::title() const
{
    if (zone->titlesets.empty() || zone->titlesets[0]->titles.empty())
        return nullptr;
    return zone->titlesets[0]->titles[0];
}

AOBObject *PcmTrack::track(int k) const
{
    if (!title() || int(title()->tracks.size()) <= k)
        return nullptr;
    return title()->tracks[size_t(k)];
}

ResultCode PcmTrack::convertTitle(const QString &basePath, const ExtractOptions &options)
{
    ExtractProgress progress;
    return dumpTitle(title(), basePath, options, progress).code();
}

ResultCode PcmTrack::convert(const QString &basePath, const ExtractOptions &options,
                             std::vector<WrittenFile> *files, int k)
{
    ExtractProgress progress;
    return dumpObject(track(k), basePath, options, progress, nullptr, files).code();
}

std::vector<qint32> PcmTrack::channel(int n) const
{
    return n < g1.channels ? asInt32(g1, channelOf(g1, s1, n))
                           : asInt32(g2, channelOf(g2, s2, n - g1.channels));
}

QByteArray PcmTrack::interleaved(const QList<int> &channels) const
{
    std::vector<std::vector<qint32>> columns;
    for (int n : channels)
        columns.push_back(channel(n));
    QByteArray out;
    for (size_t f = 0; f < columns.front().size(); ++f) {
        for (const auto &column : columns) {
            char le[4];
            qToLittleEndian(column[f], le);
            out.append(le, 4);
        }
    }
    return out;
}

} // namespace testzone
