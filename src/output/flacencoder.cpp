#include "output/flacencoder.h"

#include <FLAC/stream_encoder.h>
#include <algorithm>
#include <cstring>
#include <system_error>

#include "base/threadbudget.h"
#include "output/flacframes.h"

// Exported by libFLAC 1.4 and used by its own flac program, though left out of the public
// header: a chunk's MD5 would be of the chunk alone, and the file computes the stream's.
extern "C" FLAC_API FLAC__bool FLAC__stream_encoder_set_do_md5(FLAC__StreamEncoder *encoder,
                                                              FLAC__bool value);

namespace {
enum {
    MAX_DONE_WAITING = 2, // chunks done before the oldest: the caller waits then
    CHUNK_FRAMES = FlacEncoder::CHUNK_BLOCKS * FlacEncoder::BLOCK_SIZE,
};
} // namespace

struct FlacEncoder::Chunk {
    std::vector<FLAC__int32> samples; // channel by channel, CHUNK_FRAMES each
    int frames = 0;            // per channel
    quint64 firstFrame = 0;    // the stream's number of its first FLAC frame
    std::vector<quint8> output; // its frames, numbered as in the stream
    std::vector<std::pair<quint32, quint32>> frameSizes; // bytes and samples of each
    bool started = false;
    bool done = false;
    bool ok = true;

    // The buffers stay: a chunk is filled many times, and never needs them to grow again.
    void reuse()
    {
        frames = 0;
        output.clear();
        frameSizes.clear();
        started = done = false;
        ok = true;
    }
    FLAC__int32 *channel(int c) { return samples.data() + size_t(c) * CHUNK_FRAMES; }
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
        if (ok) {
            const FLAC__int32 *channels[MAX_CHANNELS] = {};
            for (int c = 0; c < format.channels; ++c)
                channels[c] = chunk.channel(c);
            ok = FLAC__stream_encoder_process(encoder, channels, uint32_t(chunk.frames));
        }
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
        threadbudget::giveBack();
}

FlacEncoder::Room FlacEncoder::room(int frames)
{
    Room room;
    if (failed || format.channels > MAX_CHANNELS)
        return room;
    if (!filling) {
        if (spare.empty()) {
            filling = std::make_unique<Chunk>();
            filling->samples.resize(size_t(CHUNK_FRAMES) * size_t(format.channels));
            // Frames come out smaller than the samples went in, all but always.
            filling->output.reserve(filling->samples.size() * sizeof(FLAC__int32) / 2);
        } else {
            filling = std::move(spare.back());
            spare.pop_back();
            filling->reuse();
        }
    }
    for (int c = 0; c < format.channels; ++c)
        room.channel[c] = filling->channel(c) + filling->frames;
    room.frames = qMin(frames, CHUNK_FRAMES - filling->frames);
    return room;
}

bool FlacEncoder::commit(int frames)
{
    if (failed || !filling)
        return false;
    filling->frames += frames;
    if (filling->frames == CHUNK_FRAMES) {
        submit();
        failed = !keepUp(false);
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
    if (!holdsHelper && threadbudget::takeSpare()) {
        holdsHelper = true;
        try {
            helper = std::thread(&FlacEncoder::helperLoop, this);
        } catch (const std::system_error &) {
            // No thread to be had: every chunk is encoded here.
            holdsHelper = false;
            threadbudget::giveBack();
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
        spare.push_back(std::move(chunk));
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
