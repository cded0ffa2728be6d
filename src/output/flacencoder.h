#pragma once
// The FLAC frames of one stream, encoded by libFLAC, the reference encoder. libFLAC 1.4
// encodes on one thread; frames of FLAC depend on nothing before them, so the stream is
// cut into chunks of whole blocks, each encoded by an encoder of its own, on a helper
// thread and on the caller's thread side by side, and the frames handed out in order,
// numbered as one stream. A helper is a spare thread of the program's budget, asked for
// at each chunk until one is had: where none is, the caller encodes every chunk itself.
#include <QtGlobal>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>


class FlacEncoder {
public:
    enum {
        BLOCK_SIZE = 4096,  // samples of a channel per frame, as flac -5 uses
        CHUNK_BLOCKS = 16,  // frames per chunk: a chunk holds a few hundred KB to a few MB
    };
    struct Format {
        int channels = 0;
        int bits = 0; // 4 to 24 here: 16, 20 or 24
        int sampleRate = 0;
        int compression = 5; // 0 to 8, as flac -0 .. -8
    };
    // Takes each frame, in stream order, on the thread that calls append and finish;
    // samples is the frames's block size. False stops the encoding (a write failed).
    using FrameSink = std::function<bool(const quint8 *frame, size_t size, int samples)>;

    FlacEncoder(const Format &format, FrameSink sink);
    // Ends the helper; frames not yet handed out are dropped.
    ~FlacEncoder();
    FlacEncoder(const FlacEncoder &) = delete;
    FlacEncoder &operator=(const FlacEncoder &) = delete;

    enum { MAX_CHANNELS = 8 };
    // Where up to `frames` frames of samples go, channel by channel: sample k of channel c
    // at channel[c][k], right-justified at the format's depth. Null channels once
    // encoding or the sink failed.
    struct Room {
        qint32 *channel[MAX_CHANNELS] = {};
        int frames = 0; // may be fewer than asked for: ask again for the rest
    };
    [[nodiscard]] Room room(int frames);
    // Takes the first `frames` frames of the room given last. False once encoding or the
    // sink failed.
    [[nodiscard]] bool commit(int frames);
    // Encodes what is left and hands out every frame; false if anything failed.
    [[nodiscard]] bool finish();

private:
    struct Chunk;
    class Worker;

    void submit();
    // Encodes waiting chunks on this thread while the helper lags behind, and hands out
    // the chunks that are done, in order.
    [[nodiscard]] bool keepUp(bool all);
    [[nodiscard]] bool handOut(std::unique_lock<std::mutex> &lock);
    void helperLoop();

    Format format;
    FrameSink sink;
    std::unique_ptr<Worker> own; // the caller's encoder
    std::unique_ptr<Chunk> filling;
    // Chunks handed out, kept with their buffers for the next ones (the caller's thread's).
    std::vector<std::unique_ptr<Chunk>> spare;
    quint64 nextFrame = 0;       // the stream's number of the next chunk's first frame
    bool failed = false;

    std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::unique_ptr<Chunk>> chunks; // submitted, in stream order, until handed out
    bool quitting = false;
    bool holdsHelper = false;
    std::thread helper;
};
