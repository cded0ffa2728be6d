#pragma once
// Times on the disc are counts of 90 kHz ticks.
#include <QtGlobal>

enum { PTS_PER_SECOND = 90000 };

// Ticks as samples at a rate, rounded to the nearest sample (a half rounds up).
[[nodiscard]] inline qint64 ptsToSamples(quint64 pts, int sampleRate)
{
    return sampleRate > 0
               ? qint64((pts * quint64(sampleRate) + PTS_PER_SECOND / 2) / PTS_PER_SECOND)
               : 0;
}
