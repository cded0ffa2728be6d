#include "4-output/formattedstreamdumper.h"

#include "5-extraction/objectcheck.h"
#include "2-stream/packetreader.h"
#include "1-base/result.h"
#include "5-extraction/jobqueue.h"

namespace {

QString waveSuffix(const QString &names, int bits, int rate)
{
    return QStringLiteral("-[%1]-%2-%3.wav").arg(names).arg(bits).arg(rate);
}

} // namespace

bool DVDAFormattedStreamDumper::mergeInEffect(const StreamInfo &info,
                                              const ExtractOptions &options)
{
    return options.merge && info.group2Channels > 0
        && info.group1SampleRate == info.group2SampleRate
        && info.group1Bits == info.group2Bits;
}

DVDAFormattedStreamDumper::DVDAFormattedStreamDumper(const StreamInfo &info_,
                                                     const QString &basePath,
                                                     const ExtractOptions &options_,
                                                     JobQueue *jobs_)
    : DVDAFormattedStreamDumper(info_, basePath, options_, jobs_, 0)
{
}

DVDAFormattedStreamDumper::DVDAFormattedStreamDumper(const StreamInfo &info_,
                                                     const QString &basePath,
                                                     const ExtractOptions &options_,
                                                     JobQueue *jobs_, int refusal)
    : info(info_), options(options_), jobs(jobs_)
{
    info.dumper = nullptr; // the copy is ours; the driver's working record keeps its own
    options.merge = mergeInEffect(info, options);
    if (options.split)
        layout = LayoutSplit;
    else if (options.merge)
        layout = LayoutMerged;
    else if (options.downmix)
        layout = LayoutDownmix;

    const int channels = info.group1Channels + info.group2Channels;
    if (refusal == 0 && (info.group1Channels < 0 || info.group2Channels < 0 || channels > SLOTS))
        refusal = ErrAllocConverter; // more channels than there are slots: not a table row
    if (refusal != 0) {
        result = refusal;
        return;
    }
    for (int n = 0; n < channels; ++n)
        outputPosition[n] = qBound(0, channelOrder(info, n), channels - 1);
    placeChannels();
    if (options.mode != ModeVerify)
        openFiles(basePath);
}

DVDAFormattedStreamDumper::~DVDAFormattedStreamDumper()
{
    // A destructor cannot report; the driver finished and checked whatever mattered.
    (void)finish();
}

bool DVDAFormattedStreamDumper::openSlot(int slot, const QString &path, int channels,
                                         int rate, int bits, int mask)
{
    if (slotFiles[slot].open(path, channels, rate, bits, mask, options.oldFormat))
        return true;
    result = ErrCreateOutput;
    return false;
}

void DVDAFormattedStreamDumper::openFiles(const QString &basePath)
{
    const int c1 = info.group1Channels, c2 = info.group2Channels;
    const int b1 = info.group1Bits, b2 = info.group2Bits;
    const int r1 = info.group1SampleRate, r2 = info.group2SampleRate;

    // Once one file cannot be created the dump is over: no further file is made.
    if (layout == LayoutSplit) {
        for (int n = 0; n < c1 + c2; ++n) {
            const bool first = n < c1;
            const int bits = first ? b1 : b2, rate = first ? r1 : r2;
            if (!openSlot(n, basePath + waveSuffix(channelName(info, n), bits, rate), 1, rate,
                          bits, channelMask(info, n)))
                return;
        }
        return;
    }

    int mask1 = 0, mask2 = 0;
    QString names1, names2, allNames;
    describeChannels(info, &mask1, &mask2, &names1, &names2, &allNames);
    if (c1 > 0) {
        bool opened;
        if (layout == LayoutMerged)
            opened = openSlot(0, basePath + waveSuffix(allNames, b1, r1), c1 + c2, r1, b1,
                              mask1 | mask2);
        else if (layout == LayoutDownmix)
            opened = openSlot(0, basePath + QStringLiteral("-[Downmix]-%1-%2.wav").arg(b1).arg(r1),
                              2, r1, b1, 0x3);
        else
            opened = openSlot(0, basePath + waveSuffix(names1, b1, r1), c1, r1, b1, mask1);
        if (!opened)
            return;
    }
    // A failure is in `result` already; nothing follows either way.
    if (c2 > 0 && layout == LayoutGroups)
        (void)openSlot(1, basePath + waveSuffix(names2, b2, r2), c2, r2, b2, mask2);
}

