#pragma once
// One RIFF/WAVE output file: the header goes out with zero sizes when the file is
// opened, samples are appended, and finishing patches both sizes from the file size.
// Samples gather in a buffer of our own and reach the file in large writes: QFile's
// per-call overhead cost more than the unpacking when samples came a unit at a time.
#include <vector>

#include <QByteArray>
#include <QFile>
#include <QString>

class WaveFile {
public:
    // The buffer starts at BUFFER_SIZE, so that a full disc shows in the first writes, and
    // doubles with each write that went through up to LARGEST_BUFFER: fewer, larger writes
    // cost the system less.
    enum { OLD_HEADER_SIZE = 44, EXTENSIBLE_HEADER_SIZE = 68, BUFFER_SIZE = 64 * 1024,
           LARGEST_BUFFER = 256 * 1024 };

    // Creates (or truncates) the file and writes the header. False if it cannot be created.
    bool open(const QString &path, int channels, int sampleRate, int bits, int channelMask,
              bool oldFormat);
    // Appends samples; false once samples could not be written to the file.
    bool write(const quint8 *data, qint64 count);
    // Room for up to count bytes at the end of the buffered samples, for a writer that
    // lays its samples out in place instead of copying them in; commit then appends the
    // bytes it filled. Null (nothing to commit) once samples could not be written.
    quint8 *reserve(qint64 count);
    void commit(qint64 count) { used += count; }
    // Patches the RIFF and data sizes and closes the file; false if that failed.
    bool finish();
    bool isOpen() const { return file.isOpen(); }
    QString path() const { return file.fileName(); }

    int channels = 0;
    int sampleRate = 0;
    int bits = 0;

    // The header as written by open: old form 44 bytes, extensible form 68 bytes.
    static QByteArray header(int channels, int sampleRate, int bits, int channelMask,
                             bool oldFormat);
    // A size as stored in a 32-bit size field. A file past 4 GiB gets 0xFFFFFFFF
    // ("larger than this") instead of a wrapped, much too small size.
    static quint32 sizeField(qint64 size);

private:
    // Hands the buffered samples to the file; false if not all of them were written.
    bool writeBuffered();

    std::vector<quint8> buffer; // its first `used` bytes are samples not yet handed to the file
    qint64 used = 0;
    bool writeFailed = false;   // some samples never reached the file
    QByteArray headerImage;
    int fmtChunkSize = 0; // the fmt chunk with its own 8-byte header: 24 or 48
    QFile file;
};
