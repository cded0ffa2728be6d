#include "benchzones.h"

#include <unistd.h>

#include "testzone/dumpzone.h"
#include "testzone/mlpencoder.h"
#include "testzone/packs.h"
#include "testzone/pcmpacking.h"

namespace benchzones {

namespace {

// How long a stream plays, in 90 kHz ticks: PCM at 24-bit stereo 96 kHz, MLP by its access
// units and the rate of its first major sync.
quint32 lengthOf(const QByteArray &stream, bool mlp)
{
    if (!mlp)
        return quint32(qint64(stream.size()) / (2 * 3) * 90000 / 96000);
    const int sync = int(stream.indexOf(QByteArray("\xF8\x72\x6F\xBB", 4)));
    if (sync < 0 || sync + 5 >= stream.size())
        return 0;
    static const int rates[16] = {48000, 96000, 192000, 0, 0, 0, 0, 0, 44100, 88200, 176400};
    const int rate = rates[quint8(stream[sync + 5]) >> 4];
    if (rate <= 0)
        return 0;
    qint64 units = 0;
    for (qint64 at = 0; at + 2 <= stream.size(); ++units) {
        const int size = 2 * ((quint8(stream[at]) << 8 | quint8(stream[at + 1])) & 0xFFF);
        if (size < 4)
            break;
        at += size;
    }
    return quint32(units * mlpencoder::frameSize(rate) * 90000 / rate);
}

} // namespace

std::unique_ptr<testzone::ZoneFolder> zoneOf(const QList<QByteArray> &streams, bool mlp,
                                              int trackSeconds)
{
    const packs::StreamLayout layout =
        mlp ? packs::mlpLayout() : packs::pcmLayout(packs::PcmFormat{0x20, 0x10, 1});
    QByteArray all;
    QList<int> firsts;
    QList<quint32> lengths;
    for (const QByteArray &stream : streams) {
        firsts << int(all.size() / packs::PACK_SIZE);
        all += packs::packStream(stream, layout).packs;
        lengths << (trackSeconds > 0 ? quint32(trackSeconds) * 90000 : lengthOf(stream, mlp));
    }
    auto folder = std::make_unique<testzone::ZoneFolder>(dumpzone::timedTracks(all, firsts, lengths));
    // On disc before the first case: the zone's pages still being written back would take
    // a core from the cases that follow, the ones that use both the most.
    ::sync();
    return folder->ok() ? std::move(folder) : nullptr;
}

QVector<qint32> signalOf(int seconds, int channels, int rate, int bits)
{
    const int piece = qMin(seconds, 10);
    const QVector<qint32> ten = mlpencoder::testSignal(channels, piece * rate, bits, 4);
    QVector<qint32> all;
    all.reserve(qsizetype(seconds) * rate * channels);
    for (int done = 0; done < seconds; done += piece)
        all += ten;
    return all;
}

QByteArray pcmOf(int seconds)
{
    const QVector<qint32> signal = signalOf(seconds, 2, 96000, 24);
    const testzone::PcmGroup group{2, 24, 96000};
    return testzone::packPcm(group, testzone::PcmSamples(signal.begin(), signal.end()));
}

QByteArray mlpOf(int seconds, const mlpencoder::MlpFormat &format)
{
    const int channels = mlpencoder::channelCount(format.channelAssignment);
    const int piece = qMin(seconds, 10);
    QVector<qint32> signal = mlpencoder::testSignal(channels, piece * format.sampleRate, format.bits, 4);
    std::fill(signal.end() - channels * format.sampleRate, signal.end(), 0);
    const QByteArray ten = mlpencoder::encodeMlp(signal, format);
    QByteArray stream;
    for (int done = 0; done < seconds && !ten.isEmpty(); done += piece)
        stream += ten;
    return stream;
}

} // namespace benchzones
