#pragma once
// The loudness meters of one sink fed on a thread of their own. libebur128's filters take
// about 9 ns a sample; on the thread that decodes (one thread decodes a whole MLP stream)
// they would hold up the file. Committed samples are copied into a batch, which costs a
// small part of measuring them, and measured there, batch by batch in the order given.
// A few batches may wait, so that the thread that fills them is not held up whenever the
// cores are busy with encoding. Where no thread can be had, or where the caller knows the
// cores are kept busy anyway, they are measured in line.
#include <QtGlobal>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

class LoudnessMeter;

class LoudnessWork {
public:
    explicit LoudnessWork(bool measureInLine = false) : inLine(measureInLine) {}
    // Measures what is queued, then ends the thread.
    ~LoudnessWork();
    LoudnessWork(const LoudnessWork &) = delete;
    LoudnessWork &operator=(const LoudnessWork &) = delete;

    // Queues count bytes of whole frames for meter, which must stay until finish.
    void add(LoudnessMeter &meter, const quint8 *bytes, qint64 count);
    // Returns once every sample queued has been measured.
    void finish();

private:
    enum { BATCH_BYTES = 1 << 20, MAX_WAITING = 2 };
    struct Part {
        LoudnessMeter *meter;
        size_t offset, size;
    };
    struct Batch {
        std::vector<quint8> bytes;
        std::vector<Part> parts;
        void measure() const;
    };
    // Queues the batch filled, once fewer than MAX_WAITING wait.
    void submit();
    void loop();

    Batch filling;
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<Batch> waiting; // the first one is being measured; it leaves once measured
    std::vector<Batch> spare;  // measured, kept for their buffers
    bool quitting = false;
    bool inLine = false; // measured in line: the caller asked so, or no thread could be had
    std::thread thread;
};
