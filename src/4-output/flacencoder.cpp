#include "4-output/flacencoder.h"

#include <FLAC/stream_encoder.h>
#include <algorithm>
#include <atomic>
#include <cstring>
#include <system_error>

#include "4-output/flacframes.h"

// Exported by libFLAC 1.4 and used by its own flac program, though left out of the public
// header: a chunk's MD5 would be of the chunk alone, and the file computes the stream's.
extern "C" FLAC_API FLAC__bool FLAC__stream_encoder_set_do_md5(FLAC__StreamEncoder *encoder,
                                                              FLAC__bool value);

namespace {
enum { MAX_DONE_WAITING = 2 }; // chunks done before the oldest: the caller waits then

std::atomic<int> helpersTaken{0};

int helperLimit()
{
    static const int limit = qMax(0, int(std::thread::hardware_concurrency()) - 1);
    return limit;
}

bool claimHelper()
{
    int taken = helpersTaken.load();
    while (taken < helperLimit())
        if (helpersTaken.compare_exchange_weak(taken, taken + 1))
            return true;
    return false;
}
} // namespace

struct FlacEncoder::Chunk {
    std::vector<FLAC__int32> samples;
    int frames = 0;            // per channel
    quint64 firstFrame = 0;    // the stream's number of its first FLAC frame
    std::vector<quint8> output; // its frames, numbered as in the stream
    std::vector<std::pair<quint32, quint32>> frameSizes; // bytes and samples of each
    bool started = false;
    bool done = false;
    bool ok = true;
};

// One libFLAC encoder, set up anew for every chunk it encodes.
class FlacEncoder::Worker {
public:
    explicit Worker(const Format &f) : format(f), encoder(FLAC__stream_encoder_new()) {}
    ~Worker()
    {
        if (encoder)
            FLAC__stream_encoder_delete(encoder);
    }

    void encode(Chunk &chunk)
    {
        current = &chunk;
        // finish() puts every setting back to its default: they are made for each chunk.
        bool ok = encoder && FLAC__stream_encoder_set_channels(encoder, uint32_t(format.channels))
               && FLAC__stream_encoder_set_bits_per_sample(encoder, uint32_t(format.bits))
               && FLAC__stream_encoder_set_sample_rate(encoder, uint32_t(format.sampleRate))
               && FLAC__stream_encoder_set_compression_level(encoder, uint32_t(format.compression))
               && FLAC__stream_encoder_set_blocksize(encoder, BLOCK_SIZE)
               && FLAC__stream_encoder_set_do_md5(encoder, false)
               && FLAC__stream_encoder_init_stream(encoder, &Worker::write, nullptr, nullptr,
                                                   nullptr, this)
                      == FLAC__STREAM_ENCODER_INIT_STATUS_OK;
        if (ok)
            ok = FLAC__stream_encoder_process_interleaved(encoder, chunk.samples.data(),
                                                          uint32_t(chunk.frames));
        if (encoder && FLAC__stream_encoder_get_state(encoder) != FLAC__STREAM_ENCODER_UNINITIALIZED)
            ok = FLAC__stream_encoder_finish(encoder) && ok;
        chunk.ok = ok && renumbered;
        renumbered = true;
        current = nullptr;
    }

private:
    static FLAC__StreamEncoderWriteStatus write(const FLAC__StreamEncoder *, const FLAC__byte buffer[],
                                                size_t bytes, uint32_t samples,
                                                uint32_t currentFrame, void *data)
    {
        auto *self = static_cast<Worker *>(data);
        if (samples == 0) // the stream's header and metadata: the file writes its own
            return FLAC__STREAM_ENCODER_WRITE_STATUS_OK;
        Chunk &chunk = *self->current;
        const size_t before = chunk.output.size();
        if (!flacframes::renumber(buffer, bytes, chunk.firstFrame + currentFrame, &chunk.output)) {
            self->renumbered = false;
            return FLAC__STREAM_ENCODER_WRITE_STATUS_FATAL_ERROR;
        }
        chunk.frameSizes.emplace_back(quint32(chunk.output.size() - before), samples);
        return FLAC__STREAM_ENCODER_WRITE_STATUS_OK;
    }

    Format format;
    FLAC__StreamEncoder *encoder;
    Chunk *current = nullptr;
    bool renumbered = true;
};

FlacEncoder::FlacEncoder(const Format &format_, FrameSink sink_)
    : format(format_), sink(std::move(sink_)), own(std::make_unique<Worker>(format_))
{
}

