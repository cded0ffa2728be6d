#pragma once
// One RIFF/WAVE output file: the header goes out with zero sizes when the file is
// opened, samples are appended, and finishing adds the track marks (cue points) and
// patches the sizes from the file size. Samples gather in a buffer of our own and reach
// the file in large writes.
//
// A file whose sizes do not fit the 32-bit fields becomes RF64: "RF64" in place of
// "RIFF", the sizes in a "ds64" chunk right after "WAVE", 0xFFFFFFFF in the old fields.
// A file expected to grow that long gets the room for ds64 from the start as a "JUNK"
// chunk of the same size; any other makes room when it turns out to need it, by moving
// what follows the RIFF header. A file that stays small stays plain RIFF.
#include <QByteArray>
#include <QFile>
#include <QString>

#include "output/bufferedoutput.h"
#include "output/samplefile.h"
#include "output/wavechunks.h"

class WaveFile : public SampleFile {
public:
    enum { OLD_HEADER_SIZE = 44, EXTENSIBLE_HEADER_SIZE = 68, DS64_CHUNK_SIZE = 36 };
    // The largest RIFF size the 32-bit field holds.
    static constexpr qint64 RIFF_LIMIT = 0xFFFFFFFFll;

    // oldFormat: the plain 44-byte header instead of the extensible one. sizeLimit: the
    // largest RIFF size written as plain RIFF (tests lower it to show the RF64 form
    // without writing gigabytes).
    explicit WaveFile(bool oldFormat = false, qint64 sizeLimit = RIFF_LIMIT)
        : plainHeader(oldFormat), limit(sizeLimit)
    {
    }

    // Creates (or truncates) the file and writes the header. False if it cannot be created.
    [[nodiscard]] bool open(const QString &path, int channels, int sampleRate, int bits,
                            int channelMask) override;
    [[nodiscard]] bool open(const QString &path, int channels, int sampleRate, int bits,
                            int channelMask, bool oldFormat);
    // Appends samples; false once samples could not be written to the file.
    [[nodiscard]] bool write(const quint8 *data, qint64 count) { return samples.write(data, count); }
    // Room for samples laid out in place, as BufferedOutput gives it.
    [[nodiscard]] quint8 *reserve(qint64 count) override { return samples.reserve(count); }
    void commit(qint64 count) override { samples.commit(count); }
    // The tags of the file's INFO chunk ("NAME=value", wavechunks.h). Before finish.
    void setComments(const QStringList &comments) { info = waveInfoChunk(comments); }
    // Writes the marks and tags, patches the sizes (RF64 where they need it) and closes
    // the file; false if that failed.
    [[nodiscard]] bool finish() override;
    // After a failed finish: whether samples that write had taken were lost, rather than
    // the last ones or the sizes.
    [[nodiscard]] bool lostSamples() const override { return samples.lostTakenBytes(); }
    [[nodiscard]] bool isOpen() const override { return file.isOpen(); }
    [[nodiscard]] QString path() const override { return file.fileName(); }
    [[nodiscard]] QString errorText() const override { return failure; }
    [[nodiscard]] quint32 samplesCrc() const override { return samples.crc(); }
    [[nodiscard]] std::vector<quint32> secondsCrc() const override { return samples.secondsCrc(); }

    // The header without room for ds64: old form 44 bytes, extensible form 68 bytes.
    [[nodiscard]] static QByteArray header(int channels, int sampleRate, int bits, int channelMask,
                             bool oldFormat);

private:
    // Whether a file of that many bytes of samples would pass the limit, or come near it.
    [[nodiscard]] bool mayPassLimit(qint64 sampleBytes) const;
    // Writes the cue points, labels and tags after the samples; false if they could not be.
    [[nodiscard]] bool appendChunks(qint64 dataBytes);
    [[nodiscard]] bool patchPlainSizes(qint64 fileSize, qint64 dataBytes);
    [[nodiscard]] bool patchRf64Sizes(qint64 fileSize, qint64 dataBytes);

    bool plainHeader;
    qint64 limit;
    QByteArray headerImage;
    QByteArray info; // the INFO chunk, empty without tags
    bool ds64Reserved = false; // the header holds a JUNK chunk where ds64 goes
    QFile file;
    QString failure; // the system's reason for a failed write or finish
    BufferedOutput samples; // not yet in the file; after file, so that it ends first
};
