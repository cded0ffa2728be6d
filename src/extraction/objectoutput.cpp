#include "extraction/objectoutput.h"

#include "stream/mlpstreamdumper.h"
#include "stream/pcmstreamdumper.h"
#include "output/discardingsink.h"
#include "output/flacsink.h"
#include "output/rawfilesink.h"
#include "output/wavesink.h"
#include "extraction/objectcheck.h"
#include "extraction/objectnames.h"

namespace {

StreamInfo decodedFormat(const StreamInfo &info)
{
    return info.subStreamId == SUBSTREAM_MLP ? DVDAMLPStreamDumper::outputFormat(info) : info;
}

// A verification decodes everything the stream holds, however damaged: no downmix, and
// decoding resumes at the next major sync after an error. FLAC keeps a track in one file
// where its groups share a rate: the shallower group is widened, which costs FLAC nothing.
OutputLayout decodedLayout(const StreamInfo &format, const ExtractOptions &options)
{
    if (options.mode == ModeVerify)
        return OutputLayout::Groups;
    const bool flac = options.format == OutputFormat::Flac;
    const bool merge = options.merge || (flac && !options.downmix);
    return chooseLayout(format, merge, options.split, options.downmix, flac);
}

// A wave file carries tags only where the user gave some (a metadata file or --tag): the
// plain conversion stays the samples and their header alone.
QStringList waveTags(const ExtractOptions &options, const QStringList &comments)
{
    return options.metadata || !options.tags.isEmpty() ? comments : QStringList();
}

// How the decoded files of the options are named.
FileNamer decodedNames(const QString &basePath, const ExtractOptions &options, bool marked)
{
    const QString extension = options.format == OutputFormat::Flac ? QStringLiteral("flac") : QStringLiteral("wav");
    const bool templated = !options.nameTemplate.isEmpty();
    return [basePath, extension, templated, marked](const LayoutFile &file) {
        return layoutFileName(basePath, file, extension, templated, marked);
    };
}

} // namespace

QStringList plannedOutputPaths(const StreamInfo &info, const QString &basePath,
                               const ExtractOptions &options, bool marked)
{
    if (options.mode == ModeStore)
        return {storePath(basePath, info, !options.nameTemplate.isEmpty())};
    if (options.mode != ModeConvert)
        return {};
    const StreamInfo format = decodedFormat(info);
    const FileNamer names = decodedNames(basePath, options, marked);
    QStringList paths;
    for (const LayoutFile &file : layoutFiles(format, decodedLayout(format, options))) {
        const FileName name = names(file);
        paths << name.path;
        if (marked)
            paths << name.cueSheet;
    }
    return paths;
}

ObjectOutput::ObjectOutput(const StreamInfo &info, const QString &basePath,
                           const ExtractOptions &options, const OutputDetails &details)
{
    if (options.mode == ModeStore) {
        WrittenFile described;
        described.channels = info.channels();
        described.sampleRate = info.group1SampleRate;
        described.bits = info.group1Bits;
        auto raw = std::make_unique<RawFileSink>(storePath(basePath, info, !options.nameTemplate.isEmpty()),
                                                 described);
        streamDumper = std::make_unique<DVDARawStreamDumper>(*raw);
        state = raw->open();
        files = std::move(raw);
        return;
    }
    if (options.mode != ModeConvert && options.mode != ModeVerify) {
        state = ResultCode::BadMode;
        return;
    }
    // Only a stream with a second substream carries a stereo downmix (PCM never does).
    if (options.mode == ModeConvert && options.downmix && info.substreams <= 1) {
        state = ResultCode::Downmix;
        return;
    }
    makeSampleOutput(info, basePath, options, details);
}

ObjectOutput::~ObjectOutput() = default;

