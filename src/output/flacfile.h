#pragma once
// One FLAC output file: the stream's header and metadata (STREAMINFO, the Vorbis comments,
// the cue sheet of a whole title, padding for later tags) go out when the file is opened, frames follow as the encoder
// hands them out, and finishing patches STREAMINFO with the sample count, the frame sizes
// and the MD5 of the samples. A file whose writing failed part-way is cut back to its
// last whole frame and its STREAMINFO made to say so (the MD5 then unset); one that did
// not even get its header is removed.
#include <QCryptographicHash>
#include <QFile>
#include <QStringList>
#include <memory>
#include <vector>

#include "output/bufferedoutput.h"
#include "output/coverimage.h"
#include "output/samplechecksum.h"
#include "output/samplefile.h"

class FlacEncoder;

class FlacFile : public SampleFile {
public:
    enum { STREAMINFO_AT = 8, STREAMINFO_SIZE = 34, PADDING_SIZE = 8192 };

    // comments: "NAME=value" Vorbis comments, written as given; cover: the front cover's
    // PICTURE block, when given.
    FlacFile(int compression, const QStringList &comments, std::shared_ptr<const CoverImage> cover = {});
    ~FlacFile() override;

    [[nodiscard]] bool open(const QString &path, int channels, int sampleRate, int bits,
                            int channelMask) override;
    [[nodiscard]] quint8 *reserve(qint64 count) override;
    void commit(qint64 count) override;
    [[nodiscard]] bool finish() override;
    [[nodiscard]] bool lostSamples() const override { return framesLost; }
    [[nodiscard]] bool isOpen() const override { return file.isOpen(); }
    [[nodiscard]] QString path() const override { return file.fileName(); }
    [[nodiscard]] QString errorText() const override { return failure; }
    [[nodiscard]] quint32 samplesCrc() const override { return crc.whole(); }
    [[nodiscard]] std::vector<quint32> secondsCrc() const override { return crc.seconds(); }
    // FLAC's MD5 is over the samples at their own depth (a 20-bit sample was taken shifted
    // up by 4), as metaflac --show-md5sum prints it.
    [[nodiscard]] QByteArray formatMd5() const override { return finishedMd5.toHex(); }

    // Whether the text may name a Vorbis comment: printable ASCII but '=', not empty.
    [[nodiscard]] static bool isCommentName(const QString &name);
    // The channel mask FLAC's reference decoder assumes for that many channels when the
    // stream names none.
    [[nodiscard]] static int defaultChannelMask(int channels);
    // The Vorbis comment that names the mask, or an empty string where the default holds.
    [[nodiscard]] static QString channelMaskComment(int channels, int channelMask);

private:
    [[nodiscard]] bool writeFrame(const quint8 *frame, size_t size, int samples);
    [[nodiscard]] QByteArray streamInfo(quint64 samples, const QByteArray &md5) const;
    [[nodiscard]] QByteArray headerBlocks(int channelMask) const;
    // After a failed write: cuts the file back to its last whole frame, or removes it.
    void keepWhatReachedTheDisc();
    // STREAMINFO with the sample count and MD5, and the cue sheet's lead-out.
    [[nodiscard]] bool patchHeader(quint64 samples, const QByteArray &md5);
    [[nodiscard]] bool patchCueSheet(quint64 samples);

    int compression;
    QStringList comments;
    std::shared_ptr<const CoverImage> cover;
    QFile file;
    QString failure; // the system's reason for a failed write or finish
    BufferedOutput out;
    std::unique_ptr<FlacEncoder> encoder;
    std::vector<quint8> staging;      // samples laid out by the sink, 2 or 3 bytes each
    std::vector<char> unshifted;      // 20-bit samples as FLAC's MD5 takes them
    QCryptographicHash md5{QCryptographicHash::Md5};
    QByteArray finishedMd5;           // the stream's MD5, once finished
    SampleCrc crc;                    // of the bytes committed
    int width = 2;                    // bytes a sample takes in staging
    qint64 headerSize = 0;
    qint64 cueSheetEnd = 0;           // where the cue sheet block ends and the padding begins
    quint64 samplesEncoded = 0;
    quint32 minFrame = 0, maxFrame = 0;
    // Where each frame written ends in the file, with the samples up to its end, so that a
    // file cut short can be cut back to a whole frame.
    std::vector<std::pair<qint64, quint64>> frameEnds;
    bool encodingFailed = false;
    bool framesLost = false;
};
