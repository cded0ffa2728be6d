#include "dumpzone.h"

#include <QDir>
#include <QFile>

namespace dumpzone {

testzone::Zone consecutiveTracks(const QByteArray &packs, const QList<int> &firstBlocks,
                                 quint32 lengthPts, qint64 lastAobBlock)
{
    const int blockCount = lastAobBlock >= 0 ? int(lastAobBlock) + 1
                                             : int(packs.size() / testzone::BLOCK_BYTES);
    std::vector<testzone::TrackSpan> spans;
    for (int k = 0; k < firstBlocks.size(); ++k) {
        const int end = k + 1 < firstBlocks.size() ? firstBlocks[k + 1] : blockCount;
        spans.push_back({lengthPts, {{quint32(firstBlocks[k]), quint32(end - 1)}}});
    }
    testzone::Zone zone;
    testzone::Titleset &titleset = zone.titlesets.emplace_back();
    titleset.info.titles.push_back(testzone::makeTitle(spans));
    titleset.info.lastAobBlock = lastAobBlock;
    titleset.aobFiles.push_back(testzone::AobFile::ofBytes(packs));
    return zone;
}

testzone::Zone timedTracks(const QByteArray &packs, const QList<int> &firstBlocks,
                           const QList<quint32> &lengths)
{
    testzone::Zone zone = consecutiveTracks(packs, firstBlocks);
    testzone::Title &title = zone.titlesets[0].info.titles[0];
    title.lengthPts = 0;
    for (int k = 0; k < firstBlocks.size(); ++k) {
        title.tracks[size_t(k)].lengthPts = lengths.value(k);
        title.lengthPts += lengths.value(k);
    }
    return zone;
}

QByteArray pattern(int n, int seed)
{
    QByteArray bytes(n, char(0));
    quint32 state = 0x9E3779B9u * quint32(seed + 1);
    for (int i = 0; i < n; ++i) {
        state = state * 1664525u + 1013904223u;
        bytes[i] = char(state >> 24);
    }
    return bytes;
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

QStringList filesIn(const QString &dir)
{
    return QDir(dir).entryList(QDir::Files, QDir::Name);
}

QList<int> packAudioStarts(const QList<int> &audioPerPack)
{
    QList<int> starts;
    int at = 0;
    for (int n : audioPerPack) {
        starts << at;
        at += n;
    }
    return starts;
}

int packOfAudioOffset(const QList<int> &audioPerPack, int offset)
{
    int at = 0;
    for (int k = 0; k < audioPerPack.size(); ++k) {
        at += audioPerPack[k];
        if (offset < at)
            return k;
    }
    return -1;
}

} // namespace dumpzone
