// Reading a zone from a UDF disc image against reading it from its folder: one long
// PCM track, its AOB data split over three files, stored (the stream written out
// unchanged) from each source in turn; the median of several runs of each, warm cache.
//   bench_zoneimage [megabytes] [runs]
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "extraction/objectdump.h"
#include "extraction/extractprogress.h"
#include "testzone/discimage.h"
#include "testzone/dumpzone.h"
#include "testzone/packs.h"
#include "zone/dvdazone.h"
#include "zone/zoneopener.h"

namespace {

// Seconds to store the zone's first track into out; negative on a failure.
double storeSeconds(const QString &zonePath, const QString &out)
{
    QString error;
    const std::unique_ptr<DVDAZone> zone = openZone(zonePath, &error);
    if (!zone || zone->titlesets[0]->titles.empty()) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return -1;
    }
    ExtractOptions options;
    options.mode = ModeStore;
    ExtractProgress progress;
    QElapsedTimer timer;
    timer.start();
    const Result result = dumpObject(zone->titlesets[0]->titles[0]->tracks[0],
                                     QDir(out).filePath(QStringLiteral("track")), options, progress);
    const double seconds = timer.nsecsElapsed() / 1e9;
    QDir(out).removeRecursively();
    QDir().mkpath(out);
    return result.ok() ? seconds : -1;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int megabytes = argc > 1 ? qMax(1, atoi(argv[1])) : 100;
    const int runs = argc > 2 ? qMax(1, atoi(argv[2])) : 5;

    const packs::PackedStream stream = packs::packStream(
        dumpzone::pattern(megabytes * 1000 * 1000), packs::pcmLayout({0x20, 0x10, 1}));
    testzone::Zone zone = dumpzone::consecutiveTracks(stream.packs, {0});
    const int third = stream.count / 3 * testzone::BLOCK_BYTES;
    zone.titlesets[0].aobFiles = {testzone::AobFile::ofBytes(stream.packs.left(third)),
                                  testzone::AobFile::ofBytes(stream.packs.mid(third, third)),
                                  testzone::AobFile::ofBytes(stream.packs.mid(2 * third))};

    QTemporaryDir work;
    const QString folder = work.filePath(QStringLiteral("AUDIO_TS"));
    const QString image = work.filePath(QStringLiteral("disc.iso"));
    const QString out = work.filePath(QStringLiteral("out"));
    if (!QDir().mkpath(folder) || !testzone::writeZone(folder, zone)
        || !testzone::writeImage(zone, image) || !QDir().mkpath(out)) {
        std::fprintf(stderr, "cannot write the zone or its image\n");
        return 1;
    }

    std::vector<double> fromFolder, fromImage;
    storeSeconds(folder, out); // warms the cache for both
    storeSeconds(image, out);
    for (int i = 0; i < runs; ++i) {
        fromFolder.push_back(storeSeconds(folder, out));
        fromImage.push_back(storeSeconds(image, out));
        if (fromFolder.back() < 0 || fromImage.back() < 0) {
            std::fprintf(stderr, "store failed\n");
            return 1;
        }
    }
    const double f = median(fromFolder), i = median(fromImage);
    std::printf("store of a %d MB PCM track in 3 AOB files, median of %d runs:\n", megabytes, runs);
    std::printf("  from the folder: %.3f s (%.0f MB/s)\n", f, stream.packs.size() / 1e6 / f);
    std::printf("  from the image:  %.3f s (%.0f MB/s)\n", i, stream.packs.size() / 1e6 / i);
    std::printf("  image / folder:  %.3f\n", i / f);
    return 0;
}
