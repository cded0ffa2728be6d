#pragma once
// A sample sink that keeps nothing: a verification decodes without writing a file.
#include "stream/samplesink.h"

class DiscardingSink : public SampleSink {
public:
    [[nodiscard]] bool keepsSamples() const override { return false; }
    [[nodiscard]] Targets reserve(int, int) override { return Targets(); }
    [[nodiscard]] Result commit(int, int) override { return ResultCode::Succeeded; }
};
