#include "extraction/objectdump.h"

#include <memory>

#include "base/pts.h"

#include "stream/packetreader.h"
#include "stream/payloadreader.h"
#include "stream/streamdumper.h"
#include "zone/dvdazone.h"
#include "extraction/extractprogress.h"
#include "extraction/objectcheck.h"
#include "extraction/objectnames.h"
#include "extraction/objectoutput.h"
#include "extraction/pcmtrackcut.h"
#include "extraction/settledfiles.h"
#include "extraction/titleaudio.h"

namespace {
enum {
    LOOK_AHEAD_BLOCKS = 16,
    RUN_BLOCKS = 128, // 256 KiB per read
};

// What one dump reads: a track or an index, or the tracks of a whole title, as one run of
// blocks in one stream.
struct DumpSpan {
    DVDATitleset *titleset = nullptr;
    const AOBObject *opening = nullptr; // the stream's format and where its first audio byte lies
    quint32 first = 0;
    quint32 last = 0;
    int skip = 0; // audio bytes of the first block before the object's first (an MLP major sync, a PCM unit)
    const DVDATitle *title = nullptr;   // a whole title: its tracks, for the progress shown
};

// An MLP object ends at the first major sync of the object after it, which need not lie
// on a block boundary: the audio bytes of the following blocks up to there belong to it.
struct Tail {
    int blocks = 0; // blocks after the object to read
    int limit = 0;  // audio bytes of them that belong to the object
};

Tail followingAudio(DVDATitleset &titleset, const StreamInfo &stream, quint32 last)
{
    // A PCM object takes nothing from what follows it, even when MLP follows.
    if (stream.subStreamId != SUBSTREAM_MLP || !(last < titleset.lastAobBlock))
        return Tail();
    std::vector<quint8> blocks(size_t(LOOK_AHEAD_BLOCKS) * BLOCK_SIZE);
    int count = 0;
    if (titleset.readBlocks(last + 1, LOOK_AHEAD_BLOCKS, blocks.data(), &count).failed())
        return Tail();
    StreamInfo following;
    readStreamInfo(following, blocks.data(), count);
    if (following.majorSyncOffset <= 0)
        return Tail();
    return Tail{count, following.majorSyncOffset};
}

// The worker's progress record, told where the dump stands.
class DumpProgress {
public:
    DumpProgress(ExtractProgress &progress, quint32 first, quint32 last) : record(progress)
    {
        record.firstBlock.store(qint32(first), std::memory_order_relaxed);
        record.currentBlock.store(qint32(first), std::memory_order_relaxed);
        record.lastBlock.store(qint32(last), std::memory_order_relaxed);
    }
    void at(qint64 block)
    {
        record.currentBlock.store(qint32(block), std::memory_order_relaxed);
        // A whole title: the track the block belongs to.
        while (nextTrack < trackStarts.size() && block >= trackStarts[nextTrack].first)
            record.track.store(trackStarts[nextTrack++].second, std::memory_order_relaxed);
    }
    // The first block and number of each track of a whole title, in order.
    void followTracks(std::vector<std::pair<qint64, int>> starts) { trackStarts = std::move(starts); }
    [[nodiscard]] bool stopRequested() const { return record.stopRequested.load(std::memory_order_relaxed); }

private:
    ExtractProgress &record;
    std::vector<std::pair<qint64, int>> trackStarts;
    size_t nextTrack = 0;
};

// What a check counts while the blocks go by: the object's own blocks read, its PCM packs
// and what is wrong with them, and the blocks that could not be read.
class DumpCounts {
public:
    DumpCounts(ObjectCheck *check_, const DumpSpan &span_, const DVDAStreamDumper &dumper_)
        : check(check_), stream(span_.opening->streamInfo), last(span_.last), dumper(dumper_),
          pcm(stream.subStreamId == SUBSTREAM_PCM)
    {
    }
    void pack(qint64 block, const quint8 *pack)
    {
        if (!check || block > qint64(last))
            return;
        ++check->blocksRead;
        if (pcm)
            checkPcmPack(*check, stream, pack, playedMs());
    }
    // A packet of the pack just read had a damaged length or header length.
    void damagedPacket()
    {
        if (!check)
            return;
        ++check->damagedPackets;
        check->noteProblemAt(playedMs());
    }
    void lostPackets(qint64 count)
    {
        if (!check)
            return;
        check->lostPackets += count;
        check->noteProblemAt(playedMs());
    }
    void correctedPackets(qint64 count)
    {
        if (check)
            check->correctedPackets += count;
    }
    void unreadable()
    {
        if (!check)
            return;
        ++check->unreadableBlocks;
        check->noteProblemAt(playedMs());
    }

private:
    // The time in the object the dump has reached.
    qint64 playedMs() const
    {
        const int rate = stream.group1SampleRate;
        return rate > 0 ? dumper.framesDone() * 1000 / rate : 0;
    }

