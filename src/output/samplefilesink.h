#pragma once
// The decoded samples of one object in files of one format: from the channel groups and
// the layout it makes the files (one per group, per channel, all merged, or the
// downmix), gives a dumper room for its samples straight in the files' buffers and
// finishes the files at the end. A file format is a subclass that makes its files.
#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "base/streaminfo.h"
#include "stream/samplesink.h"
#include "output/outputsink.h"
#include "output/loudnessmeter.h"
#include "output/loudnesswork.h"
#include "output/samplefile.h"

enum class OutputLayout { Groups, Split, Merged, Downmix };

// What the options ask for as the stream allows it: split wins over merge, merge over the
// downmix; merging only when group 2 has channels and both groups share their rate, and
// their bits unless acrossDepths (then the shallower group is widened with zero low bits).
[[nodiscard]] OutputLayout chooseLayout(const StreamInfo &format, bool merge, bool split, bool downmix,
                                        bool acrossDepths = false);
[[nodiscard]] bool mergeInEffect(const StreamInfo &format, bool merge, bool acrossDepths = false);

// One file of a layout: the slot it fills and what its header says.
struct LayoutFile {
    int slot = 0;
    int channels = 0, rate = 0, bits = 0, mask = 0;
    QString names; // its channels' names, "L-R"
};

// The files a layout of the format makes, in the order they are created.
[[nodiscard]] std::vector<LayoutFile> layoutFiles(const StreamInfo &format, OutputLayout layout);

// Where a file of a layout is written, and its cue sheet beside it (empty: none), as the
// extraction names them.
struct FileName {
    QString path;
    QString cueSheet;
};
using FileNamer = std::function<FileName(const LayoutFile &file)>;

class SampleFileSink : public OutputSink, public SampleSink {
public:
    enum { SLOTS = MAX_CHANNELS };

    // format: the samples as the dumper gives them; each file of the layout is written
    // where names says.
    SampleFileSink(const StreamInfo &format, OutputLayout layout, FileNamer names);
    // Finishes whatever finish has not finished yet.
    ~SampleFileSink() override;

    [[nodiscard]] Result open() override;
    [[nodiscard]] Result finish(std::vector<WrittenFile> *files) override;
    [[nodiscard]] Targets reserve(int frames1, int frames2) override;
    [[nodiscard]] Result commit(int frames1, int frames2) override;

    // Set before open, for every file: where the tracks of a whole title begin (each file
    // then gets its cue sheet beside it), and how long the audio is said to be (90 kHz
    // ticks), so that a file that will be long can be made ready for it.
    void setMarks(const TrackMarks &m) { marks = m; }
    // Before finish: the same marks where the decoded stream put them, for every file.
    void moveMarks(const TrackMarks &m);
    void setExpectedLength(quint64 pts) { expectedPts = pts; }
    // Set before open: every file's loudness is measured as its samples are written, on a
    // thread of its own (LoudnessWork), or inLine on the thread that commits them.
    void setMeasureLoudness(bool measure, bool inLine = false)
    {
        measuring = measure;
        measuringInLine = inLine;
    }

    [[nodiscard]] OutputLayout layout() const { return chosen; }
    // The files made, by slot; null where the layout uses none.
    [[nodiscard]] const SampleFile *file(int slot) const { return files[slot].get(); }

protected:
    // A new, closed file of the format.
    [[nodiscard]] virtual std::unique_ptr<SampleFile> makeFile() const = 0;

private:
    [[nodiscard]] Result openSlot(const LayoutFile &file);
    // Fills placement from the layout.
    void placeChannels();

    StreamInfo format;
    OutputLayout chosen;
    FileNamer namer;
    std::unique_ptr<SampleFile> files[SLOTS]; // the output slots ("slots" is a Qt keyword)
    FileName finalNames[SLOTS];      // the names the files get once published
    int outputPosition[SLOTS] = {}; // channel in stream order -> position in a merged frame
    // Where the layout puts each channel, worked out once for reserve.
    struct Placement {
        int channels = 0;
        int slot[SLOTS] = {};      // channel in stream order -> its file
        int offset[SLOTS] = {};    // -> its first byte in a frame of that file
        int perFrame1[SLOTS] = {}; // bytes a frame of group 1 takes in each slot
        int perFrame2[SLOTS] = {}; // and of group 2
        int stride1 = 0, stride2 = 0;
    } placement;
    bool widened = false;           // merged groups of two depths: the low bytes are zeroed
    bool reserved[SLOTS] = {};      // the slot's file gave the room of reserve
    quint8 *roomOf[SLOTS] = {};     // where reserve put each slot's samples
    qint64 framesOf[SLOTS] = {};    // each file's sample frames
    bool gotSamples[SLOTS] = {};    // the slot's file was given at least one sample
    bool roomRefused = false;       // some file of the layout did not
    std::vector<quint8> scratch;    // the room given in place of a file that failed
    Result state;                   // the first failure
    TrackMarks marks;
    quint64 expectedPts = 0;
    bool measuring = false;
    bool measuringInLine = false;
    std::shared_ptr<LoudnessMeter> meters[SLOTS]; // by slot, when measuring
    // A whole title's tracks, each measured from the frame its mark falls on.
    struct TrackMeter {
        int track = 0;
        qint64 firstFrame = 0;
        std::shared_ptr<LoudnessMeter> meter;
    };
    std::vector<TrackMeter> trackMeters[SLOTS];
    // Feeds the meters above off this thread; declared after them, so ended before them.
    std::unique_ptr<LoudnessWork> loudnessWork;
    void measureTracks(int slot, const quint8 *room, qint64 firstFrame, qint64 frames, qint64 bytes);
};
