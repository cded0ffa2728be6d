#include "output/samplefilesink.h"

#include <QFile>
#include <QFileInfo>
#include <cstring>

#include "stream/channeltable.h"
#include "output/outputfile.h"
#include "output/samplechecksum.h"
#include "output/stagedfile.h"

bool mergeInEffect(const StreamInfo &format, bool merge, bool acrossDepths)
{
    return merge && format.group2Channels > 0
        && format.group1SampleRate == format.group2SampleRate
        && (acrossDepths || format.group1Bits == format.group2Bits);
}

OutputLayout chooseLayout(const StreamInfo &format, bool merge, bool split, bool downmix,
                          bool acrossDepths)
{
    if (split)
        return OutputLayout::Split;
    if (mergeInEffect(format, merge, acrossDepths))
        return OutputLayout::Merged;
    if (downmix)
        return OutputLayout::Downmix;
    return OutputLayout::Groups;
}

SampleFileSink::SampleFileSink(const StreamInfo &format_, OutputLayout layout, FileNamer names)
    : format(format_), chosen(layout), namer(std::move(names))
{
    format.dropPayload();
    const int channels = format.channels();
    // More channels than there are slots is no row of the table: nothing is laid out.
    if (format.group1Channels < 0 || format.group2Channels < 0 || channels > SLOTS) {
        state = ResultCode::BadChannels;
        return;
    }
    for (int n = 0; n < channels; ++n)
        outputPosition[n] = qBound(0, channelOrder(format, n), channels - 1);
    placeChannels();
}

SampleFileSink::~SampleFileSink()
{
    // A sink dropped before finish (its object failed to start) leaves nothing: its files,
    // under their staging names, were never complete.
    for (std::unique_ptr<SampleFile> &file : files) {
        if (file && file->isOpen()) {
            (void)file->finish();
            (void)removeOutputFile(file->path());
        }
    }
}

std::vector<LayoutFile> layoutFiles(const StreamInfo &f, OutputLayout layout)
{
    const int c1 = f.group1Channels, c2 = f.group2Channels;
    const int b1 = f.group1Bits, b2 = f.group2Bits;
    const int r1 = f.group1SampleRate, r2 = f.group2SampleRate;
    std::vector<LayoutFile> made;
    if (layout == OutputLayout::Split) {
        for (int n = 0; n < c1 + c2; ++n) {
            const bool first = n < c1;
            const int bits = first ? b1 : b2, rate = first ? r1 : r2;
            made.push_back({n, 1, rate, bits, channelMask(f, n), channelName(f, n)});
        }
        return made;
    }
    int mask1 = 0, mask2 = 0;
    QString names1, names2, allNames;
    describeChannels(f, &mask1, &mask2, &names1, &names2, &allNames);
    if (c1 > 0) {
        const int deeper = qMax(b1, b2); // merged groups of two depths take the deeper one
        if (layout == OutputLayout::Merged)
            made.push_back({0, c1 + c2, r1, deeper, mask1 | mask2, allNames});
        else if (layout == OutputLayout::Downmix)
            made.push_back({0, 2, r1, b1, 0x3, QStringLiteral("Downmix")});
        else
            made.push_back({0, c1, r1, b1, mask1, names1});
    }
    if (c2 > 0 && layout == OutputLayout::Groups)
        made.push_back({1, c2, r2, b2, mask2, names2});
    return made;
}

