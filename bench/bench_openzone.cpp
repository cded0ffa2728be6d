// Time to open a zone of 2 titlesets, 3 titles and 20 tracks (one index each), and one of
// a title of 99 tracks: reading the information files, probing the AOB files and the
// 16-block stream reads of all tracks and indexes. The median of the rounds is printed.
//   bench_openzone [rounds]
#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>

#include "benchtools.h"
#include "testzone/packs.h"
#include "testzone/testzone.h"
#include "zone/dvdazone.h"

using namespace testzone;

namespace {

enum { BLOCKS_PER_TRACK = 20 };

// One AOB file of PCM packs for `tracks` tracks, and the titles that cut it up.
Titleset titlesetOf(const std::vector<int> &tracksPerTitle)
{
    Titleset titleset;
    quint32 block = 0;
    for (int tracks : tracksPerTitle) {
        std::vector<TrackSpan> spans;
        for (int t = 0; t < tracks; ++t) {
            spans.push_back({90000 * 180, {{block, block + BLOCKS_PER_TRACK - 1}}});
            block += BLOCKS_PER_TRACK;
        }
        titleset.info.titles.push_back(makeTitle(spans));
    }
    QByteArray audio(int(block) * 2000, '\0');
    for (int i = 0; i < audio.size(); ++i)
        audio[i] = char(i * 31);
    const packs::PackedStream stream = packs::packStream(audio, packs::pcmLayout({0x20, 0x11, 1}));
    titleset.aobFiles.push_back(AobFile::ofBytes(stream.packs.left(int(block) * BLOCK_BYTES)));
    return titleset;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? qMax(1, atoi(argv[1])) : 50;

    const std::vector<std::vector<std::vector<int>>> zones = {{{8, 6}, {6}}, {{99}}};
    for (const std::vector<std::vector<int>> &titlesets : zones) {
        Zone description;
        int expected = 0;
        for (const std::vector<int> &titles : titlesets) {
            description.titlesets.push_back(titlesetOf(titles));
            for (int tracks : titles)
                expected += tracks;
        }
        ZoneFolder folder(description);
        if (!folder.ok()) {
            std::fprintf(stderr, "cannot write the zone\n");
            return 1;
        }
        QList<double> ms;
        int tracks = 0;
        for (int r = 0; r < rounds; ++r) {
            QElapsedTimer timer;
            timer.start();
            DVDAZone zone{QDir(folder.path())};
            ms << timer.nsecsElapsed() / 1e6;
            tracks = 0;
            for (const DVDATitleset *titleset : zone.titlesets)
                for (const DVDATitle *title : titleset->titles)
                    tracks += int(title->tracks.size());
        }
        std::printf("open zone (%d titlesets, %d tracks, warm cache): median %.3f ms over %d "
                    "rounds (target < 100 ms)\n",
                    int(titlesets.size()), tracks, benchtools::median(ms), rounds);
        if (tracks != expected)
            return 1;
    }
    return 0;
}
