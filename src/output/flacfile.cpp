#include "output/flacfile.h"

#include "output/samplechecksum.h"

#include <FLAC/format.h>
#include <QtEndian>
#include <cstring>

#include "output/flaccuesheet.h"
#include "output/flacencoder.h"
#include "output/outputfile.h"

namespace {
enum { BLOCK_STREAMINFO = 0, BLOCK_PADDING = 1, BLOCK_VORBIS_COMMENT = 4, BLOCK_CUESHEET = 5, BLOCK_PICTURE = 6,
       LAST_BLOCK = 0x80 };

void putBlockHeader(QByteArray &b, int type, int length)
{
    b.append(char(type));
    b.append(char(length >> 16));
    b.append(char(length >> 8));
    b.append(char(length));
}

void putLe32(QByteArray &b, quint32 v)
{
    char le[4];
    qToLittleEndian(v, le);
    b.append(le, 4);
}

QByteArray vorbisComments(const QStringList &comments)
{
    QByteArray block;
    const QByteArray vendor(FLAC__VENDOR_STRING);
    putLe32(block, quint32(vendor.size()));
    block.append(vendor);
    putLe32(block, quint32(comments.size()));
    for (const QString &comment : comments) {
        const QByteArray utf8 = comment.toUtf8();
        putLe32(block, quint32(utf8.size()));
        block.append(utf8);
    }
    return block;
}

// Little-endian samples of `bytes` each, interleaved, into the room's channels; three
// bytes hold a sample left-justified, so that a 20-bit one is shifted down by 4.
template <int bytes>
void toChannels(const quint8 *in, const FlacEncoder::Room &room, int channels, int shift)
{
    for (int k = 0; k < room.frames; ++k)
        for (int c = 0; c < channels; ++c, in += bytes)
            room.channel[c][k] = bytes == 2 ? qint32(qint16(quint16(in[0] | in[1] << 8)))
                                            : (qint32(quint32(in[0] << 8 | in[1] << 16 | in[2] << 24)) >> 8) >> shift;
}

// The samples in the room, interleaved, three little-endian bytes each: as FLAC hashes
// samples of 17 to 24 bits.
void hashSamples(QCryptographicHash &md5, const FlacEncoder::Room &room, int channels,
                 std::vector<char> &bytes)
{
    bytes.resize(size_t(room.frames) * size_t(channels) * 3);
    char *to = bytes.data();
    for (int k = 0; k < room.frames; ++k)
        for (int c = 0; c < channels; ++c) {
            const qint32 v = room.channel[c][k];
            *to++ = char(v);
            *to++ = char(v >> 8);
            *to++ = char(v >> 16);
        }
    md5.addData(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
}
} // namespace

FlacFile::FlacFile(int compression_, const QStringList &comments_, std::shared_ptr<const CoverImage> cover_)
    : compression(compression_), comments(comments_), cover(std::move(cover_))
{
}

FlacFile::~FlacFile() = default;

bool FlacFile::isCommentName(const QString &name)
{
    if (name.isEmpty())
        return false;
    for (const QChar c : name)
        if (c.unicode() < 0x20 || c.unicode() > 0x7D || c == QLatin1Char('='))
            return false;
    return true;
}

int FlacFile::defaultChannelMask(int channels)
{
    // As flac 1.4 decodes a stream without the comment: five and six channels take side
    // speakers (0x600), where DVD-Audio's surrounds are the back ones (0x30).
    static const int masks[] = {0, 0x4, 0x3, 0x7, 0x33, 0x607, 0x60F, 0x70F, 0x63F};
    return channels >= 1 && channels <= 8 ? masks[channels] : 0;
}

QString FlacFile::channelMaskComment(int channels, int channelMask)
{
    if (channelMask == 0 || channelMask == defaultChannelMask(channels))
        return QString();
    return QStringLiteral("WAVEFORMATEXTENSIBLE_CHANNEL_MASK=0x%1")
        .arg(channelMask, 4, 16, QLatin1Char('0'))
        .toUpper()
        .replace(QLatin1String("0X"), QLatin1String("0x"));
}

QByteArray FlacFile::streamInfo(quint64 samples, const QByteArray &digest) const
{
    QByteArray b(STREAMINFO_SIZE, char(0));
    auto *p = reinterpret_cast<uchar *>(b.data());
    qToBigEndian(quint16(FlacEncoder::BLOCK_SIZE), p);
    qToBigEndian(quint16(FlacEncoder::BLOCK_SIZE), p + 2);
    for (int k = 0; k < 3; ++k) {
        p[4 + k] = uchar(minFrame >> (16 - 8 * k));
        p[7 + k] = uchar(maxFrame >> (16 - 8 * k));
    }
    // 20 bits rate, 3 bits channels - 1, 5 bits bits - 1, 36 bits samples.
    const quint64 packed = quint64(sampleRate) << 44 | quint64(channels - 1) << 41
                         | quint64(bits - 1) << 36 | (samples & 0xFFFFFFFFFull);
    qToBigEndian(packed, p + 10);
    if (digest.size() == 16)
        std::memcpy(p + 18, digest.constData(), 16);
    return b;
}

QByteArray FlacFile::headerBlocks(int channelMask) const
{
    QStringList all = comments;
    const QString mask = channelMaskComment(channels, channelMask);
    if (!mask.isEmpty())
        all << mask;
    const QByteArray tags = vorbisComments(all);
    QByteArray h("fLaC");
    putBlockHeader(h, BLOCK_STREAMINFO, STREAMINFO_SIZE);
    h.append(streamInfo(0, QByteArray()));
    putBlockHeader(h, BLOCK_VORBIS_COMMENT, int(tags.size()));
    h.append(tags);
    if (cover) {
        const QByteArray picture = flacPictureBlock(*cover);
        putBlockHeader(h, BLOCK_PICTURE, int(picture.size()));
        h.append(picture);
    }
    if (!marks.empty()) {
        // Sized for every mark; finishing fills in the lead-out and leaves out marks past
        // the end, the room they took going to the padding.
        const QByteArray cue = flacCueSheet(marks, sampleRate, ~quint64(0));
        putBlockHeader(h, BLOCK_CUESHEET, int(cue.size()));
        h.append(cue);
    }
    // Room for tags added later without rewriting the file, as flac leaves it.
    putBlockHeader(h, LAST_BLOCK | BLOCK_PADDING, PADDING_SIZE);
    h.append(QByteArray(PADDING_SIZE, char(0)));
    return h;
}

bool FlacFile::open(const QString &path, int channels_, int sampleRate_, int bits_,
                    int channelMask)
{
    channels = channels_;
    sampleRate = sampleRate_;
    bits = bits_;
    width = bits > 16 ? 3 : 2;
    crc.start(qint64(sampleRate) * channels * width);
    if (!openOutputFile(file, path, QIODevice::Unbuffered)) {
        failure = file.errorString();
        return false;
    }
    out.start(&file);
    const QByteArray header = headerBlocks(channelMask);
    headerSize = header.size();
    cueSheetEnd = headerSize - PADDING_SIZE - 4;
    // A header that cannot be written shows as a failed write or finish later on.
    framesLost = !out.write(reinterpret_cast<const quint8 *>(header.constData()), headerSize);
    FlacEncoder::Format format;
    format.channels = channels;
    format.bits = bits;
    format.sampleRate = sampleRate;
    format.compression = compression;
    encoder = std::make_unique<FlacEncoder>(
        format, [this](const quint8 *frame, size_t size, int samples) {
            return writeFrame(frame, size, samples);
        });
    return true;
}

quint8 *FlacFile::reserve(qint64 count)
{
    if (!encoder || encodingFailed || framesLost)
        return nullptr;
    if (qint64(staging.size()) < count)
        staging.resize(size_t(count));
    return staging.data();
}

void FlacFile::commit(qint64 count)
{
    const qint64 samples = count / width;
    const int frames = int(samples / channels);
    // After a failure reserve gave no room: what is committed was not put into staging.
    if (frames <= 0 || !encoder || encodingFailed || framesLost)
        return;
    // The MD5 is over the samples' own value, in as many bytes as they need: for 16 and
    // 24 bits the bytes as they are; 20-bit samples are shifted down first.
    const int shift = width == 3 ? 24 - bits : 0;
    crc.add(staging.data(), count);
    if (shift == 0)
        md5.addData(QByteArrayView(staging.data(), count));
    const quint8 *in = staging.data();
    for (int left = frames; left > 0;) {
        const FlacEncoder::Room room = encoder->room(left);
        if (!room.channel[0]) {
            encodingFailed = true;
            return;
        }
        if (width == 2)
            toChannels<2>(in, room, channels, 0);
        else
            toChannels<3>(in, room, channels, shift);
        if (shift != 0)
            hashSamples(md5, room, channels, unshifted);
        in += qint64(room.frames) * channels * width;
        left -= room.frames;
        if (!encoder->commit(room.frames)) {
            encodingFailed = true;
            return;
        }
    }
    samplesEncoded += quint64(frames);
}

bool FlacFile::writeFrame(const quint8 *frame, size_t size, int samples)
{
    if (!out.write(frame, qint64(size))) {
        framesLost = true;
        return false;
    }
    const quint32 bytes = quint32(size);
    minFrame = minFrame == 0 ? bytes : qMin(minFrame, bytes);
    maxFrame = qMax(maxFrame, bytes);
    const qint64 end = (frameEnds.empty() ? headerSize : frameEnds.back().first) + qint64(size);
    const quint64 total = (frameEnds.empty() ? 0 : frameEnds.back().second) + quint64(samples);
    frameEnds.emplace_back(end, total);
    return true;
}

bool FlacFile::patchHeader(quint64 samples, const QByteArray &digest)
{
    const QByteArray info = streamInfo(samples, digest);
    return file.seek(STREAMINFO_AT) && file.write(info) == info.size() && patchCueSheet(samples)
           && file.flush();
}

bool FlacFile::patchCueSheet(quint64 samples)
{
    if (marks.empty())
        return true;
    const QByteArray cue = flacCueSheet(marks, sampleRate, samples);
    const qint64 at = cueSheetEnd - 4 - qint64(flacCueSheet(marks, sampleRate, ~quint64(0)).size());
    const int freed = int(cueSheetEnd - at - 4 - cue.size());
    QByteArray blocks;
    putBlockHeader(blocks, BLOCK_CUESHEET, int(cue.size()));
    blocks.append(cue);
    putBlockHeader(blocks, LAST_BLOCK | BLOCK_PADDING, PADDING_SIZE + freed);
    blocks.append(freed, '\0');
    return file.seek(at) && file.write(blocks) == blocks.size();
}

bool FlacFile::finish()
{
    if (!file.isOpen())
        return false;
    const bool encoded = encoder && encoder->finish() && !encodingFailed;
    encoder.reset();
    const bool written = !framesLost && out.flush() && file.flush();
    if (!written) {
        framesLost = true;
        failure = file.errorString();
    }
    finishedMd5 = md5.result();
    bool ok = encoded && written && patchHeader(samplesEncoded, finishedMd5);
    if (!ok && failure.isEmpty())
        failure = encoded ? file.errorString() : QStringLiteral("the FLAC encoder failed");
    if (!written)
        keepWhatReachedTheDisc();
    if (file.isOpen())
        file.close();
    out.release();
    std::vector<quint8>().swap(staging);
    std::vector<char>().swap(unshifted);
    return ok;
}

void FlacFile::keepWhatReachedTheDisc()
{
    // What could not be written is dropped with the handle; a fresh one cuts the file back
    // to its last whole frame, so that it plays to there.
    const QString name = file.fileName();
    file.close();
    if (!file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly))
        return;
    const qint64 size = file.size();
    if (size < headerSize) {
        file.close();
        (void)removeOutputFile(name);
        return;
    }
    qint64 end = headerSize;
    quint64 samples = 0;
    for (const auto &[frameEnd, total] : frameEnds) {
        if (frameEnd > size)
            break;
        end = frameEnd;
        samples = total;
    }
    // The MD5 of the samples kept is not known: all zeros says so.
    if (!file.resize(end) || !patchHeader(samples, QByteArray(16, char(0))))
        qWarning("%s: cannot be cut back to its last whole frame", qPrintable(name));
}
