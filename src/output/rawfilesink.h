#pragma once
// The stored stream unchanged, in one file (".pcm", ".mlp", ".raw").
#include <QFile>
#include <QString>

#include "stream/samplesink.h"
#include "output/bufferedoutput.h"
#include "output/outputsink.h"

class RawFileSink : public OutputSink, public ByteSink {
public:
    // The file's channels, rate and bits are what a command run on it is told.
    RawFileSink(const QString &path, const WrittenFile &description);
    ~RawFileSink() override;

    [[nodiscard]] Result open() override;
    [[nodiscard]] Result finish(std::vector<WrittenFile> *files) override;
    [[nodiscard]] Result write(const quint8 *data, int length) override;

private:
    WrittenFile description;
    QFile file;
    BufferedOutput payload; // not yet in the file
    Result state;
};
