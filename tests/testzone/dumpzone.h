#pragma once
// Zones for dump tests: one titleset, one title, tracks laid over consecutive runs of
// packs of one AOB file, as a disc lays out the tracks of a title.
#include <QByteArray>
#include <QList>
#include <QStringList>
#include <QString>

#include "testzone.h"

namespace dumpzone {

// Track k spans blocks firstBlocks[k] .. firstBlocks[k + 1] - 1, one index each, lengthPts
// ticks long. The last track ends at lastAobBlock, which -1 puts at the last pack; packs
// after it lie in the file but outside the titleset's AOB area.
testzone::Zone consecutiveTracks(const QByteArray &packs, const QList<int> &firstBlocks,
                                 quint32 lengthPts = 90000, qint64 lastAobBlock = -1);

// As consecutiveTracks, each track with its own length (90 kHz ticks).
testzone::Zone timedTracks(const QByteArray &packs, const QList<int> &firstBlocks,
                           const QList<quint32> &lengths);
// n bytes of a pattern that differs with seed, so misplaced bytes show.
QByteArray pattern(int n, int seed = 0);

// The whole file, or a null array when it can't be read.
QByteArray fileBytes(const QString &path);
// The names of the folder's files, hidden ones left out, sorted.
QStringList filesIn(const QString &dir);

// Byte offsets in a packed stream's audio where each pack's audio begins.
QList<int> packAudioStarts(const QList<int> &audioPerPack);
// The pack whose audio holds the byte at that audio offset.
int packOfAudioOffset(const QList<int> &audioPerPack, int offset);

} // namespace dumpzone
