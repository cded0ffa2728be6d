#pragma once
// Zones the benchmarks extract, written by the tests' zone writer: one title of tracks of
// music-like PCM or MLP streams, each track its own run of packs.
#include <QByteArray>
#include <QList>
#include <QVector>
#include <memory>

#include "testzone/mlpencoder.h"
#include "testzone/testzone.h"

namespace benchzones {

// One title, a track per stream (PCM streams are 24-bit stereo at 96 kHz), each as long as
// it plays (or, given, trackSeconds long), written back to the disc; null when the zone
// could not be written.
std::unique_ptr<testzone::ZoneFolder> zoneOf(const QList<QByteArray> &streams, bool mlp,
                                              int trackSeconds = 0);

// Ten seconds of a signal repeated: a tone per channel with a little noise, as music
// compresses rather than as random bytes do.
QVector<qint32> signalOf(int seconds, int channels, int rate, int bits);

// Packed PCM, 24-bit stereo at 96 kHz.
QByteArray pcmOf(int seconds);

// An MLP stream of the given length (5.1 at 24 bits and 96 kHz unless said otherwise): ten
// seconds encoded once and repeated. Each repeat begins with a major sync, so the joined
// stream is one valid stream. The last second of the piece is silent: the first restart
// header of a repeat carries the lossless check of nothing (0), which the decoder compares
// with the samples since the last restart header before the join, and a damaged-file
// report would fail the extraction.
QByteArray mlpOf(int seconds, const mlpencoder::MlpFormat &format = {12, 96000, 24});

} // namespace benchzones
