#pragma once
// A window on the frames a dumper decodes: the first `drop` frames are decoded but not
// handed on, then `keep` frames are, and none after them. A PCM track that begins or ends
// inside a pack it shares with the track before or after it is cut so, at the sample
// its title gives, whatever the pack's layout.
#include <vector>

#include "base/streaminfo.h"
#include "stream/samplesink.h"

// In frames of group 1; group 2 at a lower rate is cut at the same time.
struct FrameWindow {
    qint64 drop = 0;
    qint64 keep = -1; // -1: every frame after the dropped ones

    [[nodiscard]] bool cuts() const { return drop > 0 || keep >= 0; }
};

class FrameWindowSink : public SampleSink {
public:
    // format: the samples as the dumper gives them (channels, widths and rates of the groups).
    FrameWindowSink(SampleSink &inner, const FrameWindow &window, const StreamInfo &format);

    [[nodiscard]] bool keepsSamples() const override { return inner.keepsSamples(); }
    [[nodiscard]] Targets reserve(int frames1, int frames2) override;
    [[nodiscard]] Result commit(int frames1, int frames2) override;
    // Every frame the window keeps was handed on.
    [[nodiscard]] bool full() const { return keep[0] == 0; }
    // Frames of group 1 handed on so far; to a sink that keeps no samples (a
    // verification), those of the decoded that the window takes.
    [[nodiscard]] qint64 framesKept(qint64 decoded) const;

private:
    // Hands frames [from, from + count) of each group of the scratch room on.
    [[nodiscard]] Result handOn(int from1, int count1, int from2, int count2);

    SampleSink &inner;
    qint64 drop[2] = {};
    qint64 keep[2] = {-1, -1};
    int channels[2] = {};
    int width[2] = {}; // bytes of a sample
    bool scratched = false; // the last reserve gave the scratch room
    qint64 kept = 0;
    FrameWindow window;
    std::vector<quint8> scratch;
    quint8 *scratchGroup[2] = {};
};
