#include "damagedtrack.h"

#include <QDir>
#include <QFile>
#include <algorithm>

#include "extraction/objectdump.h"
#include "dumpzone.h"
#include "extraction/extractprogress.h"
#include "mlpencoder.h"
#include "pcmpacking.h"
#include "zone/dvdazone.h"

namespace {
enum { RATE = 48000, FRAME_BYTES = 4, MLP_FRAME = 40 }; // 40 frames an access unit at 48 kHz

// Where each access unit of an MLP stream begins, and where the stream ends.
QList<int> unitStarts(const QByteArray &s)
{
    QList<int> starts{0};
    for (int at = 0; at < s.size(); starts << at)
        at += 2 * ((quint8(s[at]) << 8 | quint8(s[at + 1])) & 0xFFF);
    return starts;
}
} // namespace

DamagedTrack::DamagedTrack(bool mlp, const QString &damage)
{
    using namespace mlpencoder;
    const testzone::PcmGroup pcm{2, 16, RATE};
    QByteArray stream = mlp ? encodeMlp(toInt16(testSignal(2, 400 * MLP_FRAME, 16, 3)),
                                        {1, RATE, 16})
                            : testzone::packPcm(pcm, testzone::makePcmSamples(pcm, RATE, 5));
    const QList<int> starts = mlp ? unitStarts(stream) : QList<int>();
    // The fourth major sync's checksum, or a byte in the fifth access unit after it.
    const int sync = mlp ? majorSyncOffsets(stream)[3] : 0;
    const int unit = int(starts.indexOf(sync)) + 5;
    int flip = -1;
    if (damage == "flip audio")
        flip = (starts[unit] + starts[unit + 1]) / 2;
    if (damage == "flip major sync checksum")
        flip = sync + 4 + 26;
    if (flip >= 0)
        stream[flip] = char(stream[flip] ^ 0x5A);
    packed = mlp ? packs::packStream(stream, packs::mlpLayout())
                 : packs::packStream(stream, packs::pcmLayout(testzone::pcmFormat(pcm, {}, 1)));
    units = mlp ? starts.size() - 1 : packed.count;
    const int pack = packed.count * 2 / 3;
    quint8 *packBytes = reinterpret_cast<quint8 *>(packed.packs.data()) + pack * packs::PACK_SIZE;
    if (damage == "change header") // the bit code: 16 bits -> 24 bits
        packBytes[packed.headerAt[pack] + 7] ^= 0x20;
    if (damage == "zero pack")
        std::fill(packBytes, packBytes + packs::PACK_SIZE, 0);

    // Damage in a pack begins with its audio; in MLP with the access unit that holds it.
    const int at = flip >= 0          ? flip
                   : damage.isEmpty() ? -1
                                      : dumpzone::packAudioStarts(packed.audioPerPack)[pack];
    const int frames = !mlp ? at / FRAME_BYTES
                            : int(std::upper_bound(starts.begin(), starts.end(), at)
                                  - starts.begin() - 1) * MLP_FRAME;
    damageMs = at >= 0 ? qint64(frames) * 1000 / RATE : -1;
    unitMs = 1 + (mlp ? MLP_FRAME : packed.audioPerPack[0] / FRAME_BYTES) * 1000 / RATE;

    // The length the disc gives: the access units' frames, or the PCM samples.
    const qint64 length = mlp ? qint64(units) * MLP_FRAME : qint64(RATE);
    const quint32 lengthPts = quint32(length * 90000 / RATE);
    folder = std::make_unique<testzone::ZoneFolder>(dumpzone::consecutiveTracks(packed.packs, {0}, lengthPts));
    readablePacks = damage == "truncate" ? pack : packed.count;
    if (readablePacks < packed.count)
        QFile(folder->filePath(testzone::aobName(1, 1))).resize(readablePacks * packs::PACK_SIZE);
    zone = std::make_unique<DVDAZone>(QDir(folder->path()));
}

DamagedTrack::~DamagedTrack() = default;

AOBObject *DamagedTrack::track() const
{
    return zone->titlesets.at(0)->titles.at(0)->tracks.at(0);
}

ObjectCheck DamagedTrack::verify() const
{
    ExtractOptions options;
    options.mode = ModeVerify;
    ExtractProgress progress;
    ObjectCheck check;
    return dumpObject(track(), QString(), options, progress, &check).code() == check.result
               ? check : ObjectCheck();
}
