#pragma once
// Zones the benchmarks extract, written by the tests' zone writer: one title of tracks of
// music-like PCM or MLP streams, each track its own run of packs.
#include <QByteArray>
#include <QList>
#include <QVector>
#include <memory>

#include "testzone/testzone.h"

namespace benchzones {

// One title, a track per stream (PCM streams are 24-bit stereo at 96 kHz), each said to be
// trackSeconds long; null when the zone could not be written.
std::unique_ptr<testzone::ZoneFolder> zoneOf(const QList<QByteArray> &streams, bool mlp,
                                              int trackSeconds = 1);

// Ten seconds of a signal repeated: a tone per channel with a little noise, as music
// compresses rather than as random bytes do.
QVector<qint32> signalOf(int seconds, int channels, int rate, int bits);

// Packed PCM, 24-bit stereo at 96 kHz.
QByteArray pcmOf(int seconds);

// MLP 5.1 at 24 bits and 96 kHz, as bench_extraction makes it: each ten-second repeat begins
// with a major sync and ends in a silent second, so that the joined stream decodes cleanly.
QByteArray mlpOf(int seconds);

} // namespace benchzones
