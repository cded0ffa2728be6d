#pragma once
// The loudness of one output file as ReplayGain 2.0 takes it: ITU BS.1770 / EBU R128
// integrated loudness, measured by libebur128 on the samples as they are written (no
// second pass over the file), and the sample peak, kept while the samples are converted for
// it: the same figure as libebur128's, without its second pass over every sample. Channels are weighted by their place: the
// surrounds at 1.41, the LFE left out.
#include <QString>
#include <QtGlobal>
#include <memory>
#include <vector>

class LoudnessMeter {
public:
    // channelMask: the file's WAVE_FORMAT_EXTENSIBLE mask; 0 takes one channel as mono and
    // two as left and right. False from ok() when libebur128 could not start.
    LoudnessMeter(int channels, int sampleRate, int bits, int channelMask);
    ~LoudnessMeter();
    LoudnessMeter(const LoudnessMeter &) = delete;
    LoudnessMeter &operator=(const LoudnessMeter &) = delete;

    [[nodiscard]] bool ok() const { return state != nullptr; }
    // Samples as the files take them: little-endian, 2 bytes each for 16 bits, else 3
    // (left-justified 20 or 24 bits), channels interleaved; whole frames.
    void add(const quint8 *bytes, qint64 count);

    // Integrated loudness in LUFS; -HUGE_VAL for silence.
    [[nodiscard]] double loudness() const;
    // The highest absolute sample, 1.0 at full scale.
    [[nodiscard]] double peak() const;
    // The loudness of several files taken as one programme (an album).
    [[nodiscard]] static double loudnessOf(const std::vector<const LoudnessMeter *> &meters);

private:
    struct State; // libebur128's, which its header declares without a name
    std::unique_ptr<State> state;
    int channels;
    int width; // bytes a sample takes
    std::vector<int> frames; // samples converted for libebur128, reused
    quint32 highest = 0;     // the highest absolute sample, left-justified in 32 bits
};

// ReplayGain 2.0: the gain that brings a loudness to -18 LUFS, "-3.52 dB"; and a peak
// as "0.988525". A silent file gets no gain: "+0.00 dB".
[[nodiscard]] QString replayGainText(double loudness);
[[nodiscard]] QString replayPeakText(double peak);
