#pragma once
// Decoded samples in RIFF/WAVE files.
#include "output/samplefilesink.h"
#include "output/wavefile.h"

class WaveSink : public SampleFileSink {
public:
    // oldFormat: the plain header instead of the extensible one.
    WaveSink(const StreamInfo &samples, OutputLayout layout, const QString &basePath, bool oldFormat)
        : SampleFileSink(samples, layout, basePath), plainHeader(oldFormat)
    {
    }
    ~WaveSink() override = default;

protected:
    std::unique_ptr<SampleFile> makeFile() const override
    {
        return std::make_unique<WaveFile>(plainHeader);
    }
    QString extension() const override { return QStringLiteral("wav"); }

private:
    bool plainHeader;
};
