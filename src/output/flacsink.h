#pragma once
// Decoded samples in FLAC files, encoded by libFLAC at the given level, each with the
// Vorbis comments given (and its channel mask where FLAC's default for the count differs).
#include <QStringList>

#include "output/flacfile.h"
#include "output/samplefilesink.h"

class FlacSink : public SampleFileSink {
public:
    FlacSink(const StreamInfo &samples, OutputLayout layout, FileNamer names, int compression,
             const QStringList &comments, std::shared_ptr<const CoverImage> cover = {})
        : SampleFileSink(samples, layout, std::move(names)), level(compression), tags(comments),
          picture(std::move(cover))
    {
    }
    ~FlacSink() override = default;

protected:
    [[nodiscard]] std::unique_ptr<SampleFile> makeFile() const override
    {
        return std::make_unique<FlacFile>(level, tags, picture);
    }

private:
    int level;
    QStringList tags;
    std::shared_ptr<const CoverImage> picture;
};
