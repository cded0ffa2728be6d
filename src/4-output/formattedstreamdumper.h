#pragma once
// The wave-writing base of the PCM and MLP dumpers: from the channel groups and the
// options it chooses the files (one per group, per channel, all merged, or the
// downmix), opens them, routes decoded samples into them and finishes them at the end.
#include <QString>
#include <vector>

#include "2-stream/streamdumper.h"
#include "4-output/wavefile.h"

class DVDAFormattedStreamDumper : public DVDAStreamDumper {
public:
    enum { SLOTS = 6 };
    enum Layout { LayoutGroups, LayoutSplit, LayoutMerged, LayoutDownmix };
    // Where a writer lays out samples in place, in the files' own buffers: sample f of
    // stream channel n (group 1 then group 2) goes to channel[n] + f x stride of its group.
    struct SampleTargets {
        quint8 *channel[SLOTS] = {};
        int stride1 = 0, stride2 = 0;
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

    // Room for up to frames1 frames of group 1 and frames2 of group 2 in the layout's
    // files (frames2 = frames1 when merged; a downmix is two channels of group 1);
    // commitSamples then appends the frames filled in. A file that cannot take them
    // gets a scratch area instead, and commitSamples returns false; a group without
    // frames gets null. Verify mode has no files and only counts frames.
    SampleTargets reserveSamples(int frames1, int frames2);
    [[nodiscard]] bool commitSamples(int frames1, int frames2);

private:
    void openFiles(const QString &basePath);
    // Fills placement from the layout.
    void placeChannels();
    [[nodiscard]] bool openSlot(int slot, const QString &path, int channels, int rate, int bits,
                                int mask);

    int outputPosition[SLOTS] = {}; // channel in stream order -> position in a merged frame
    // Where the layout puts each channel, worked out once for reserveSamples.
    struct Placement {
        int channels = 0;
        int slot[SLOTS] = {};      // channel in stream order -> its file
        int offset[SLOTS] = {};    // -> its first byte in a frame of that file
        int perFrame1[SLOTS] = {}; // bytes a frame of group 1 takes in each slot
        int perFrame2[SLOTS] = {}; // and of group 2
        int stride1 = 0, stride2 = 0;
    } placement;
    bool reserved[SLOTS] = {};      // the slot's file gave the room of reserveSamples
    bool roomRefused = false;       // some file of the layout did not
    std::vector<quint8> scratch;    // the room given in place of a file that failed
};
