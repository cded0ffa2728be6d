#include "5-extraction/dumpobject.h"

#include <memory>

#include "2-stream/mlpstreamdumper.h"
#include "5-extraction/objectcheck.h"
#include "2-stream/packetreader.h"
#include "2-stream/pcmstreamdumper.h"
#include "2-stream/streamdumper.h"
#include "5-extraction/extractprogress.h"
#include "1-base/result.h"
#include "3-zone/dvdazone.h"

int extractPayload(StreamInfo &info, const quint8 *pack, int skip, int limit)
{
    if (skip > 0)
        info.skip = skip;
    if (limit > 0)
        info.limit = limit;
    int result = ExtractSucceeded;
    forEachPrivatePacket(pack, [&](const quint8 *payload, int length) {
        // Once a write failed, the rest of the pack is not written after it.
        if (result != ExtractSucceeded)
            return;
        const quint8 *audio = payload + privateHeaderLength(payload, length);
        const int n = qMax(0, int(payload + length - audio));
        const quint8 *begin = audio;
        const quint8 *end = audio + n;
        bool wholeSkipped = false;
        if (info.skip > 0) {
            if (info.skip >= n) {
                info.skip -= n;
                wholeSkipped = true;
            } else {
                begin += info.skip;
                info.skip = -1;
            }
        }
        // The limit counts from the first audio byte of its pack, skipped bytes included.
        if (info.limit > 0 && info.limit < n)
            end = audio + info.limit;
        if (!wholeSkipped && info.limit != -1 && end > begin) {
            result = info.dumper ? info.dumper->write(begin, int(end - begin))
                                 : int(ErrAssignConverter);
        }
        if (info.limit > 0)
            info.limit = info.limit <= n ? -1 : info.limit - n;
    });
    return result;
}

