#pragma once
// The dumper family: each takes the bare audio bytes of one object, in stream order, and
// hands them on to a sink, unchanged or decoded into samples.
#include <QtGlobal>

#include "base/result.h"
#include "stream/samplesink.h"

class DVDAStreamDumper {
public:
    virtual ~DVDAStreamDumper() = default;
    // The next run of audio payload bytes; a failure stops the dump.
    [[nodiscard]] virtual Result write(const quint8 *data, int length) = 0;
    // Sample frames decoded so far, at group 1's rate (0 for a dumper that does not decode).
    [[nodiscard]] qint64 framesDone() const { return frames; }

protected:
    qint64 frames = 0;
};

// Passes the payload unchanged (".pcm", ".mlp", ".raw").
class DVDARawStreamDumper : public DVDAStreamDumper {
public:
    explicit DVDARawStreamDumper(ByteSink &sink) : output(sink) {}
    [[nodiscard]] Result write(const quint8 *data, int length) override;

private:
    ByteSink &output;
};

// Counts writes and bytes; hands nothing on.
class DVDANullStreamDumper : public DVDAStreamDumper {
public:
    [[nodiscard]] Result write(const quint8 *data, int length) override;

    qint32 packets = 0; // write calls counted
    qint64 bytes = 0;   // payload bytes counted
};