    ObjectCheck *check;
    const StreamInfo &stream;
    quint32 last;
    const DVDAStreamDumper &dumper;
    bool pcm;
};

// The blocks of one object, read in runs and handed pack by pack to the payload reader.
class BlockLoop {
public:
    BlockLoop(const DumpSpan &span, const ExtractOptions &options, DumpProgress &progress_,
              DumpCounts &counts_)
        : titleset(*span.titleset), stream(span.opening->streamInfo), progress(progress_),
          counts(counts_), verifying(options.mode == ModeVerify), first(span.first), last(span.last),
          skip(span.skip)
    {
    }

    // Reads until the last block (and what follows of an MLP object), or until output says
    // it has all of the object. The frames decoded before each point are noted in it.
    Result run(PayloadReader &reader, quint8 *runBuffer, const ObjectOutput &output,
               std::vector<StreamPoint> &points)
    {
        const Tail tail = followingAudio(titleset, stream, last);
        const qint64 end = qint64(last) + tail.blocks;
        for (qint64 runStart = first; runStart <= end;) {
            const int wanted = int(qMin<qint64>(RUN_BLOCKS, end - runStart + 1));
            int got = 0;
            const Result read = titleset.readRun(quint32(runStart), wanted, runBuffer, &got);
            bool done = false;
            for (int i = 0; i < got && !done; ++i) {
                const qint64 block = runStart + i;
                if (progress.stopRequested())
                    return ResultCode::Cancelled;
                progress.at(block);
                const quint8 *pack = runBuffer + size_t(i) * BLOCK_SIZE;
                counts.pack(block, pack);
                armPoint(block, points, reader);
                const qint64 damagedBefore = reader.damagedPackets();
                const qint64 correctedBefore = reader.correctedPackets();
                const qint64 lostBefore = reader.lostPackets();
                const Result handed = reader.read(pack, block == first ? skip : 0,
                                                  block == qint64(last) + 1 ? tail.limit : 0);
                if (reader.damagedPackets() > damagedBefore)
                    counts.damagedPacket();
                counts.correctedPackets(reader.correctedPackets() - correctedBefore);
                if (reader.lostPackets() > lostBefore)
                    counts.lostPackets(reader.lostPackets() - lostBefore);
                notePoint(points, reader);
                if (handed.failed())
                    return handed;
                // Past the object, nothing more is handed on once the limit is used up.
                done = (block > qint64(last) && reader.limitReached()) || output.windowFull();
            }
            if (done)
                return ResultCode::Succeeded;
            if (read.failed()) {
                const qint64 failed = runStart + got;
                if (readsPast(failed)) {
                    counts.unreadable();
                    reader.resync();
                    runStart = failed + 1;
                    continue;
                }
                progress.at(failed); // the block after the last one read is where it failed
                return read;
            }
            runStart += wanted;
        }
        return ResultCode::Succeeded;
    }

private:
    // One point at a time is marked in the reader, from the pack of its block on.
    void armPoint(qint64 block, std::vector<StreamPoint> &points, PayloadReader &reader)
    {
        while (!armed && nextPoint < points.size() && points[nextPoint].block < block)
            ++nextPoint; // a block the loop did not read
        if (!armed && nextPoint < points.size() && points[nextPoint].block == block) {
            reader.markAt(points[nextPoint].offset);
            armed = true;
        }
    }
    void notePoint(std::vector<StreamPoint> &points, const PayloadReader &reader)
    {
        if (armed && reader.markedFrames() >= 0) {
            points[nextPoint++].frames = reader.markedFrames();
            armed = false;
        }
    }

    // A verification reads on past a block of the object it cannot read, counting it; the
    // decoder reports the break in the stream. An extraction stops with the read error.
    [[nodiscard]] bool readsPast(qint64 failedBlock) const { return verifying && failedBlock <= qint64(last); }