Result SampleFileSink::openSlot(const LayoutFile &spec)
{
    // A header with no rate, depth or channel is no audio file: a damaged stream
    // description, which no player could read.
    const FileName name = namer(spec);
    const QString &path = name.path;
    const ResultCode bad = spec.channels <= 0 ? ResultCode::BadChannels
                           : spec.rate <= 0   ? ResultCode::BadSampleRate
                           : spec.bits <= 0   ? ResultCode::UnknownDepth
                                              : ResultCode::Succeeded;
    if (bad != ResultCode::Succeeded)
        return state = Result(bad,
                              QStringLiteral("%1: %2 channels, %3 Hz, %4 bits").arg(path)
                                  .arg(spec.channels).arg(spec.rate).arg(spec.bits));
    std::unique_ptr<SampleFile> &file = files[spec.slot];
    file = makeFile();
    file->setMarks(marks);
    file->setExpectedLength(expectedPts);
    finalNames[spec.slot] = name;
    if (measuring) {
        if (!loudnessWork)
            loudnessWork = std::make_unique<LoudnessWork>(measuringInLine);
        // A whole title's samples are measured once, by track: the file's figures are its
        // tracks' taken together. The first track takes whatever comes before its mark.
        trackMeters[spec.slot].clear();
        for (const TrackMark &mark : marks.marks)
            if (mark.index == 1)
                trackMeters[spec.slot].push_back(
                    {mark.track, trackMeters[spec.slot].empty() ? 0 : markSample(mark, spec.rate),
                     std::make_shared<LoudnessMeter>(spec.channels, spec.rate, spec.bits, spec.mask)});
        if (trackMeters[spec.slot].empty())
            meters[spec.slot] = std::make_shared<LoudnessMeter>(spec.channels, spec.rate, spec.bits, spec.mask);
    }
    if (file->open(stagingPath(path), spec.channels, spec.rate, spec.bits, spec.mask))
        return ResultCode::Succeeded;
    const QString reason = file->errorText();
    file.reset();
    return state = Result(ResultCode::CreateOutput, QStringLiteral("%1: %2").arg(path, reason));
}

Result SampleFileSink::open()
{
    if (state.failed())
        return state;
    // Once one file cannot be created the output is over: no further file is made.
    for (const LayoutFile &spec : layoutFiles(format, chosen)) {
        const Result opened = openSlot(spec);
        if (opened.failed())
            return opened;
    }
    return ResultCode::Succeeded;
}

Result SampleFileSink::finish(std::vector<WrittenFile> *finished)
{
    if (loudnessWork)
        loudnessWork->finish(); // every meter has its figures
    Result result;
    for (std::unique_ptr<SampleFile> &file : files) {
        if (!file || !file->isOpen())
            continue;
        const int slot = int(&file - files);
        const bool finished_ = file->finish();
        // A file that got no sample stands for nothing (the object stopped before its first
        // block, or the disc was full): it is removed, not listed.
        if (!gotSamples[slot])
            (void)removeOutputFile(file->path());
        if (!finished_) {
            if (result != ResultCode::WriteOutput)
                result = Result(file->lostSamples() ? ResultCode::WriteOutput : ResultCode::CloseOutput,
                                QStringLiteral("%1: %2").arg(finalNames[slot].path, file->errorText()));
        }
        // What a failed finish kept (cut back to whole frames) is left on the disc: listed,
        // partial, for whoever settles the object's files.
        if (!gotSamples[slot] || !QFileInfo::exists(file->path()))
            continue;
        WrittenFile written{finalNames[slot].path, QString(), !finished_, file->channels, file->sampleRate, file->bits,
                            framesOf[slot], crc32Text(file->samplesCrc()), file->formatMd5(), file->secondsCrc(),
                            meters[slot], {}, {}, {}};
        for (const TrackMeter &track : trackMeters[slot])
            written.trackLoudness.emplace_back(track.track, track.meter);
        if (!marks.empty() && finished_ && !finalNames[slot].cueSheet.isEmpty()) {
            const Result sheet = writeCueSheet(marks, finalNames[slot].path, finalNames[slot].cueSheet,
                                               file->sampleRate);
            if (sheet.ok())
                written.cueSheet = finalNames[slot].cueSheet;
            else if (result.ok())
                result = sheet;
        }
        finished->push_back(written);
    }
    if (result.failed() && state.ok())
        state = result;
    return result;
}

// The frames from firstFrame on, each to the track whose mark came last before it.
void SampleFileSink::measureTracks(int slot, const quint8 *room, qint64 firstFrame, qint64 frames, qint64 bytes)
{
    const std::vector<TrackMeter> &tracks = trackMeters[slot];
    if (tracks.empty() || frames <= 0)
        return;
    const qint64 perFrame = bytes / frames, end = firstFrame + frames;
    for (size_t k = 0; k < tracks.size(); ++k) {
        const qint64 from = qMax(firstFrame, tracks[k].firstFrame);
        const qint64 to = qMin(end, k + 1 < tracks.size() ? tracks[k + 1].firstFrame : end);
        if (to > from)
            loudnessWork->add(*tracks[k].meter, room + (from - firstFrame) * perFrame, (to - from) * perFrame);
    }
}