int DVDAFormattedStreamDumper::finish()
{
    int code = ExtractSucceeded;
    for (WaveFile &wave : slotFiles) {
        if (!wave.isOpen())
            continue;
        if (!wave.finish()) {
            if (code != ErrWriteOutput)
                code = wave.lostSamples() ? ErrWriteOutput : ErrCloseOutput;
            continue;
        }
        if (options.run && jobs)
            jobs->add(wave.path(), wave.channels, wave.sampleRate, wave.bits);
    }
    if (code != ExtractSucceeded && result == ExtractSucceeded)
        result = code;
    return code;
}

void DVDAFormattedStreamDumper::report(ObjectCheck &check) const
{
    for (const WaveFile &wave : slotFiles)
        if (!wave.path().isEmpty())
            check.files << wave.path();
}

void DVDAFormattedStreamDumper::placeChannels()
{
    const bool downmix = layout == LayoutDownmix; // two channels in group 1's format
    const int c1 = downmix ? 2 : info.group1Channels, c2 = downmix ? 0 : info.group2Channels;
    const int size1 = (info.group1Bits + 7) / 8, size2 = (info.group2Bits + 7) / 8;
    Placement &at = placement;
    at.channels = c1 + c2;
    switch (layout) {
    case LayoutSplit: // a file per channel
        for (int n = 0; n < c1 + c2; ++n) {
            at.slot[n] = n;
            (n < c1 ? at.perFrame1 : at.perFrame2)[n] = n < c1 ? size1 : size2;
        }
        at.stride1 = size1;
        at.stride2 = size2;
        break;
    case LayoutMerged: // one file, each channel at its output position
        for (int n = 0; n < c1 + c2; ++n)
            at.offset[n] = outputPosition[n] * size1;
        at.perFrame1[0] = at.stride1 = at.stride2 = (c1 + c2) * size1;
        break;
    case LayoutGroups:
    case LayoutDownmix: // a file per group
        for (int n = 0; n < c1 + c2; ++n) {
            at.slot[n] = n < c1 ? 0 : 1;
            at.offset[n] = n < c1 ? n * size1 : (n - c1) * size2;
        }
        at.perFrame1[0] = at.stride1 = c1 * size1;
        at.perFrame2[1] = at.stride2 = c2 * size2;
        break;
    }
}

DVDAFormattedStreamDumper::SampleTargets DVDAFormattedStreamDumper::reserveSamples(int frames1,
                                                                                    int frames2)
{
    qint64 need[SLOTS];
    quint8 *room[SLOTS] = {};
    qint64 scratchBytes = 0;
    for (int slot = 0; slot < SLOTS; ++slot) {
        need[slot] = qint64(frames1) * placement.perFrame1[slot]
                   + qint64(frames2) * placement.perFrame2[slot];
        room[slot] = need[slot] > 0 ? slotFiles[slot].reserve(need[slot]) : nullptr;
        reserved[slot] = room[slot] != nullptr;
        if (need[slot] > 0 && !room[slot])
            scratchBytes = qMax(scratchBytes, need[slot]);
    }
    roomRefused = scratchBytes > 0;
    if (scratchBytes > qint64(scratch.size()))
        scratch.resize(size_t(scratchBytes));
    // The samples of a file that cannot take them are dropped; files share the scratch.
    for (int slot = 0; slot < SLOTS; ++slot)
        if (need[slot] > 0 && !room[slot])
            room[slot] = scratch.data();
    SampleTargets at;
    for (int n = 0; n < placement.channels; ++n) {
        quint8 *base = room[placement.slot[n]]; // null: no frames for that file
        at.channel[n] = base ? base + placement.offset[n] : nullptr;
    }
    at.stride1 = placement.stride1;
    at.stride2 = placement.stride2;
    return at;
}

bool DVDAFormattedStreamDumper::commitSamples(int frames1, int frames2)
{
    framesDone += frames1;
    if (options.mode == ModeVerify)
        return true;
    for (int slot = 0; slot < SLOTS; ++slot)
        if (reserved[slot])
            slotFiles[slot].commit(qint64(frames1) * placement.perFrame1[slot]
                                   + qint64(frames2) * placement.perFrame2[slot]);
    return !roomRefused;
}
