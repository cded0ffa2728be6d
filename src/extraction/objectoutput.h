#pragma once
// The dumper that takes an object's stream and the sink its output goes to, made as the
// options ask: Store passes the stream unchanged into one file, Convert decodes it into
// wave or FLAC files, Verify decodes it into nothing. A new output format is a new sink here.
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

#include "base/result.h"
#include "base/streaminfo.h"
#include "stream/framewindow.h"
#include "output/outputsink.h"
#include "output/trackmarks.h"
#include "extraction/extractoptions.h"

class DVDAStreamDumper;
class DVDAMLPStreamDumper;
class SampleSink;
class SampleFileSink;
struct ObjectCheck;

// What the decoded files carry besides the samples.
struct OutputDetails {
    QStringList comments;  // Vorbis comments of FLAC files
    TrackMarks marks;      // where the tracks of a whole title begin
    quint64 lengthPts = 0; // how long the audio is said to be, 0 unknown
    FrameWindow window;    // the decoded frames that are the object's (a cut PCM track)
};

// The paths of the files an ObjectOutput of the stream makes at basePath: the stored
// stream, or each decoded file and, when the audio carries track marks, its cue sheet.
// None in Verify mode.
[[nodiscard]] QStringList plannedOutputPaths(const StreamInfo &info, const QString &basePath,
                                             const ExtractOptions &options, bool marked);

class ObjectOutput {
public:
    // Makes both and creates the files at basePath + their suffixes, with the details. No
    // file is made for a stream the options cannot take or a decoder that cannot start:
    // result() says why.
    ObjectOutput(const StreamInfo &info, const QString &basePath, const ExtractOptions &options,
                 const OutputDetails &details = {});
    ~ObjectOutput();
    ObjectOutput(const ObjectOutput &) = delete;
    ObjectOutput &operator=(const ObjectOutput &) = delete;

    [[nodiscard]] const Result &result() const { return state; }
    // Where the object's audio bytes go; null when result() failed.
    [[nodiscard]] DVDAStreamDumper *dumper() const { return streamDumper.get(); }
    // Finishes the files and adds those written to *files (none in Verify mode).
    [[nodiscard]] Result finish(std::vector<WrittenFile> *files);
    // Adds what the decoder counted (MLP access units and the damage it reported).
    void report(ObjectCheck &check) const;
    // Before finish: the marks where the decoded stream put them.
    void moveMarks(const TrackMarks &marks);
    // Frames of group 1 the files got (the window's, where the object is cut).
    [[nodiscard]] qint64 framesKept() const;
    // The window of decoded frames is full: nothing more of the stream is the object's.
    [[nodiscard]] bool windowFull() const { return window && window->full(); }

private:
    void makeSampleOutput(const StreamInfo &info, const QString &basePath,
                          const ExtractOptions &options, const OutputDetails &details);

    std::unique_ptr<OutputSink> files;     // null in Verify mode
    SampleFileSink *sampleFiles = nullptr; // the same, when it writes decoded samples
    std::unique_ptr<SampleSink> discarded; // Verify mode's sink
    std::unique_ptr<FrameWindowSink> window; // before the files, when the object is cut
    std::unique_ptr<DVDAStreamDumper> streamDumper;
    const DVDAMLPStreamDumper *mlp = nullptr; // the dumper, when it decodes MLP
    int rate = 0;                              // of the decoded samples' group 1
    Result state;
};