    DVDATitleset &titleset;
    const StreamInfo &stream;
    DumpProgress &progress;
    DumpCounts &counts;
    bool verifying;
    quint32 first;
    quint32 last;
    int skip;
    size_t nextPoint = 0;
    bool armed = false;
};

// What a dump writes besides the samples.
struct DumpExtras {
    QStringList comments;  // of FLAC files
    TrackMarks marks;      // of a whole title
    quint64 lengthPts = 0; // as the disc gives it
    bool exactLength = false; // a track's or title's own length, not an index's share
    FrameWindow window;    // of a PCM track cut where its title says it begins and ends
};

// Audio decoded short of or past the length the disc gives, beyond what the stream's own
// cut allows: an MLP object ends at an access unit (1/1200 s), a PCM track cut at its
// samples to a sample a track, one read by whole blocks to a block. Short: a damaged
// first major sync or block made the decoder start late, or an index lost blocks; long:
// an index range or a track count took another track's blocks. Frames missing (> 0) or
// extra (< 0); 0 when within.
qint64 lengthMismatch(const StreamInfo &info, const DumpExtras &extras, qint64 decoded, bool cut, int tracks)
{
    const int rate = info.group1SampleRate;
    if (!extras.exactLength || rate <= 0 || extras.lengthPts == 0)
        return 0;
    const qint64 expected = ptsToSamples(extras.lengthPts, rate);
    qint64 slack = tracks + 1;
    if (info.subStreamId == SUBSTREAM_MLP) {
        slack = 2 * (rate / 1200 + 1);
    } else if (!cut) {
        const PcmGeometry geometry = pcmGeometry(info);
        const int ratio = info.group2Channels > 0 && info.group2SampleRate > 0
                              ? qMax(1, info.group1SampleRate / info.group2SampleRate) : 1;
        slack = geometry.cycleBytes > 0 ? (BLOCK_SIZE / geometry.cycleBytes + 1) * 2 * ratio + 1 : expected;
    }
    return qAbs(expected - decoded) > slack ? expected - decoded : 0;
}

Result dump(const DumpSpan &span, const DumpExtras &extras, const QString &basePath,
            const ExtractOptions &options, ExtractProgress &record, ObjectCheck *check,
            std::vector<WrittenFile> *files)
{
    DVDATitleset *titleset = span.titleset;
    // Blocks past the header's end: either the header is damaged or the object is; its
    // stream was described from blocks cut there, and its audio ends there.
    if (span.last > titleset->lastAobBlock)
        return Result(ResultCode::BlockNotFound,
                      QStringLiteral("blocks %1-%2, past block %3 where the titleset's header ends its audio")
                          .arg(span.first).arg(span.last).arg(titleset->lastAobBlock));
    DumpProgress progress(record, span.first, span.last);
    if (span.title) {
        std::vector<std::pair<qint64, int>> starts;
        for (const DVDATrack *track : span.title->tracks)
            if (!track->indexes.empty())
                starts.emplace_back(track->firstBlock(), track->number);
        progress.followTracks(std::move(starts));
    }
    auto runBuffer = std::make_unique<quint8[]>(size_t(RUN_BLOCKS) * BLOCK_SIZE);
    // A first block that cannot be read (its AOB file missing, say) is reported as such
    // before any file is created.
    const Result firstRead = titleset->readRun(span.first, 1, runBuffer.get(), nullptr);
    if (firstRead.failed())
        return firstRead;
    // First blocks without one audio pack (zero-filled, or an image file that claims more
    // than it records): nothing to store or decode, and no file is made.
    if (span.opening->streamInfo.payloadLength == 0)
        return Result(ResultCode::NoAudio, QStringLiteral("blocks %1-%2 of %3")
                                               .arg(span.first).arg(span.last)
                                               .arg(titleset->fileOfBlock(span.first)));
    const StreamInfo info = span.opening->streamInfo.subStreamId == SUBSTREAM_MLP
                                ? streamInfoWithPayload(titleset, span.opening)
                                : span.opening->streamInfo;
    ObjectOutput output(info, basePath, options,
                        OutputDetails{extras.comments, extras.marks, extras.lengthPts, extras.window});
    if (output.result().failed())
        return output.result();

    DumpCounts counts(check, span, *output.dumper());
    PayloadReader reader(*output.dumper(), info.subStreamId == SUBSTREAM_PCM ? &info : nullptr);
    std::vector<StreamPoint> points = span.title ? trackStartPoints(*span.title) : std::vector<StreamPoint>();
    const Result read = BlockLoop(span, options, progress, counts).run(reader, runBuffer.get(), output, points);
    QStringList notes;
    if (span.title && !extras.marks.empty())
        output.moveMarks(streamCheckedMarks(*span.title, extras.marks, points, info.group1SampleRate, &notes));
    std::vector<WrittenFile> finished;
    const Result closed = output.finish(&finished);
    // A write that failed while reading says where once the files are finished.
    Result result = read.failed() ? read : closed;
    if (read.failed() && read.code() == closed.code() && read.where().isEmpty())
        result = closed;
    result = settleFiles(finished, result, options.keepPartial);
    if (check) {
        output.report(*check);
        if (read.ok() && options.mode != ModeStore) { // a stored stream is not decoded
            const qint64 mismatch = lengthMismatch(info, extras, output.framesKept(), extras.window.cuts(),
                                                   span.title ? int(span.title->tracks.size()) : 1);
            check->missingFrames = qMax<qint64>(0, mismatch);
            check->extraFrames = qMax<qint64>(0, -mismatch);
        }
        check->notes << notes;
        for (const WrittenFile &file : finished)
            check->files << file.path;
        check->written.insert(check->written.end(), finished.begin(), finished.end());
    }
    if (files)
        files->insert(files->end(), finished.begin(), finished.end());
    return result;
}

Result dumpOne(const AOBObject &object, const QString &basePath, const ExtractOptions &options,
               ExtractProgress &record, ObjectCheck *check, std::vector<WrittenFile> *files)
{
    // An object without blocks gets no file. A track without indexes reads first and last
    // block 0, which is the titleset's first block and another object's audio.
    DumpSpan span{object.titleset(), &object, object.firstBlock(), object.lastBlock(),
                  object.streamInfo.majorSyncOffset};
    if (!span.titleset || span.first > span.last
        || (object.kind() == KindTrack && static_cast<const DVDATrack &>(object).indexes.empty()))
        return ResultCode::BlockNotFound;
    DumpExtras extras{objectComments(&object, options.tags, options.metadata.get()), TrackMarks(), object.timePts(),
                      object.kind() == KindTrack, FrameWindow()};
    // A decoded PCM track starts and ends at its own samples, where the stream's time
    // stamps place them; a stored one keeps its whole blocks.
    PcmTrackCut cut;
    if (object.kind() == KindTrack && options.mode != ModeStore
        && cutPcmTrack(static_cast<const DVDATrack &>(object), *span.titleset, &cut)) {
        span.first = cut.first;
        span.last = cut.last;
        span.skip = cut.skip;
        extras.window = cut.window;
    }
    return dump(span, extras, basePath, options, record, check, files);
}

Result dumpWholeTitle(const DVDATitle &title, const QString &basePath,
                      const ExtractOptions &options, ExtractProgress &record, ObjectCheck *check,
                      std::vector<WrittenFile> *files)
{
    TitleAudio audio;
    const Result found = titleAudio(title, &audio);
    if (found.failed())
        return found;
    const DumpSpan span{title.titleset(), audio.opening, audio.first, audio.last,
                        audio.opening->streamInfo.majorSyncOffset, &title};
    if (!span.titleset)
        return ResultCode::BlockNotFound;
    const DumpExtras extras{objectComments(&title, options.tags, options.metadata.get()), titleMarks(title, options.metadata.get()), audio.lengthPts, true,
                            FrameWindow()};
    return dump(span, extras, basePath, options, record, check, files);
}

// The check and the progress record hear how the dump ended.
Result reported(const Result &result, const DVDAObject *object, const AOBObject *opening,
                ExtractProgress &progress, ObjectCheck *check)
{
    if (check) {
        check->object = object;
        check->mlp = opening && opening->streamInfo.subStreamId == SUBSTREAM_MLP;
        check->pcm = opening && opening->streamInfo.subStreamId == SUBSTREAM_PCM;
        check->result = result.code();
        check->where = result.where();
    }
    progress.lastResult.store(result.code(), std::memory_order_relaxed);
    return result;
}
} // namespace

