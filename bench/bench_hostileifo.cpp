// Opening zones whose title tables ask for far more than a disc holds: time and peak
// resident memory of each open (the parse is bounded; these are the figures).
//   bench_hostileifo
#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>

#include <sys/resource.h>
#include <unistd.h>

#include "testzone/packs.h"
#include "testzone/testzone.h"
#include "zone/dvdazone.h"

using namespace testzone;

namespace {

// One title of 255 tracks whose first index number is 0 and 255 indexes from block
// `first` on: every index lies in every track's range.
Title everyIndexInEveryTrack(quint32 first, quint32 blocks)
{
    Title title;
    for (quint32 k = 0; k < 255; ++k) {
        title.tracks.push_back({0, 90000});
        const quint32 block = (first + k) % blocks;
        title.indexes.push_back({block, block});
    }
    return title;
}

TitlesetInfo sharedRecord(int entries)
{
    TitlesetInfo info;
    info.tweaks.patches = {{TITLE_TABLE_AT, sharedRecordTable(everyIndexInEveryTrack(0, 255), entries)}};
    return info;
}

long peakKilobytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Resident now (the peak may stem from writing the zone).
long residentKilobytes()
{
    long pages = 0, resident = 0;
    if (FILE *f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

void measure(const char *name, const TitlesetInfo &info, const QByteArray &aob)
{
    Zone description;
    Titleset &titleset = description.titlesets.emplace_back();
    titleset.info = info;
    titleset.aobFiles.push_back(AobFile::ofBytes(aob));
    ZoneFolder folder(description);
    const qint64 ifoBytes = QFileInfo(folder.filePath(titlesetInfoName(1))).size();
    const long before = peakKilobytes();
    const long residentBefore = residentKilobytes();
    QElapsedTimer timer;
    timer.start();
    DVDAZone zone{QDir(folder.path())};
    const double ms = timer.nsecsElapsed() / 1e6;
    int objects = 0;
    for (const auto &title : zone.titlesets.at(0)->titles)
        for (const auto &track : title->tracks)
            objects += 1 + int(track->indexes.size());
    std::printf("%-40s IFO %6lld bytes: %5.1f ms, %5d tracks+indexes, resident +%ld KiB, "
                "peak +%ld KiB\n",
                name, ifoBytes, ms, objects, residentKilobytes() - residentBefore,
                peakKilobytes() - before);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    enum { AOB_BLOCKS = 4096 };
    QByteArray audio(AOB_BLOCKS * 2000, '\0');
    for (int i = 0; i < audio.size(); ++i)
        audio[i] = char(i * 31);
    const QByteArray aob = packs::packStream(audio, packs::pcmLayout({0x20, 0x11, 1}))
                               .packs.left(AOB_BLOCKS * BLOCK_BYTES);

    measure("20 titles sharing a 255x255 record", sharedRecord(20), aob);
    measure("65535 titles sharing a 255x255 record", sharedRecord(65535), aob);
    TitlesetInfo distinct;
    for (quint32 k = 0; k < 99; ++k)
        distinct.titles.push_back(everyIndexInEveryTrack(k * 255, AOB_BLOCKS));
    measure("99 titles, 255x255 records, own blocks", distinct, aob);
    return 0;
}
