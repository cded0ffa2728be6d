#pragma once
// Decoded samples in RIFF/WAVE files.
#include "output/samplefilesink.h"
#include "output/wavefile.h"

class WaveSink : public SampleFileSink {
public:
    // oldFormat: the plain header instead of the extensible one.
    WaveSink(const StreamInfo &samples, OutputLayout layout, FileNamer names, bool oldFormat)
        : SampleFileSink(samples, layout, std::move(names)), plainHeader(oldFormat)
    {
    }
    ~WaveSink() override = default;

protected:
    std::unique_ptr<SampleFile> makeFile() const override
    {
        return std::make_unique<WaveFile>(plainHeader);
    }

private:
    bool plainHeader;
};