StreamInfo streamInfoWithPayload(DVDATitleset *titleset, const AOBObject *object)
{
    StreamInfo info = object->streamInfo;
    std::vector<quint8> blocks(size_t(LOOK_AHEAD_BLOCKS) * BLOCK_SIZE);
    int count = 0;
    if (!titleset
        || titleset->readBlocks(object->firstBlock(), LOOK_AHEAD_BLOCKS, blocks.data(), &count).failed())
        return info;
    StreamInfo read;
    readStreamInfo(read, blocks.data(), count);
    info.payload = std::move(read.payload);
    info.payloadLength = read.payloadLength;
    return info;
}

Result dumpObject(const AOBObject *object, const QString &basePath, const ExtractOptions &options,
                  ExtractProgress &progress, ObjectCheck *check, std::vector<WrittenFile> *files)
{
    const Result result = object ? dumpOne(*object, basePath, options, progress, check, files)
                                 : Result(ResultCode::ObjectKind);
    return reported(result, object, object, progress, check);
}

Result dumpTitle(const DVDATitle *title, const QString &basePath, const ExtractOptions &options,
                 ExtractProgress &progress, ObjectCheck *check, std::vector<WrittenFile> *files)
{
    const Result result = title ? dumpWholeTitle(*title, basePath, options, progress, check, files)
                                : Result(ResultCode::ObjectKind);
    const AOBObject *opening = title && !title->tracks.empty() ? title->tracks.front() : nullptr;
    return reported(result, title, opening, progress, check);
}