FlacEncoder::~FlacEncoder()
{
    if (helper.joinable()) {
        {
            std::lock_guard<std::mutex> lock(mutex);
            quitting = true;
        }
        changed.notify_all();
        helper.join();
    }
    if (holdsHelper)
        --helpersTaken;
}

int FlacEncoder::helpersInUse()
{
    return helpersTaken.load();
}

bool FlacEncoder::append(const qint32 *samples, int frames)
{
    const size_t channels = size_t(format.channels);
    const int chunkFrames = CHUNK_BLOCKS * BLOCK_SIZE;
    while (frames > 0 && !failed) {
        if (!filling) {
            filling = std::make_unique<Chunk>();
            filling->samples.resize(size_t(chunkFrames) * channels);
        }
        const int take = qMin(frames, chunkFrames - filling->frames);
        std::memcpy(filling->samples.data() + size_t(filling->frames) * channels, samples,
                    size_t(take) * channels * sizeof(qint32));
        filling->frames += take;
        samples += size_t(take) * channels;
        frames -= take;
        if (filling->frames == chunkFrames) {
            submit();
            failed = !keepUp(false);
        }
    }
    return !failed;
}

bool FlacEncoder::finish()
{
    if (!failed && filling && filling->frames > 0)
        submit();
    filling.reset();
    failed = failed || !keepUp(true);
    return !failed;
}

void FlacEncoder::submit()
{
    filling->firstFrame = nextFrame;
    nextFrame += quint64((filling->frames + BLOCK_SIZE - 1) / BLOCK_SIZE);
    if (!holdsHelper && claimHelper()) {
        holdsHelper = true;
        try {
            helper = std::thread(&FlacEncoder::helperLoop, this);
        } catch (const std::system_error &) {
            // No thread to be had: every chunk is encoded here.
            holdsHelper = false;
            --helpersTaken;
        }
    }
    {
        std::lock_guard<std::mutex> lock(mutex);
        chunks.push_back(std::move(filling));
    }
    changed.notify_all();
}

bool FlacEncoder::keepUp(bool all)
{
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
        if (!handOut(lock))
            return false;
        // The chunks nobody has taken, and how many are done but not yet handed out.
        Chunk *oldest = nullptr, *newest = nullptr;
        int waiting = 0, done = 0;
        for (const std::unique_ptr<Chunk> &chunk : chunks) {
            if (!chunk->started) {
                oldest = oldest ? oldest : chunk.get();
                newest = chunk.get();
                ++waiting;
            }
            done += chunk->done ? 1 : 0;
        }
        // The helper takes the oldest chunk waiting; one more than it can take is encoded
        // here, the newest, as is every chunk at the end. While the chunks done behind the
        // helper's pile up, the helper is waited for instead. Without a helper every chunk
        // is encoded here, in order.
        const bool withHelper = helper.joinable();
        Chunk *here = withHelper ? newest : oldest;
        const bool encodeHere = here && (!withHelper || (done < MAX_DONE_WAITING && (all || waiting > 1)));
        if (encodeHere) {
            here->started = true;
            lock.unlock();
            own->encode(*here);
            lock.lock();
            here->done = true;
            continue;
        }
        if (chunks.empty() || (!all && done < MAX_DONE_WAITING))
            return true;
        changed.wait(lock);
    }
}

// Called with the lock held; the sink is called without it.
bool FlacEncoder::handOut(std::unique_lock<std::mutex> &lock)
{
    while (!chunks.empty() && chunks.front()->done) {
        std::unique_ptr<Chunk> chunk = std::move(chunks.front());
        chunks.pop_front();
        lock.unlock();
        bool ok = chunk->ok;
        size_t at = 0;
        for (const auto &[bytes, samples] : chunk->frameSizes) {
            if (!ok)
                break;
            ok = sink(chunk->output.data() + at, bytes, int(samples));
            at += bytes;
        }
        lock.lock();
        if (!ok)
            return false;
    }
    return true;
}

void FlacEncoder::helperLoop()
{
    Worker worker(format);
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
        const auto waiting = [this] {
            return std::find_if(chunks.begin(), chunks.end(),
                                [](const std::unique_ptr<Chunk> &c) { return !c->started; });
        };
        changed.wait(lock, [&] { return quitting || waiting() != chunks.end(); });
        if (quitting)
            return;
        Chunk &chunk = **waiting();
        chunk.started = true;
        lock.unlock();
        worker.encode(chunk);
        lock.lock();
        chunk.done = true;
        // Woken after the unlock, the caller does not block on the mutex at once.
        lock.unlock();
        changed.notify_all();
        lock.lock();
    }
}
