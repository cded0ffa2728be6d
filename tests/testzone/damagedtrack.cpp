#include "damagedtrack.h"

#include <QDir>
#include <QFile>
#include <QtTest>

#include "dump/dumpobject.h"
#include "dump/packetreader.h"
#include "dumpzone.h"
#include "extract/extractprogress.h"
#include "mlpencoder.h"
#include "pcmpacking.h"
#include "zone/dvdazone.h"

using namespace mlpencoder;

namespace damagedtrack {

namespace {

const MlpFormat MLP{1, 48000, 16};
const testzone::PcmGroup PCM{2, 16, 48000};
enum { PCM_FRAME_BYTES = 4 }; // stereo, 16 bits

// The byte offset of pack k's sub-stream header in the packs.
int pcmHeaderAt(const QByteArray &packs, int k)
{
    const auto *all = reinterpret_cast<const quint8 *>(packs.constData());
    int at = -1;
    forEachPrivatePacket(all + k * packs::PACK_SIZE,
                         [&](const quint8 *payload, int) { at = int(payload - all); });
    return at;
}

} // namespace

QList<int> unitStarts(const QByteArray &stream)
{
    QList<int> starts{0};
    while (starts.last() < stream.size()) {
        const int at = starts.last();
        starts << at + 2 * ((quint8(stream[at]) << 8 | quint8(stream[at + 1])) & 0xFFF);
    }
    return starts;
}

DamagedTrack::DamagedTrack(bool isMlp, const QString &kind) : mlp(isMlp), damage(kind)
{
    if (mlp) {
        stream = encodeMlp(toInt16(testSignal(2, 400 * frameSize(MLP.sampleRate), 16, 3)), MLP);
        const QList<int> starts = unitStarts(stream);
        const QList<int> syncs = majorSyncOffsets(stream);
        const int unit = int(starts.indexOf(syncs[3])) + 5; // a unit without a major sync
        if (damage == "flip audio")
            damageAt = (starts[unit] + starts[unit + 1]) / 2;
        if (damage == "flip major sync checksum")
            damageAt = syncs[3] + 4 + 26;
        if (damageAt >= 0)
            stream[damageAt] = char(stream[damageAt] ^ 0x5A);
        packed = packs::packStream(stream, packs::mlpLayout());
    } else {
        stream = testzone::packPcm(PCM, testzone::makePcmSamples(PCM, 48000, 5));
        packed = packs::packStream(stream, packs::pcmLayout(testzone::pcmFormat(PCM, {}, 1)));
    }
    const int pack = packed.count * 2 / 3;
    const int packAudio = dumpzone::packAudioStarts(packed.audioPerPack)[pack];
    if (damage == "change header") {
        const int at = pcmHeaderAt(packed.packs, pack) + 7;
        packed.packs[at] = char(packed.packs[at] ^ 0x20); // 16 bits -> 24 bits
    }
    if (damage == "zero pack")
        packed.packs.replace(pack * packs::PACK_SIZE, packs::PACK_SIZE,
                             QByteArray(packs::PACK_SIZE, char(0)));
    if (damage == "change header" || damage == "zero pack" || damage == "truncate")
        damageAt = packAudio;
    folder = std::make_unique<testzone::ZoneFolder>(dumpzone::consecutiveTracks(packed.packs, {0}));
    if (damage == "truncate") {
        QFile aob(folder->filePath(testzone::aobName(1, 1)));
        QVERIFY(aob.resize(qint64(pack) * packs::PACK_SIZE));
    }
    zone = std::make_unique<DVDAZone>(QDir(folder->path()));
}

DamagedTrack::~DamagedTrack() = default;

AOBObject *DamagedTrack::track() const
{
    return zone->titlesets.at(0)->titles.at(0)->tracks.at(0);
}

ObjectCheck DamagedTrack::run(const QString &basePath, int mode, bool recover) const
{
    ExtractOptions options;
    options.mode = mode;
    options.streamErrors = recover;
    ExtractProgress progress;
    ObjectCheck check;
    const int result = dumpObject(track(), basePath, options, nullptr, progress, &check);
    return result == check.result ? check : ObjectCheck();
}

qint64 DamagedTrack::msAt(int offset) const
{
    if (!mlp)
        return qint64(offset / PCM_FRAME_BYTES) * 1000 / PCM.rate;
    const QList<int> starts = unitStarts(stream);
    int unit = 0;
    while (starts[unit + 1] <= offset)
        ++unit;
    return qint64(unit) * frameSize(MLP.sampleRate) * 1000 / MLP.sampleRate;
}

qint64 DamagedTrack::tolerance() const
{
    return mlp ? 1 + frameSize(MLP.sampleRate) * 1000 / MLP.sampleRate
               : 1 + qint64(packed.audioPerPack[0] / PCM_FRAME_BYTES) * 1000 / PCM.rate;
}

int DamagedTrack::readablePacks() const
{
    return damage == "truncate" ? packed.count * 2 / 3 : packed.count;
}

} // namespace damagedtrack
