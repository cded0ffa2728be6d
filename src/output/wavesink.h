#pragma once
// Decoded samples in RIFF/WAVE files.
#include "output/samplefilesink.h"
#include "output/wavefile.h"

class WaveSink : public SampleFileSink {
public:
    // oldFormat: the plain header instead of the extensible one.
    // comments: the "NAME=value" tags each file's INFO chunk carries.
    WaveSink(const StreamInfo &samples, OutputLayout layout, FileNamer names, bool oldFormat,
             const QStringList &comments = {})
        : SampleFileSink(samples, layout, std::move(names)), plainHeader(oldFormat), tags(comments)
    {
    }
    ~WaveSink() override = default;

protected:
    [[nodiscard]] std::unique_ptr<SampleFile> makeFile() const override
    {
        auto file = std::make_unique<WaveFile>(plainHeader);
        file->setComments(tags);
        return file;
    }

private:
    bool plainHeader;
    QStringList tags;
};
