#pragma once
// The wave-writing base of the PCM and MLP dumpers: from the channel groups and the
// options it chooses the files (one per group, per channel, all merged, or the
// downmix), opens them, routes decoded samples into them and finishes them at the end.
#include <QString>

#include "dump/streamdumper.h"
#include "dump/wavefile.h"

class DVDAFormattedStreamDumper : public DVDAStreamDumper {
public:
    enum { SLOTS = 6 };
    enum Layout { LayoutGroups, LayoutSplit, LayoutMerged, LayoutDownmix };
    // Little-endian samples of one channel group, frame by frame.
    struct SampleRun {
        const quint8 *data = nullptr;
        int frames = 0;
        int channels = 0;
        int sampleSize = 0;  // bytes per sample: 2 or 3
        int frameStride = 0; // bytes from one frame to the next
    };

    // Opens the files; one that cannot be created leaves ErrCreateOutput in result.
    // In Verify mode no file is made and samples are only counted.
    DVDAFormattedStreamDumper(const StreamInfo &info, const QString &basePath,
                              const ExtractOptions &options, JobQueue *jobs);
    // Finishes whatever finish has not finished yet.
    ~DVDAFormattedStreamDumper() override;

    // Finishes every open slot in slot order and queues it as a job when a command is
    // to be run. Returns 0, or ErrCloseOutput (also kept in result when result was 0)
    // if a file could not be finished.
    [[nodiscard]] int finish() override;
    // The files written.
    void report(ObjectCheck &check) const override;

    // The merge option only takes effect when group 2 has channels and both groups
    // share rate and bit resolution.
    static bool mergeInEffect(const StreamInfo &info, const ExtractOptions &options);

    StreamInfo info;
    ExtractOptions options; // merge holds the merge-in-effect flag
    JobQueue *jobs;
    Layout layout = LayoutGroups;
    WaveFile slotFiles[SLOTS]; // the output slots ("slots" is a Qt keyword)

protected:
    // refusal != 0: the subclass cannot convert this stream; no file is created and
    // result holds the refusal.
    DVDAFormattedStreamDumper(const StreamInfo &info, const QString &basePath,
                              const ExtractOptions &options, JobQueue *jobs, int refusal);

    // Routes the samples of both groups into the slots of the layout: per channel
    // (split), interleaved in output order (merged), or group 1 to slot 0 and group 2
    // to slot 1 (groups, and downmix with only group 1). False if a write failed.
    // Frames that interleave all channels (a decoder's output, N channels of S bytes)
    // are passed as group 1 = {data, frames, c1, S, N x S} and group 2 =
    // {data + c1 x S, frames, c2, S, N x S}; a downmix as group 1 alone.
    bool writeSamples(const SampleRun &group1, const SampleRun &group2);

private:
    void openFiles(const QString &basePath);
    bool openSlot(int slot, const QString &path, int channels, int rate, int bits, int mask);

    int outputPosition[SLOTS] = {}; // channel in stream order -> position in a merged frame
};
