#include "benchzones.h"

#include "testzone/dumpzone.h"
#include "testzone/mlpencoder.h"
#include "testzone/packs.h"
#include "testzone/pcmpacking.h"

namespace benchzones {

std::unique_ptr<testzone::ZoneFolder> zoneOf(const QList<QByteArray> &streams, bool mlp,
                                              int trackSeconds)
{
    const packs::StreamLayout layout =
        mlp ? packs::mlpLayout() : packs::pcmLayout(packs::PcmFormat{0x20, 0x10, 1});
    QByteArray all;
    QList<int> firsts;
    for (const QByteArray &stream : streams) {
        firsts << int(all.size() / packs::PACK_SIZE);
        all += packs::packStream(stream, layout).packs;
    }
    auto folder = std::make_unique<testzone::ZoneFolder>(dumpzone::consecutiveTracks(all, firsts, quint32(trackSeconds) * 90000));
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
