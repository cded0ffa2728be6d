#pragma once
// A decoded whole title's track marks read back three ways (the cue sheet beside the
// file, the FLAC CUESHEET as metaflac prints it, the wave file's cue points) against
// where its tracks truly begin. QtTest checks: call it from a test function.
#include <QList>
#include <QString>

namespace testzone {

class MarkCheck {
public:
    // joins: the frame where each track begins, at rate1 (the title's group 1); the file
    // holds samples at rate. Each mark must lie within half a 90 kHz tick and half a
    // sample of its join (track lengths are whole ticks).
    static void check(const QString &path, int rate, int rate1, const QList<qint64> &joins);
    static double largest; // the largest distance seen, in samples
    static int largestAt;  // the rate of the file it was seen in
};

} // namespace testzone
