#pragma once
// MLP test streams made by libavcodec's own MLP encoder at test time, and the one
// rewrite the encoder cannot do itself: another channel assignment in the major syncs.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QVector>

namespace mlpencoder {

struct MlpFormat {
    int channelAssignment = 1; // encoder layouts: 0 1 2 3 4 7 8 9 10 11 12; see encodeMlp
    int sampleRate = 48000;    // 44100, 48000, 88200, 96000, 176400, 192000
    int bits = 16;             // 16 or 24
};

// Channels of an assignment id (0 when it has none).
int channelCount(int channelAssignment);
// Samples per channel in one access unit at this rate.
int frameSize(int sampleRate);

// Encodes interleaved samples (stream channel order, each within the signed range of
// format.bits) into a raw MLP stream: the encoder's access units, concatenated. The
// last access unit is filled up with silence to a whole frame. An id the encoder has
// no layout for is encoded with a layout of as many channels, then rewritten. Empty
// with *error set when libavcodec refuses.
QByteArray encodeMlp(const QVector<qint32> &samples, const MlpFormat &format,
                     QString *error = nullptr);
QByteArray encodeMlp(const QVector<qint16> &samples, const MlpFormat &format,
                     QString *error = nullptr);

// Offsets of the access units that carry a major sync, walking the stream by the
// access unit lengths.
QList<int> majorSyncOffsets(const QByteArray &stream);
// Sets the channel assignment (low 5 bits of byte 7 after F8) of every major sync and
// recomputes its checksum; returns how many major syncs were rewritten.
int setChannelAssignment(QByteArray &stream, int channelAssignment);
// Recomputes the checksum of every major sync from byte offset first on, after a test
// changed their fields; returns how many major syncs the stream has.
int fixMajorSyncChecksums(QByteArray &stream, int first = 0);

// A deterministic signal, different in every channel, reaching near the limits of bits.
QVector<qint32> testSignal(int channels, int samplesPerChannel, int bits, quint32 seed = 1);
QVector<qint16> toInt16(const QVector<qint32> &samples);

} // namespace mlpencoder
