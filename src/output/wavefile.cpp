#include "output/wavefile.h"

#include <QtEndian>
#include <vector>

#include "base/pts.h"
#include "output/outputfile.h"
#include "output/wavechunks.h"

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

void put64(QByteArray &b, quint64 v)
{
    char le[8];
    qToLittleEndian(v, le);
    b.append(le, 8);
}

// Moves everything from `at` to the end of the file count bytes on, from the end
// backwards, leaving count bytes of room at `at`.
[[nodiscard]] bool insertBytes(QFile &file, qint64 at, qint64 count)
{
    const qint64 end = file.size();
    if (!file.resize(end + count))
        return false;
    std::vector<char> buffer(size_t(1) << 20);
    for (qint64 stop = end; stop > at;) {
        const qint64 start = qMax(at, stop - qint64(buffer.size()));
        const qint64 n = stop - start;
        if (!file.seek(start) || file.read(buffer.data(), n) != n || !file.seek(start + count)
            || file.write(buffer.data(), n) != n)
            return false;
        stop = start;
    }
    return true;
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

bool WaveFile::mayPassLimit(qint64 sampleBytes) const
{
    // Half the limit: a length on the disc that is a little short still gets the room.
    return EXTENSIBLE_HEADER_SIZE + DS64_CHUNK_SIZE + sampleBytes > limit / 2;
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
    channels = channels_;
    sampleRate = sampleRate_;
    bits = bits_;
    headerImage = header(channels, sampleRate, bits, channelMask, plainHeader);
    const qint64 expectedBytes = ptsToSamples(expectedPts, sampleRate) * channels * ((bits + 7) / 8);
    ds64Reserved = expectedPts > 0 && mayPassLimit(expectedBytes);
    if (ds64Reserved) {
        QByteArray junk("JUNK", 4);
        put32(junk, DS64_CHUNK_SIZE - 8);
        junk.append(DS64_CHUNK_SIZE - 8, '\0');
        headerImage.insert(12, junk);
    }
    if (!openOutputFile(file, path, QIODevice::Unbuffered)) {
        failure = file.errorString();
        return false;
    }
    samples.start(&file, true, qint64(sampleRate) * channels * (bits > 16 ? 3 : 2));
    // A header that cannot be written shows up as a failed write or finish later on.
    file.write(headerImage);
    return true;
}

bool WaveFile::finish()
{
    if (!file.isOpen())
        return false;
    const int blockAlign = channels * ((bits + 7) / 8);
    // Samples still buffered must reach the disc before the size is taken.
    const bool flushed = samples.flush() && file.flush();
    if (!flushed) {
        failure = file.errorString();
        // The disc is full (or the device refuses): what could not be written is dropped
        // with the handle, and a fresh one patches the header so that it describes what
        // did reach the disc, cut to whole frames. The file stays readable.
        file.close();
        if (!file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly))
            return false;
        // Not even the header made it: there is no wave file to keep.
        if (file.size() < headerImage.size()) {
            file.close();
            (void)removeOutputFile(file.fileName());
            samples.release();
            return false;
        }
        const qint64 data = file.size() - headerImage.size();
        if (data > 0 && blockAlign > 0 && data % blockAlign != 0)
            file.resize(file.size() - data % blockAlign);
    }
    const qint64 dataBytes = qMax<qint64>(0, file.size() - headerImage.size());
    // No marks or tags on a full disc: the samples that made it come first.
    const bool marked = !flushed || appendChunks(dataBytes);
    const qint64 size = file.size();
    bool patched = size - 8 > limit ? patchRf64Sizes(size, dataBytes)
                                    : patchPlainSizes(size, dataBytes);
    patched = file.flush() && patched;
    if (!patched && failure.isEmpty())
        failure = file.errorString();
    file.close();
    samples.release(); // a finished file keeps no memory
    return flushed && marked && patched;
}

bool WaveFile::appendChunks(qint64 dataBytes)
{
    const int blockAlign = channels * ((bits + 7) / 8);
    if (blockAlign <= 0)
        return true;
    QByteArray chunks = marks.empty() ? QByteArray() : waveCueChunks(marks, sampleRate, dataBytes / blockAlign);
    chunks += info;
    if (chunks.isEmpty())
        return true;
    if (dataBytes % 2)
        chunks.prepend('\0'); // the data chunk's pad byte: the next chunk starts even
    const qint64 end = headerImage.size() + dataBytes;
    if (file.seek(end) && file.write(chunks) == chunks.size())
        return true;
    file.resize(end); // the samples stay a whole file without the marks
    return false;
}

bool WaveFile::patchPlainSizes(qint64 fileSize, qint64 dataBytes)
{
    // Past 4 GiB only when making room for ds64 failed: "larger than this".
    const auto field = [](qint64 v) { return quint32(qBound<qint64>(0, v, RIFF_LIMIT)); };
    char le[4];
    qToLittleEndian(field(fileSize - 8), le);
    bool ok = file.seek(4) && file.write(le, 4) == 4;
    qToLittleEndian(field(dataBytes), le);
    return ok && file.seek(headerImage.size() - 4) && file.write(le, 4) == 4;
}

bool WaveFile::patchRf64Sizes(qint64 fileSize, qint64 dataBytes)
{
    qint64 dataSizeAt = headerImage.size() - 4;
    if (!ds64Reserved) {
        if (!insertBytes(file, 12, DS64_CHUNK_SIZE)) {
            (void)patchPlainSizes(fileSize, dataBytes);
            return false;
        }
        fileSize += DS64_CHUNK_SIZE;
        dataSizeAt += DS64_CHUNK_SIZE;
    }
    const int blockAlign = channels * ((bits + 7) / 8);
    QByteArray head("RF64", 4);
    put32(head, 0xFFFFFFFFu);
    head.append("WAVEds64", 8);
    put32(head, DS64_CHUNK_SIZE - 8);
    put64(head, quint64(fileSize - 8));
    put64(head, quint64(dataBytes));
    put64(head, quint64(blockAlign > 0 ? dataBytes / blockAlign : 0));
    put32(head, 0); // no table of other chunk sizes
    char le[4];
    qToLittleEndian(0xFFFFFFFFu, le);
    return file.seek(0) && file.write(head) == head.size() && file.seek(dataSizeAt)
           && file.write(le, 4) == 4;
}
