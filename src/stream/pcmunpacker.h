#pragma once
// The unpacking of DVD-Audio packed linear PCM units into little-endian samples, run
// after run. A unit holds two consecutive samples of every channel of one group: first
// the upper 16 bits of all 2 x c samples as big-endian words, then (24 bits) one low
// byte per sample or (20 bits) one low nibble per sample, high nibble first.
#include <QtGlobal>

// A run of units of one group and how its samples are laid out: sample t (0 or 1) of
// channel k of unit u goes to out[k] + u x outStep + t x stride, in 2 bytes (16 bits) or
// 3 (20 bits with the low nibble zero, 24 bits).
struct PcmRun {
    const quint8 *units = nullptr;
    int count = 0;
    int unitStep = 0; // bytes from one unit to the next; the unit's size when back to back
    int stride = 0;
    int outStep = 0;  // 2 x stride when the units' frames follow each other
};

// Unpacks the run and moves each out[k] on by count x outStep. Nothing is read past the
// last unit nor written past the last sample, nor anywhere but at the samples' places.
using PcmUnpacker = void (*)(const PcmRun &run, quint8 **out);
// The unpacker of a group of 1 to 6 channels of 16, 20 or 24 bits; null for any other.
[[nodiscard]] PcmUnpacker pcmUnpacker(int channels, int bits);
