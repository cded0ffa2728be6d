#pragma once
// Reads back a finished wave file the way a player would: walks the RIFF chunks and
// checks that the sizes in the header agree with the file.
#include <QByteArray>
#include <QString>

namespace testzone {

struct WaveContents {
    QString problem; // empty when the file is a complete, consistent wave file
    int headerSize = 0;
    int formatTag = 0; // 1 PCM, 0xFFFE extensible
    int channels = 0;
    int sampleRate = 0;
    int byteRate = 0;
    int blockAlign = 0;
    int bits = 0;
    int validBits = 0; // extensible only
    quint32 channelMask = 0; // extensible only
    QByteArray samples;
};

WaveContents readWave(const QString &path);

} // namespace testzone
