#pragma once
// The unpacking of DVD-Audio packed linear PCM units into little-endian samples, run
// after run. A unit holds two consecutive samples of every channel of one group: first
// the upper 16 bits of all 2 x c samples as big-endian words, then (24 bits) one low
// byte per sample or (20 bits) one low nibble per sample, high nibble first.
#include <QtGlobal>

// Unpacks count consecutive units of one group, two frames each, into the group's
// channels: sample f of channel k goes to out[k] + f x stride, in 2 bytes (16 bits) or 3
// (20 bits with the low nibble zero, 24 bits); out[k] is moved past the samples written.
// Nothing is read past the last unit nor written past the last sample.
using PcmUnpacker = void (*)(const quint8 *units, int count, quint8 **out, int stride);

// The unpacker of a group of 1 to 6 channels of 16, 20 or 24 bits; null for any other.
PcmUnpacker pcmUnpacker(int channels, int bits);
