#include "4-output/wavefile.h"

#include <QtEndian>

#include "4-output/outputfile.h"

namespace {

void put16(QByteArray &b, quint16 v)
{
    char le[2];
    qToLittleEndian(v, le);
    b.append(le, 2);
}

void put32(QByteArray &b, quint32 v)
{
    char le[4];
    qToLittleEndian(v, le);
    b.append(le, 4);
}

// KSDATAFORMAT_SUBTYPE_PCM as it is stored in the file.
const char pcmSubFormat[16] = {0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
                               char(0x80), 0x00, 0x00, char(0xAA), 0x00, 0x38, char(0x9B), 0x71};

} // namespace

QByteArray WaveFile::header(int channels, int sampleRate, int bits, int channelMask,
                            bool oldFormat)
{
    // 20-bit samples travel in 3-byte containers. The bits-per-sample field gives the
    // container (24); the extensible form's valid-bits field says how many are used (20).
    const int container = (bits + 7) / 8 * 8;
    const int blockAlign = channels * container / 8;
    QByteArray h;
    h.reserve(EXTENSIBLE_HEADER_SIZE);
    h.append("RIFF", 4);
    put32(h, 0);
    h.append("WAVEfmt ", 8);
    put32(h, oldFormat ? 16 : 40);
    put16(h, oldFormat ? 1 : 0xFFFE);
    put16(h, quint16(channels));
    put32(h, quint32(sampleRate));
    put32(h, quint32(sampleRate) * quint32(blockAlign));
    put16(h, quint16(blockAlign));
    put16(h, quint16(container));
    if (!oldFormat) {
        put16(h, 22);
        put16(h, quint16(bits));
        put32(h, quint32(channelMask));
        h.append(pcmSubFormat, 16);
    }
    h.append("data", 4);
    put32(h, 0);
    return h;
}

quint32 WaveFile::sizeField(qint64 size)
{
    if (size < 0)
        return 0;
    if (size > qint64(0xFFFFFFFFu))
        return 0xFFFFFFFFu;
    return quint32(size);
}

bool WaveFile::open(const QString &path, int channels_, int sampleRate_, int bits_,
                    int channelMask, bool oldFormat)
{
    plainHeader = oldFormat;
    return open(path, channels_, sampleRate_, bits_, channelMask);
}

bool WaveFile::open(const QString &path, int channels_, int sampleRate_, int bits_,
                    int channelMask)
{
    const bool oldFormat = plainHeader;
    channels = channels_;
    sampleRate = sampleRate_;
    bits = bits_;
    fmtChunkSize = oldFormat ? 24 : 48;
    headerImage = header(channels, sampleRate, bits, channelMask, oldFormat);
    if (!openOutputFile(file, path, QIODevice::Unbuffered))
        return false;
    samples.start(&file);
    // A header that cannot be written shows up as a failed write or finish later on.
    file.write(headerImage);
    return true;
}

bool WaveFile::finish()
{
    if (!file.isOpen())
        return false;
    // Samples still buffered must reach the disc before the size is taken.
    const bool flushed = samples.flush() && file.flush();
    if (!flushed) {
        // The disc is full (or the device refuses): what could not be written is dropped
        // with the handle, and a fresh one patches the header so that it describes what
        // did reach the disc, cut to whole frames. The file stays readable.
        file.close();
        if (!file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly))
            return false;
        const int blockAlign = channels * ((bits + 7) / 8);
        const qint64 data = file.size() - headerImage.size();
        if (data > 0 && blockAlign > 0 && data % blockAlign != 0)
            file.resize(file.size() - data % blockAlign);
    }
    const qint64 size = file.size();
    char le[4];
    qToLittleEndian(sizeField(size - 8), le);
    bool ok = file.seek(4) && file.write(le, 4) == 4;
    qToLittleEndian(sizeField(size - fmtChunkSize - 20), le);
    ok = ok && file.seek(fmtChunkSize + 16) && file.write(le, 4) == 4;
    ok = file.flush() && ok;
    file.close();
    samples.release(); // a finished file keeps no memory
    return flushed && ok;
}