void SampleFileSink::placeChannels()
{
    const bool downmix = chosen == OutputLayout::Downmix; // two channels in group 1's format
    const int c1 = downmix ? 2 : format.group1Channels, c2 = downmix ? 0 : format.group2Channels;
    const int size1 = sampleBytes(format.group1Bits), size2 = sampleBytes(format.group2Bits);
    Placement &at = placement;
    at.channels = c1 + c2;
    switch (chosen) {
    case OutputLayout::Split: // a file per channel
        for (int n = 0; n < c1 + c2; ++n) {
            at.slot[n] = n;
            (n < c1 ? at.perFrame1 : at.perFrame2)[n] = n < c1 ? size1 : size2;
        }
        at.stride1 = size1;
        at.stride2 = size2;
        break;
    case OutputLayout::Merged: { // one file, each channel at its output position
        // A shallower group's samples fill the top bytes of the deeper one's width; the
        // bytes below stay zero: the sample widened with zero low bits.
        const int size = qMax(size1, size2);
        widened = c2 > 0 && size1 != size2;
        for (int n = 0; n < c1 + c2; ++n)
            at.offset[n] = outputPosition[n] * size + size - (n < c1 ? size1 : size2);
        at.perFrame1[0] = at.stride1 = at.stride2 = (c1 + c2) * size;
        break;
    }
    case OutputLayout::Groups:
    case OutputLayout::Downmix: // a file per group
        for (int n = 0; n < c1 + c2; ++n) {
            at.slot[n] = n < c1 ? 0 : 1;
            at.offset[n] = n < c1 ? n * size1 : (n - c1) * size2;
        }
        at.perFrame1[0] = at.stride1 = c1 * size1;
        at.perFrame2[1] = at.stride2 = c2 * size2;
        break;
    }
}

void SampleFileSink::moveMarks(const TrackMarks &m)
{
    if (m.marks.size() != marks.marks.size())
        return;
    marks = m;
    for (const auto &file : files)
        if (file)
            file->moveMarks(m);
}

SampleSink::Targets SampleFileSink::reserve(int frames1, int frames2)
{
    qint64 need[SLOTS];
    quint8 *room[SLOTS] = {};
    qint64 scratchBytes = 0;
    for (int slot = 0; slot < SLOTS; ++slot) {
        need[slot] = qint64(frames1) * placement.perFrame1[slot]
                   + qint64(frames2) * placement.perFrame2[slot];
        room[slot] = need[slot] > 0 && files[slot] ? files[slot]->reserve(need[slot]) : nullptr;
        reserved[slot] = room[slot] != nullptr;
        roomOf[slot] = room[slot];
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
    if (widened && room[0])
        std::memset(room[0], 0, size_t(need[0]));
    Targets at;
    for (int n = 0; n < placement.channels; ++n) {
        quint8 *slotBase = room[placement.slot[n]]; // null: no frames for that file
        at.channel[n] = slotBase ? slotBase + placement.offset[n] : nullptr;
    }
    at.stride1 = placement.stride1;
    at.stride2 = placement.stride2;
    return at;
}

Result SampleFileSink::commit(int frames1, int frames2)
{
    for (int slot = 0; slot < SLOTS; ++slot) {
        if (!reserved[slot])
            continue;
        const qint64 bytes = qint64(frames1) * placement.perFrame1[slot] + qint64(frames2) * placement.perFrame2[slot];
        // A file of group 2 alone counts group 2's frames; every other one group 1's.
        const qint64 frames = placement.perFrame1[slot] > 0 ? frames1 : frames2;
        if (meters[slot])
            loudnessWork->add(*meters[slot], roomOf[slot], bytes);
        measureTracks(slot, roomOf[slot], framesOf[slot], frames, bytes);
        framesOf[slot] += frames;
        files[slot]->commit(bytes);
        gotSamples[slot] = gotSamples[slot] || bytes > 0;
    }
    if (roomRefused && state.ok())
        state = ResultCode::WriteOutput;
    return roomRefused ? Result(ResultCode::WriteOutput) : Result(ResultCode::Succeeded);
}
