#pragma once
// One RIFF/WAVE output file: the header goes out with zero sizes when the file is
// opened, samples are appended, and finishing patches both sizes from the file size.
// Samples gather in a buffer of our own and reach the file in large writes.
#include <QByteArray>
#include <QFile>
#include <QString>

#include "4-output/bufferedoutput.h"
#include "4-output/samplefile.h"

class WaveFile : public SampleFile {
public:
    enum { OLD_HEADER_SIZE = 44, EXTENSIBLE_HEADER_SIZE = 68 };

    // oldFormat: the plain 44-byte header instead of the extensible one.
    explicit WaveFile(bool oldFormat = false) : plainHeader(oldFormat) {}

    // Creates (or truncates) the file and writes the header. False if it cannot be created.
    [[nodiscard]] bool open(const QString &path, int channels, int sampleRate, int bits,
                            int channelMask) override;
    [[nodiscard]] bool open(const QString &path, int channels, int sampleRate, int bits,
                            int channelMask, bool oldFormat);
    // Appends samples; false once samples could not be written to the file.
    [[nodiscard]] bool write(const quint8 *data, qint64 count) { return samples.write(data, count); }
    // Room for samples laid out in place, as BufferedOutput gives it.
    quint8 *reserve(qint64 count) override { return samples.reserve(count); }
    void commit(qint64 count) override { samples.commit(count); }
    // Patches the RIFF and data sizes and closes the file; false if that failed.
    [[nodiscard]] bool finish() override;
    // After a failed finish: whether samples that write had taken were lost, rather than
    // the last ones or the sizes.
    bool lostSamples() const override { return samples.lostTakenBytes(); }
    bool isOpen() const override { return file.isOpen(); }
    QString path() const override { return file.fileName(); }

    // The header as written by open: old form 44 bytes, extensible form 68 bytes.
    static QByteArray header(int channels, int sampleRate, int bits, int channelMask,
                             bool oldFormat);
    // A size as stored in a 32-bit size field. A file past 4 GiB gets 0xFFFFFFFF
    // ("larger than this") instead of a wrapped, much too small size.
    static quint32 sizeField(qint64 size);

private:
    bool plainHeader;
    QByteArray headerImage;
    int fmtChunkSize = 0; // the fmt chunk with its own 8-byte header: 24 or 48
    QFile file;
    BufferedOutput samples; // not yet in the file; after file, so that it ends first
};
