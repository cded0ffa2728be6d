#pragma once
// Reads back a finished wave file the way a player would: walks the RIFF (or RF64) chunks,
// checks that the sizes in the header agree with the file, and collects the cue points
// with their labels.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

namespace testzone {

struct CuePoint {
    quint32 position = 0; // sample frame
    QString label;        // from the LIST/adtl labl chunk of the same id
};

struct WaveContents {
    QString problem; // empty when the file is a complete, consistent wave file
    bool rf64 = false;
    int headerSize = 0; // where the samples begin
    int formatTag = 0; // 1 PCM, 0xFFFE extensible
    int channels = 0;
    int sampleRate = 0;
    int byteRate = 0;
    int blockAlign = 0;
    int bits = 0;
    int validBits = 0; // extensible only
    quint32 channelMask = 0; // extensible only
    QByteArray samples;
    std::vector<CuePoint> cues;
    QStringList chunks; // the ids of the chunks after "WAVE", in order
};

WaveContents readWave(const QString &path);

} // namespace testzone
