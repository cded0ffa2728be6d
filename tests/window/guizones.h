#pragma once
// Zones the window tests write: packs whose first sub-stream header tells PCM from MLP,
// and a zone with every kind of titleset the tree has to show or leave out.
#include <QByteArray>

#include "testzone/packs.h"
#include "testzone/testzone.h"

namespace guizones {

enum : quint32 { SECOND = 90000 };

inline QByteArray pcmPack()
{
    packs::PcmFormat format;
    format.bitCodes = 0x00;
    format.rateCodes = 0x00;
    format.channelAssignment = 1;
    return packs::pack({packs::privatePacket(packs::pcmSubStreamHeader(format) + QByteArray(1200, '\x11'), 5)});
}

inline QByteArray mlpPack()
{
    return packs::pack({packs::privatePacket(packs::mlpSubStreamHeader() + QByteArray(1200, '\x22'), 5)});
}

// Titleset 1, audio, blocks 0-7:
//   title 1: track 1 (PCM, 64 s) with indexes 1 (blocks 0-1) and 2 (blocks 2-3)
//   title 2: no tracks (a damaged record, named as a problem)
//   title 3, id 0x81: track 1 (MLP, 3 s, blocks 4-5), track 2 (no packs, 2 s, blocks 6-7)
// Titleset 2: video, with one title. Titleset 3: no files at all.
inline testzone::Zone mixedZone()
{
    testzone::Zone zone;

    testzone::Titleset audio;
    audio.info.titles.push_back(testzone::makeTitle({{64 * SECOND, {{0, 1}, {2, 3}}}}));
    audio.info.titles.push_back(testzone::makeTitle({}));
    testzone::Title tagged = testzone::makeTitle({{3 * SECOND, {{4, 5}}}, {2 * SECOND, {{6, 7}}}});
    tagged.titleId = 0x81;
    audio.info.titles.push_back(tagged);
    const QByteArray pcm = pcmPack(), mlp = mlpPack();
    audio.aobFiles.push_back(testzone::AobFile::ofBytes(pcm + pcm + pcm + pcm + mlp + mlp
                                                        + testzone::numberedBlocks(6, 2)));
    zone.titlesets.push_back(audio);

    testzone::Titleset video;
    video.info.videoObjects = 1;
    video.info.titles.push_back(testzone::makeTitle({{SECOND, {{0, 0}}}}));
    zone.titlesets.push_back(video);

    zone.titlesets.push_back(testzone::Titleset::absent());
    return zone;
}

// One audio titleset, one title of two PCM tracks of 10 s with one index each.
inline testzone::Zone smallZone()
{
    testzone::Zone zone;
    testzone::Titleset audio;
    audio.info.titles.push_back(testzone::makeTitle({{10 * SECOND, {{0, 1}}}, {10 * SECOND, {{2, 3}}}}));
    const QByteArray pcm = pcmPack();
    audio.aobFiles.push_back(testzone::AobFile::ofBytes(pcm + pcm + pcm + pcm));
    zone.titlesets.push_back(audio);
    return zone;
}

// One audio titleset of PCM tracks over 4 blocks each, with one index each:
//   title 1: track 1 (blocks 0-3)
//   title 2: tracks 1-3 (blocks 4-15), and track 4 (blocks 16-19), which lies past the end
//   of the AOB file, so that its extraction fails.
inline testzone::Zone extractionZone()
{
    testzone::Zone zone;
    testzone::Titleset audio;
    audio.info.titles.push_back(testzone::makeTitle({{SECOND, {{0, 3}}}}));
    audio.info.titles.push_back(testzone::makeTitle(
        {{SECOND, {{4, 7}}}, {SECOND, {{8, 11}}}, {SECOND, {{12, 15}}}, {SECOND, {{16, 19}}}}));
    QByteArray aob;
    for (int block = 0; block < 16; ++block)
        aob += pcmPack();
    audio.aobFiles.push_back(testzone::AobFile::ofBytes(aob));
    zone.titlesets.push_back(audio);
    return zone;
}

} // namespace guizones
