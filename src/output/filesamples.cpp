#include "output/filesamples.h"

#include <FLAC/stream_decoder.h>
#include <QFile>
#include <QtEndian>
#include <memory>
#include <vector>

#include "output/samplechecksum.h"

namespace {

enum { READ_BYTES = 1 << 20 };

quint32 le32(const char *p)
{
    return qFromLittleEndian<quint32>(p);
}

// A RIFF or RF64 wave file: its fmt chunk, then the bytes of its data chunk.
FileSamples readWave(QFile &file)
{
    FileSamples read;
    const QByteArray head = file.read(12);
    const bool rf64 = head.startsWith("RF64");
    if (head.size() < 12 || (!head.startsWith("RIFF") && !rf64) || head.mid(8, 4) != "WAVE") {
        read.error = QStringLiteral("not a wave file");
        return read;
    }
    qint64 dataSize = -1, rf64DataSize = -1;
    int blockAlign = 0;
    while (!file.atEnd()) {
        const QByteArray chunk = file.read(8);
        if (chunk.size() < 8)
            break;
        const qint64 size = le32(chunk.constData() + 4);
        const qint64 next = file.pos() + size + (size & 1);
        if (chunk.startsWith("ds64")) {
            const QByteArray ds64 = file.read(qMin<qint64>(size, 28));
            if (ds64.size() >= 16)
                rf64DataSize = qint64(qFromLittleEndian<quint64>(ds64.constData() + 8));
        } else if (chunk.startsWith("fmt ")) {
            const QByteArray fmt = file.read(qMin<qint64>(size, 40));
            if (fmt.size() < 16)
                break;
            read.channels = qFromLittleEndian<quint16>(fmt.constData() + 2);
            read.sampleRate = int(le32(fmt.constData() + 4));
            blockAlign = qFromLittleEndian<quint16>(fmt.constData() + 12);
            read.bits = qFromLittleEndian<quint16>(fmt.constData() + 14);
        } else if (chunk.startsWith("data")) {
            dataSize = rf64 && size == 0xFFFFFFFF ? rf64DataSize : size;
            break;
        }
        if (!file.seek(next))
            break;
    }
    if (dataSize < 0 || blockAlign <= 0) {
        read.error = QStringLiteral("no fmt or data chunk");
        return read;
    }
    SampleCrc crc;
    crc.start(qint64(read.sampleRate) * blockAlign);
    for (qint64 left = dataSize; left > 0;) {
        const QByteArray bytes = file.read(qMin<qint64>(left, READ_BYTES));
        if (bytes.isEmpty()) {
            read.error = QStringLiteral("the data chunk ends %1 bytes early").arg(left);
            return read;
        }
        crc.add(reinterpret_cast<const quint8 *>(bytes.constData()), bytes.size());
        left -= bytes.size();
    }
    read.crc = crc.whole();
    read.seconds = crc.seconds();
    read.frames = dataSize / blockAlign;
    return read;
}

struct FlacReading {
    FileSamples read;
    SampleCrc crc;
    bool started = false;
    std::vector<quint8> bytes;
};

FLAC__StreamDecoderWriteStatus writeFrame(const FLAC__StreamDecoder *, const FLAC__Frame *frame,
                                          const FLAC__int32 *const channels[], void *data)
{
    auto *reading = static_cast<FlacReading *>(data);
    FileSamples &read = reading->read;
    const int bits = int(frame->header.bits_per_sample);
    // As a wave file holds them: 2 bytes for 16 bits, else 3, a 20-bit sample in the top bits.
    const int width = bits <= 16 ? 2 : 3, shift = width * 8 - bits;
    const unsigned count = frame->header.blocksize, n = frame->header.channels;
    reading->bytes.resize(size_t(count) * n * size_t(width));
    quint8 *out = reading->bytes.data();
    for (unsigned i = 0; i < count; ++i)
        for (unsigned c = 0; c < n; ++c) {
            const quint32 v = quint32(channels[c][i]) << shift;
            for (int b = 0; b < width; ++b)
                *out++ = quint8(v >> (8 * b));
        }
    if (!reading->started) {
        reading->crc.start(qint64(frame->header.sample_rate) * n * width);
        reading->started = true;
    }
    reading->crc.add(reading->bytes.data(), qint64(reading->bytes.size()));
    read.frames += count;
    read.channels = int(n);
    read.sampleRate = int(frame->header.sample_rate);
    read.bits = bits;
    return FLAC__STREAM_DECODER_WRITE_STATUS_CONTINUE;
}

void flacError(const FLAC__StreamDecoder *, FLAC__StreamDecoderErrorStatus status, void *data)
{
    auto *reading = static_cast<FlacReading *>(data);
    if (reading->read.error.isEmpty())
        reading->read.error = QString::fromLatin1(FLAC__StreamDecoderErrorStatusString[status]);
}

struct DecoderDeleter {
    void operator()(FLAC__StreamDecoder *decoder) const { FLAC__stream_decoder_delete(decoder); }
};

FileSamples readFlac(const QString &path)
{
    FlacReading reading;
    const std::unique_ptr<FLAC__StreamDecoder, DecoderDeleter> decoder(FLAC__stream_decoder_new());
    if (!decoder) {
        reading.read.error = QStringLiteral("out of memory");
        return reading.read;
    }
    FLAC__stream_decoder_set_md5_checking(decoder.get(), true);
    const QByteArray name = QFile::encodeName(path);
    if (FLAC__stream_decoder_init_file(decoder.get(), name.constData(), writeFrame, nullptr, flacError, &reading)
        != FLAC__STREAM_DECODER_INIT_STATUS_OK) {
        reading.read.error = QStringLiteral("cannot be opened");
        return reading.read;
    }
    const bool decoded = FLAC__stream_decoder_process_until_end_of_stream(decoder.get());
    reading.read.crc = reading.crc.whole();
    reading.read.seconds = reading.crc.seconds();
    // A stream whose samples do not match its own MD5 is damaged, whatever the log says.
    const bool md5Ok = FLAC__stream_decoder_finish(decoder.get());
    if (reading.read.error.isEmpty() && !decoded)
        reading.read.error = QStringLiteral("cannot be decoded");
    if (reading.read.error.isEmpty() && !md5Ok)
        reading.read.error = QStringLiteral("its samples do not match its own MD5");
    return reading.read;
}

} // namespace

FileSamples readFileSamples(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        FileSamples read;
        read.error = file.errorString();
        return read;
    }
    const QByteArray magic = file.peek(4);
    if (magic == "fLaC") {
        file.close();
        return readFlac(path);
    }
    return readWave(file);
}