void ObjectOutput::makeSampleOutput(const StreamInfo &info, const QString &basePath,
                                    const ExtractOptions &options, const OutputDetails &details)
{
    const bool verifying = options.mode == ModeVerify;
    const bool mlpStream = info.subStreamId == SUBSTREAM_MLP;
    if (info.subStreamId != SUBSTREAM_PCM && !mlpStream) {
        state = ResultCode::NotPcmOrMlp;
        return;
    }
    // libavcodec refuses MLP whose group 2 runs at another rate than group 1 (fronts at
    // 96 kHz, surrounds at 48 kHz, as the format allows).
    if (mlpStream && info.group2Channels > 0 && info.group2SampleRate > 0
        && info.group2SampleRate != info.group1SampleRate) {
        state = Result(ResultCode::MlpGroupRates, QStringLiteral("group 1 at %1 Hz, group 2 at %2 Hz")
                                                      .arg(info.group1SampleRate).arg(info.group2SampleRate));
        return;
    }
    const StreamInfo format = decodedFormat(info);
    const bool flac = options.format == OutputFormat::Flac;
    const OutputLayout layout = decodedLayout(format, options);
    SampleSink *samples = nullptr;
    std::unique_ptr<SampleFileSink> written;
    if (verifying) {
        discarded = std::make_unique<DiscardingSink>();
        samples = discarded.get();
    } else if (flac) {
        written = std::make_unique<FlacSink>(format, layout, decodedNames(basePath, options, !details.marks.empty()),
                                             options.compression, details.comments, options.cover);
        samples = written.get();
    } else {
        written = std::make_unique<WaveSink>(format, layout, decodedNames(basePath, options, !details.marks.empty()),
                                             options.oldFormat, waveTags(options, details.comments));
        samples = written.get();
    }

    if (details.window.cuts()) {
        window = std::make_unique<FrameWindowSink>(*samples, details.window, format);
        samples = window.get();
    }
    if (mlpStream) {
        MlpDecoding decoding;
        decoding.downmix = !verifying && options.downmix;
        decoding.stereoSink = layout == OutputLayout::Downmix;
        decoding.recover = verifying || options.streamErrors;
        decoding.logMessages = options.logMessages;
        auto decoder = std::make_unique<DVDAMLPStreamDumper>(info, decoding, *samples);
        state = decoder->start();
        mlp = decoder.get();
        streamDumper = std::move(decoder);
    } else {
        state = DVDAPCMStreamDumper::check(info);
        streamDumper = std::make_unique<DVDAPCMStreamDumper>(info, *samples);
    }
    if (written) {
        written->setMarks(details.marks);
        written->setExpectedLength(details.lengthPts);
        // A PCM stream unpacks in a fraction of the time its FLAC encoding takes, which keeps
        // every core busy: a thread of the meters' own would only take turns with it. An MLP
        // stream is decoded on one thread, and wave files leave the cores idle between writes.
        written->setMeasureLoudness(options.replayGain, !mlpStream && flac);
    }
    if (state.ok() && written)
        state = written->open();
    sampleFiles = written.get();
    files = std::move(written);
    if (state.failed()) {
        streamDumper.reset();
        mlp = nullptr;
    }
    rate = format.group1SampleRate;
}

qint64 ObjectOutput::framesKept() const
{
    const qint64 decoded = streamDumper ? streamDumper->framesDone() : 0;
    return window ? window->framesKept(decoded) : decoded;
}

void ObjectOutput::moveMarks(const TrackMarks &marks)
{
    if (sampleFiles)
        sampleFiles->moveMarks(marks);
}

Result ObjectOutput::finish(std::vector<WrittenFile> *written)
{
    if (!files)
        return ResultCode::Succeeded;
    return files->finish(written);
}

void ObjectOutput::report(ObjectCheck &check) const
{
    if (!mlp)
        return;
    const DecoderMessages &messages = mlp->decoderMessages();
    check.units += mlp->units;
    check.silenced.insert(check.silenced.end(), mlp->silenced().begin(), mlp->silenced().end());
    check.sampleRate = rate;
    for (int k = 0; k < DecoderMessages::KINDS; ++k)
        check.errors[k] += messages.count(DecoderMessages::Kind(k));
    if (messages.firstDamageFrame() >= 0 && rate > 0)
        check.noteProblemAt(messages.firstDamageFrame() * 1000 / rate);
}