namespace {
enum {
    LOOK_AHEAD_BLOCKS = 16,
    RUN_BLOCKS = 128, // 256 KiB per read
};

// Everything a dump needs beyond the stack of a thread, made once per object.
struct DumpBuffers {
    StreamInfo work;      // the object's stream description with the working counters
    StreamInfo following; // what the blocks after the object begin with
    quint8 run[RUN_BLOCKS * BLOCK_SIZE];
    quint8 lookAhead[LOOK_AHEAD_BLOCKS * BLOCK_SIZE];
};

// "-[L-R]-24-96000.pcm": channel names by group, group-1 bits and rate, stream type.
QString storeSuffix(const StreamInfo &info)
{
    QString suffix;
    if (info.subStreamId == SUBSTREAM_PCM || info.subStreamId == SUBSTREAM_MLP) {
        QString group1, group2;
        describeChannels(info, nullptr, nullptr, &group1, &group2, nullptr);
        if (info.group2Channels == 0)
            suffix = QString::asprintf("-[%s]-%d-%d", qPrintable(group1), info.group1Bits,
                                       info.group1SampleRate);
        else
            suffix = QString::asprintf("-[%s-%s]-%d-%d", qPrintable(group1),
                                       qPrintable(group2), info.group1Bits,
                                       info.group1SampleRate);
    }
    if (info.subStreamId == SUBSTREAM_PCM)
        return suffix + QStringLiteral(".pcm");
    if (info.subStreamId == SUBSTREAM_MLP)
        return suffix + QStringLiteral(".mlp");
    return suffix + QStringLiteral(".raw");
}

// The decoding writers (wave files); null when there is none for this stream.
DVDAStreamDumper *makeConvertDumper(const StreamInfo &info, const QString &basePath,
                                    const ExtractOptions &options, JobQueue *jobs)
{
    if (info.subStreamId == SUBSTREAM_PCM)
        return new DVDAPCMStreamDumper(info, basePath, options, jobs);
    if (info.subStreamId == SUBSTREAM_MLP)
        return new DVDAMLPStreamDumper(info, basePath, options, jobs);
    return nullptr;
}

// The dumper for the options, or null with *result set.
DVDAStreamDumper *makeDumper(const StreamInfo &info, const QString &basePath,
                             const ExtractOptions &options, JobQueue *jobs, int *result)
{
    DVDAStreamDumper *dumper = nullptr;
    if (options.mode == ModeStore) {
        dumper = new DVDARawStreamDumper(info, basePath + storeSuffix(info), options, jobs);
    } else if (options.mode == ModeVerify) {
        // Everything the stream holds is decoded, however damaged: no downmix, and
        // decoding resumes at the next major sync after an error.
        ExtractOptions verify = options;
        verify.downmix = verify.merge = verify.split = verify.run = false;
        verify.streamErrors = true;
        dumper = makeConvertDumper(info, basePath, verify, jobs);
    } else if (options.mode == ModeConvert) {
        // Only a stream with a second substream carries a stereo downmix (PCM never does).
        if (options.downmix && info.substreams <= 1) {
            *result = ErrDownmix;
            return nullptr;
        }
        dumper = makeConvertDumper(info, basePath, options, jobs);
    }
    if (!dumper) {
        *result = ErrAllocConverter;
        return nullptr;
    }
    if (dumper->result != ExtractSucceeded) {
        *result = dumper->result;
        // The constructor's failure is the one to report; closing what it made is cleanup.
        (void)dumper->finish();
        delete dumper;
        return nullptr;
    }
    *result = ExtractSucceeded;
    return dumper;
}

// An MLP object ends at the first major sync of the object after it, which need not lie
// on a block boundary: the audio bytes of the following blocks up to there belong to it.
// Returns how many blocks after the object to read (0 for none) and sets *limit.
int lookAhead(DVDATitleset *titleset, const AOBObject *object, DumpBuffers &buffers,
              int *limit)
{
    *limit = 0;
    const quint32 last = object->lastBlock();
    // A PCM object takes nothing from what follows it, even when MLP follows.
    if (object->streamInfo.subStreamId != SUBSTREAM_MLP || !(last < titleset->lastAobBlock))
        return 0;
    int count = 0;
    if (titleset->readBlocks(last + 1, LOOK_AHEAD_BLOCKS, buffers.lookAhead, &count)
        != ExtractSucceeded)
        return 0;
    readStreamInfo(buffers.following, buffers.lookAhead, count);
    if (buffers.following.majorSyncOffset <= 0)
        return 0;
    *limit = buffers.following.majorSyncOffset;
    return count;
}

[[nodiscard]] int dump(DVDAZone *zone, AOBObject *object, const QString &basePath,
         const ExtractOptions &options, JobQueue *jobs, ExtractProgress &progress,
         ObjectCheck *check)
{
    if (!zone)
        return ErrNoZone;
    const int position = object->titlesetPos;
    if (position < 0 || size_t(position) >= zone->titlesets.size())
        return ErrNoTitleset;
    DVDATitleset *titleset = zone->titlesets[size_t(position)];
    // An object without blocks gets no file. A track without indexes reads first and last
    // block 0, which is the titleset's first block and another object's audio.
    const quint32 first = object->firstBlock();
    const quint32 last = object->lastBlock();
    if (first > last
        || (object->kind() == KindTrack && static_cast<DVDATrack *>(object)->indexes.empty()))
        return ErrBlockNotFound;

    progress.firstBlock.store(qint32(first), std::memory_order_relaxed);
    progress.currentBlock.store(qint32(first), std::memory_order_relaxed);
    progress.lastBlock.store(qint32(last), std::memory_order_relaxed);

    auto buffers = std::make_unique<DumpBuffers>();
    // A first block that cannot be read (its AOB file missing, say) is reported as such
    // before any file is created.
    int result = titleset->readRun(first, 1, buffers->run, nullptr);
    if (result != ExtractSucceeded)
        return result;
    buffers->work = object->streamInfo.subStreamId == SUBSTREAM_MLP
                        ? streamInfoWithPayload(titleset, object)
                        : object->streamInfo;
    DVDAStreamDumper *dumper = makeDumper(buffers->work, basePath, options, jobs, &result);
    if (!dumper)
        return result;

    int limit = 0;
    const int following = lookAhead(titleset, object, *buffers, &limit);

    StreamInfo &work = buffers->work;
    work.dumper = dumper;
    work.skip = 0;
    work.limit = 0;
    const qint64 end = qint64(last) + following;
    const bool verifying = options.mode == ModeVerify;
    const bool pcm = work.subStreamId == SUBSTREAM_PCM;
    const int rate = work.group1SampleRate;
    const auto playedMs = [&] { return rate > 0 ? dumper->framesDone * 1000 / rate : 0; };
    // Blocks are read in runs; each is then handled on its own, as it lies in the run.
    for (qint64 runStart = first; runStart <= end && result == 0;) {
        const int wanted = int(qMin<qint64>(RUN_BLOCKS, end - runStart + 1));
        int got = 0;
        const int runResult = titleset->readRun(quint32(runStart), wanted, buffers->run, &got);
        bool done = false;
        for (int i = 0; i < got && !done; ++i) {
            const qint64 block = runStart + i;
            if (progress.stopRequested.load(std::memory_order_relaxed)) {
                result = ErrCancelled;
                break;
            }
            progress.currentBlock.store(qint32(block), std::memory_order_relaxed);
            const quint8 *pack = buffers->run + size_t(i) * BLOCK_SIZE;
            if (check && block <= qint64(last)) {
                ++check->blocksRead;
                if (pcm)
                    checkPcmPack(*check, object->streamInfo, pack, playedMs());
            }
            const int skip = block == first ? object->streamInfo.majorSyncOffset : 0;
            const int blockLimit = block == qint64(last) + 1 ? limit : 0;
            result = extractPayload(work, pack, skip, blockLimit);
            // Past the object, nothing more is written once the limit is used up.
            done = result != 0 || (block > qint64(last) && work.limit == -1);
        }
        if (done)
            break;
        const qint64 failed = runStart + got;
        // A verification reads on past a block it cannot read, counting it; the decoder
        // reports the break in the stream. An extraction stops with the read error.
        if (result == 0 && runResult != 0 && verifying && failed <= qint64(last)) {
            if (check) {
                ++check->unreadableBlocks;
                check->noteProblemAt(playedMs());
            }
            runStart = failed + 1;
            continue;
        }
        if (result == 0 && runResult != 0) {
            // The block after the last one read is where it failed.
            progress.currentBlock.store(qint32(runStart + got), std::memory_order_relaxed);
            result = runResult;
        }
        runStart += wanted;
    }
    work.dumper = nullptr;
    const int closed = dumper->finish();
    if (check)
        dumper->report(*check);
    delete dumper;
    if (result == ExtractSucceeded)
        result = closed;
    return result;
}
} // namespace

StreamInfo streamInfoWithPayload(DVDATitleset *titleset, const AOBObject *object)
{
    StreamInfo info = object->streamInfo;
    std::vector<quint8> blocks(size_t(LOOK_AHEAD_BLOCKS) * BLOCK_SIZE);
    int count = 0;
    if (!titleset || titleset->readBlocks(object->firstBlock(), LOOK_AHEAD_BLOCKS, blocks.data(), &count)
                         != ExtractSucceeded)
        return info;
    StreamInfo read;
    readStreamInfo(read, blocks.data(), count);
    info.payload = std::move(read.payload);
    info.payloadLength = read.payloadLength;
    return info;
}

int dumpObject(DVDAZone *zone, AOBObject *object, const QString &basePath,
               const ExtractOptions &options, JobQueue *jobs, ExtractProgress &progress,
               ObjectCheck *check)
{
    const int result = object ? dump(zone, object, basePath, options, jobs, progress, check)
                              : int(ErrObjectKind);
    if (check) {
        check->object = object;
        check->mlp = object && object->streamInfo.subStreamId == SUBSTREAM_MLP;
        check->result = result;
    }
    progress.lastResult.store(result, std::memory_order_relaxed);
    return result;
}
