#include "dump/dumpobject.h"

#include <memory>

#include "dump/mlpstreamdumper.h"
#include "dump/objectcheck.h"
#include "dump/packetreader.h"
#include "dump/pcmstreamdumper.h"
#include "dump/streamdumper.h"
#include "extract/extractprogress.h"
#include "extract/extractresult.h"
#include "zone/dvdazone.h"

int extractPayload(StreamInfo &info, const quint8 *pack, int skip, int limit)
{
    if (skip > 0)
        info.skip = skip;
    if (limit > 0)
        info.limit = limit;
    int result = 0;
    forEachPrivatePacket(pack, [&](const quint8 *payload, int length) {
        // Once a write failed, the rest of the pack is not written after it.
        if (result != 0)
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
enum { LOOK_AHEAD_BLOCKS = 16 };

// Everything a dump needs beyond the stack of a thread, made once per object.
struct DumpBuffers {
    StreamInfo work;      // the object's stream description with the working counters
    StreamInfo following; // what the blocks after the object begin with
    quint8 block[BLOCK_SIZE];
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
    if (dumper->result != 0) {
        *result = dumper->result;
        dumper->finish();
        delete dumper;
        return nullptr;
    }
    *result = 0;
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
    titleset->readBlocks(last + 1, LOOK_AHEAD_BLOCKS, buffers.lookAhead, &count);
    if (count <= 0)
        return 0;
    readStreamInfo(buffers.following, buffers.lookAhead, count);
    if (buffers.following.majorSyncOffset <= 0)
        return 0;
    *limit = buffers.following.majorSyncOffset;
    return count;
}

int dump(AOBObject *object, const QString &basePath, const ExtractOptions &options,
         JobQueue *jobs, ExtractProgress &progress, ObjectCheck *check)
{
    DVDAZone *zone = currentZone;
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

    auto buffers = std::make_unique<DumpBuffers>();
    buffers->work = object->streamInfo;
    int result = 0;
    DVDAStreamDumper *dumper = makeDumper(buffers->work, basePath, options, jobs, &result);
    if (!dumper)
        return result;

    progress.firstBlock.store(qint32(first), std::memory_order_relaxed);
    progress.currentBlock.store(qint32(first), std::memory_order_relaxed);
    progress.lastBlock.store(qint32(last), std::memory_order_relaxed);

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
    for (qint64 block = first; block <= end; ++block) {
        if (progress.stopRequested.load(std::memory_order_relaxed)) {
            result = ErrCancelled;
            break;
        }
        progress.currentBlock.store(qint32(block), std::memory_order_relaxed);
        result = titleset->readBlock(quint32(block), buffers->block);
        const bool inObject = block <= qint64(last);
        const qint64 ms = rate > 0 ? dumper->frames * 1000 / rate : 0;
        // A verification reads on: every unreadable block is counted, and the decoder
        // reports the break in the stream. An extraction stops with the read error.
        if (result != 0 && verifying && inObject) {
            if (check) {
                ++check->unreadableBlocks;
                check->noteProblemAt(ms);
            }
            result = 0;
            continue;
        }
        if (result != 0)
            break;
        if (check && inObject) {
            ++check->blocksRead;
            if (pcm)
                checkPcmPack(*check, object->streamInfo, buffers->block, ms);
        }
        const int skip = block == first ? object->streamInfo.majorSyncOffset : 0;
        const int blockLimit = block == qint64(last) + 1 ? limit : 0;
        result = extractPayload(work, buffers->block, skip, blockLimit);
        if (result != 0)
            break;
        // Past the object, nothing more is written once the limit is used up.
        if (block > qint64(last) && work.limit == -1)
            break;
    }
    work.dumper = nullptr;
    const int closed = dumper->finish();
    if (check)
        dumper->report(*check);
    delete dumper;
    if (result == 0)
        result = closed;
    return result;
}
} // namespace

int dumpObject(AOBObject *object, const QString &basePath, const ExtractOptions &options,
               JobQueue *jobs, ExtractProgress &progress, ObjectCheck *check)
{
    const int result = object ? dump(object, basePath, options, jobs, progress, check)
                              : int(ErrObjectKind);
    if (check) {
        check->object = object;
        check->mlp = object && object->streamInfo.subStreamId == SUBSTREAM_MLP;
        check->result = result;
    }
    progress.lastResult.store(result, std::memory_order_relaxed);
    return result;
}
