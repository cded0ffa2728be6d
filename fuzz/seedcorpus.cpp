// Writes the fuzz targets' seed inputs, made with the test-zone writer and the MLP
// fixture, into DIR/openzone, DIR/streaminfo, DIR/pcmdumper and DIR/mlpdumper; and wave
// and FLAC files and a rip log, as check-rip reads them, into DIR/filesamples.
#include <QDir>
#include <QFile>
#include <cstdio>

#include "fuzzinput.h"
#include "output/flacfile.h"
#include "output/wavefile.h"
#include "testzone/dumpzone.h"
#include "testzone/packs.h"
#include "testzone/pcmpacking.h"
#include "testzone/testzone.h"

namespace {

struct Format {
    const char *name;
    testzone::PcmGroup group1;
    testzone::PcmGroup group2;
    int assignment;
};

const Format formats[] = {
    {"stereo16", {2, 16, 48000}, {}, 1},
    {"stereo24-96", {2, 24, 96000}, {}, 1},
    {"mono20", {1, 20, 44100}, {}, 0},
    {"quad-two-groups", {2, 24, 96000}, {2, 16, 48000}, 3},
};

packs::PcmFormat headerFormat(const Format &f)
{
    packs::PcmFormat format;
    format.bitCodes = testzone::pcmBitsCode(f.group1.bits) << 4
                      | (f.group2.channels ? testzone::pcmBitsCode(f.group2.bits) : 15);
    format.rateCodes = testzone::pcmRateCode(f.group1.rate) << 4
                       | (f.group2.channels ? testzone::pcmRateCode(f.group2.rate) : 15);
    format.channelAssignment = f.assignment;
    return format;
}

QByteArray pcmAudio(const Format &f, int frames)
{
    const testzone::PcmSamples s1 = testzone::makePcmSamples(f.group1, frames, 1);
    if (!f.group2.channels)
        return testzone::packPcm(f.group1, s1);
    const testzone::PcmSamples s2 = testzone::makePcmSamples(
        f.group2, testzone::pcmGroup2Frames(f.group1, f.group2, frames), 2);
    return testzone::packPcm(f.group1, s1, f.group2, s2);
}

bool save(const QString &dir, const QString &name, const QByteArray &bytes)
{
    QDir().mkpath(dir);
    QFile file(QDir(dir).filePath(name));
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Where pack k's private packet ("00 00 01 BD") begins.
int privatePacketAt(const QByteArray &packs, int k)
{
    const int base = k * packs::PACK_SIZE;
    return base + packs::PACK_HEADER_SIZE + (quint8(packs[base + 13]) & 7);
}

// Damaged copies of a zone and of its packs, as a damaged disc or copy has them: the
// parsers must name them, never misread them.
bool saveDamaged(const QDir &out, const testzone::Zone &zone, const QByteArray &pcmPacks)
{
    const testzone::Titleset &ts = zone.titlesets[0];
    const quint32 lastBlock = testzone::aobAreaBlocks(ts.aobFiles) - 1;
    const QByteArray manager = testzone::managerBytes(zone.manager, 1);
    const QByteArray info = testzone::titlesetInfoBytes(ts.info, lastBlock);
    const QByteArray &aob = ts.aobFiles[0].bytes;
    testzone::TitlesetInfo trackless = ts.info;
    trackless.titles.insert(trackless.titles.begin(), testzone::makeTitle({}));
    // Damage the counts and block numbers pass in silence but for the cross-checks.
    testzone::TitlesetInfo noTitles = ts.info, fewerTracks = ts.info, overlap = ts.info, video = ts.info;
    noTitles.titleCount = 0;
    fewerTracks.titles[0].trackCount = 1;
    overlap.titles[0].indexes[1].first = overlap.titles[0].indexes[0].last;
    video.videoObjects = 1;
    QByteArray shifted = info;
    shifted.remove(1000, 4);
    const QList<QPair<QString, QList<QByteArray>>> zones = {
        {"title-count-0", {manager, testzone::titlesetInfoBytes(noTitles, lastBlock), aob}},
        {"track-count-1", {manager, testzone::titlesetInfoBytes(fewerTracks, lastBlock), aob}},
        {"index-overlap", {manager, testzone::titlesetInfoBytes(overlap, lastBlock), aob}},
        {"video-field", {manager, testzone::titlesetInfoBytes(video, lastBlock), aob}},
        {"ifo-shifted", {manager, shifted, aob}},
        {"ifo-cut-2048", {manager, info.left(2048), aob}},
        {"ifo-cut-700", {manager, info.left(700), aob}},
        {"aob-cut-half", {manager, info, aob.left(aob.size() / 2 / packs::PACK_SIZE * packs::PACK_SIZE)}},
        {"aob-empty", {manager, info, QByteArray()}},
        {"last-block-too-small", {manager, testzone::titlesetInfoBytes(ts.info, lastBlock / 2), aob}},
        {"title-without-tracks", {manager, testzone::titlesetInfoBytes(trackless, lastBlock), aob}},
    };
    bool ok = true;
    for (const auto &[name, files] : zones)
        ok = save(out.filePath("openzone"), "damaged-" + name, fuzzinput::join(files)) && ok;

    // Pack 1's packet length and sub-stream header length.
    const int at = privatePacketAt(pcmPacks, 1);
    const int length = quint8(pcmPacks[at + 4]) << 8 | quint8(pcmPacks[at + 5]);
    for (const int changed : {length - 1, length - 2000, length + 1}) {
        QByteArray packs = pcmPacks.left(3 * packs::PACK_SIZE);
        packs[at + 4] = char(changed >> 8);
        packs[at + 5] = char(changed);
        ok = save(out.filePath("streaminfo"), QString::asprintf("damaged-pcm-length%+d", changed - length),
                  packs) && ok;
    }
    QByteArray headerless = pcmPacks.left(3 * packs::PACK_SIZE);
    headerless[at + 9 + quint8(headerless[at + 8]) + 3] = 0;
    ok = save(out.filePath("streaminfo"), QStringLiteral("damaged-pcm-header-length-0"), headerless) && ok;
    // Its sub-stream id, and its PES header data length one more.
    QByteArray idless = pcmPacks.left(3 * packs::PACK_SIZE);
    idless[at + 9 + quint8(idless[at + 8])] = char(0x20);
    ok = save(out.filePath("streaminfo"), QStringLiteral("damaged-pcm-id"), idless) && ok;
    QByteArray later = pcmPacks.left(3 * packs::PACK_SIZE);
    later[at + 8] = char(quint8(later[at + 8]) + 1);
    return save(out.filePath("streaminfo"), QStringLiteral("damaged-pes-header-length+1"), later) && ok;
}

// Two private packets a pack, the first one's stream id of pack 1 damaged: a packet lost.
bool saveLostPacket(const QDir &out, const QByteArray &audio, const packs::PcmFormat &format)
{
    packs::StreamLayout layout = packs::pcmLayout(format);
    layout.packetsPerPack = 2;
    QByteArray packs = packs::packStream(audio, layout).packs.left(4 * packs::PACK_SIZE);
    packs[privatePacketAt(packs, 1) + 3] = char(0xB5);
    return save(out.filePath("streaminfo"), QStringLiteral("damaged-lost-packet"), packs);
}

// A short file of each format, 16 and 24 bits, written as the extraction writes them.
bool saveSampleFiles(const QDir &out)
{
    bool ok = true;
    const QString dir = out.filePath("filesamples");
    QDir().mkpath(dir);
    for (const int bits : {16, 24}) {
        WaveFile wave;
        FlacFile flac(5, {QStringLiteral("TITLE=seed")});
        for (SampleFile *file : {static_cast<SampleFile *>(&wave), static_cast<SampleFile *>(&flac)}) {
            const QString path = QDir(dir).filePath(QStringLiteral("%1-%2").arg(file == &wave ? "wave" : "flac").arg(bits));
            const int frame = 2 * bits / 8, frames = 1000;
            if (!file->open(path, 2, 48000, bits, 0x3)) {
                ok = false;
                continue;
            }
            quint8 *room = file->reserve(qint64(frames) * frame);
            for (int k = 0; room && k < frames * frame; ++k)
                room[k] = quint8(k * 37 + k / 5);
            file->commit(room ? qint64(frames) * frame : 0);
            ok = file->finish() && ok;
        }
    }
    const QByteArray log = "==== Kestrova 0.1.0, 2026-12-09T07:13:43\nOptions: output: /rip; mode: convert; delete: true;\n"
                           "  /rip/a.wav\n    144000 samples, 00:00:03.000, 48000 Hz, 16 bits, 2 channels, CRC32 of "
                           "the samples f3f140e3\n    CRC32 of each second: fe50990a d21f7e59 b71d7329\n"
                           "    command: 'x' exited with status 0\n  /rip/b.partial.flac (partial: its object did not "
                           "complete)\nRecord SHA-256: 00\n";
    return save(dir, QStringLiteral("rip-log"), log) && ok;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
        return 2;
    }
    const QDir out(QFile::decodeName(argv[1]));
    bool ok = true;
    for (const Format &f : formats) {
        const QString name = QString::fromLatin1(f.name);
        const packs::PackedStream stream =
            packs::packStream(pcmAudio(f, 1200), packs::pcmLayout(headerFormat(f)));
        // A zone of two tracks over the stream's packs.
        testzone::Zone zone = dumpzone::consecutiveTracks(stream.packs, {0, stream.count / 2});
        const testzone::Titleset &ts = zone.titlesets[0];
        const quint32 lastBlock = testzone::aobAreaBlocks(ts.aobFiles) - 1;
        ok = save(out.filePath("openzone"), name,
                  fuzzinput::join({testzone::managerBytes(zone.manager, 1),
                                   testzone::titlesetInfoBytes(ts.info, lastBlock),
                                   ts.aobFiles[0].bytes}))
             && ok;
        ok = save(out.filePath("streaminfo"), name, stream.packs.left(2 * packs::PACK_SIZE)) && ok;
        if (f.group1.bits == 16 && !f.group2.channels)
            ok = saveDamaged(out, zone, stream.packs) && saveLostPacket(out, pcmAudio(f, 3000), headerFormat(f)) && ok;
        for (const char flags : {0, 1, 2, 4}) {
            ok = save(out.filePath("pcmdumper"), name + QString::number(int(flags)),
                      fuzzinput::join({QByteArray{flags, char(7)},
                                       packs::pcmSubStreamHeader(headerFormat(f)),
                                       pcmAudio(f, 240)}))
                 && ok;
        }
    }
    // An MLP stream's first packs, and the stream as the MLP dumper gets it.
    QFile mlp(QStringLiteral(TESTDATA_DIR "/mlp/two-substreams.mlp"));
    if (mlp.open(QIODevice::ReadOnly)) {
        const QByteArray stream = mlp.read(16000);
        const packs::PackedStream packed = packs::packStream(stream, packs::mlpLayout());
        ok = save(out.filePath("streaminfo"), QStringLiteral("mlp"), packed.packs.left(4 * packs::PACK_SIZE)) && ok;
        // The first major sync's rate code flipped: a later one describes the stream.
        QByteArray flipped = stream;
        flipped[flipped.indexOf(QByteArray("\xF8\x72\x6F\xBB", 4)) + 5] = char(0xFF);
        const packs::PackedStream flippedPacks = packs::packStream(flipped, packs::mlpLayout());
        ok = save(out.filePath("streaminfo"), QStringLiteral("damaged-mlp-rate"),
                  flippedPacks.packs.left(4 * packs::PACK_SIZE)) && ok;
        ok = save(out.filePath("mlpdumper"), QStringLiteral("damaged-rate"),
                  fuzzinput::join({QByteArray{char(16), char(7)},
                                   packs::mlpSubStreamHeader() + flipped.left(4000), flipped}))
             && ok;
        for (const char flags : {0, 1, 2, 4, 16}) {
            ok = save(out.filePath("mlpdumper"), QStringLiteral("two-substreams") + QString::number(int(flags)),
                      fuzzinput::join({QByteArray{flags, char(7)},
                                       packs::mlpSubStreamHeader() + stream.left(4000), stream}))
                 && ok;
        }
    }
    ok = saveSampleFiles(out) && ok;
    return ok ? 0 : 1;
}
