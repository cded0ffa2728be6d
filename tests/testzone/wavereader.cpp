#include "wavereader.h"

#include <QFile>
#include <QMap>
#include <QStringList>

namespace testzone {

namespace {

quint32 le32(const QByteArray &b, qint64 at)
{
    const auto *u = reinterpret_cast<const uchar *>(b.constData()) + at;
    return quint32(u[0]) | quint32(u[1]) << 8 | quint32(u[2]) << 16 | quint32(u[3]) << 24;
}

quint64 le64(const QByteArray &b, qint64 at)
{
    return quint64(le32(b, at)) | quint64(le32(b, at + 4)) << 32;
}

quint16 le16(const QByteArray &b, qint64 at)
{
    const auto *u = reinterpret_cast<const uchar *>(b.constData()) + at;
    return quint16(u[0] | u[1] << 8);
}

void readFormat(WaveContents &w, const QByteArray &b, qint64 body, qint64 size)
{
    w.formatTag = le16(b, body);
    w.channels = le16(b, body + 2);
    w.sampleRate = int(le32(b, body + 4));
    w.byteRate = int(le32(b, body + 8));
    w.blockAlign = le16(b, body + 12);
    w.bits = le16(b, body + 14);
    if (w.formatTag == 0xFFFE && size >= 40) {
        w.validBits = le16(b, body + 18);
        w.channelMask = le32(b, body + 20);
    }
}

// "LIST" "adtl" followed by sub-chunks; the labl ones name cue points by id.
void readLabels(QMap<quint32, QString> &labels, const QByteArray &b, qint64 body, qint64 size)
{
    if (size < 4 || b.mid(body, 4) != "adtl")
        return;
    for (qint64 at = body + 4; at + 8 <= body + size;) {
        const qint64 n = le32(b, at + 4);
        if (b.mid(at, 4) == "labl" && n >= 4)
            labels[le32(b, at + 8)] = QString::fromLatin1(b.mid(at + 12, n - 4)).section(QChar(0), 0, 0);
        at += 8 + n + (n & 1);
    }
}

} // namespace

WaveContents readWave(const QString &path)
{
    WaveContents w;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        w.problem = "cannot open " + path;
        return w;
    }
    const QByteArray b = f.readAll();
    w.rf64 = b.left(4) == "RF64";
    if (b.size() < 12 || (b.left(4) != "RIFF" && !w.rf64) || b.mid(8, 4) != "WAVE") {
        w.problem = "no RIFF/WAVE header";
        return w;
    }
    // RF64: the sizes are in the ds64 chunk that must come first, the fields say 0xFFFFFFFF.
    quint64 riffSize = le32(b, 4);
    quint64 dataSize64 = 0;
    if (w.rf64) {
        if (b.size() < 48 || b.mid(12, 4) != "ds64" || le32(b, 16) < 28 || riffSize != 0xFFFFFFFFu) {
            w.problem = "RF64 without a ds64 chunk first";
            return w;
        }
        riffSize = le64(b, 20);
        dataSize64 = le64(b, 28);
    }
    if (riffSize != quint64(b.size() - 8)) {
        w.problem = QString("RIFF size %1, file size %2").arg(riffSize).arg(b.size());
        return w;
    }
    bool haveFormat = false, haveData = false;
    QMap<quint32, QString> labels;
    std::vector<quint32> positions, ids;
    qint64 pos = 12;
    while (pos + 8 <= b.size()) {
        const QByteArray id = b.mid(pos, 4);
        qint64 size = le32(b, pos + 4);
        const qint64 body = pos + 8;
        if (id == "data" && w.rf64) {
            if (size != 0xFFFFFFFF) {
                w.problem = "RF64 data size field is not 0xFFFFFFFF";
                return w;
            }
            size = qint64(dataSize64);
        }
        if (body + size > b.size()) {
            w.problem = QString("chunk %1 runs past the end").arg(QString(id));
            return w;
        }
        w.chunks << QString::fromLatin1(id);
        if (id == "fmt ") {
            if (size < 16) {
                w.problem = "short fmt chunk";
                return w;
            }
            haveFormat = true;
            readFormat(w, b, body, size);
        } else if (id == "data") {
            if (!haveFormat) {
                w.problem = "data before fmt";
                return w;
            }
            haveData = true;
            w.headerSize = int(body);
            w.samples = b.mid(body, size);
        } else if (id == "cue " && size >= 4) {
            for (quint32 k = 0; k < le32(b, body) && 4 + 24 * (k + 1) <= size; ++k) {
                ids.push_back(le32(b, body + 4 + 24 * k));
                positions.push_back(le32(b, body + 4 + 24 * k + 20));
            }
        } else if (id == "LIST") {
            readLabels(labels, b, body, size);
        }
        pos = body + size + (size & 1);
    }
    if (pos != b.size() && !(pos == b.size() + 1)) {
        w.problem = "bytes after the last chunk";
        return w;
    }
    if (!haveData) {
        w.problem = "no data chunk";
        return w;
    }
    for (size_t k = 0; k < ids.size(); ++k)
        w.cues.push_back({positions[k], labels.value(ids[k])});
    return w;
}

} // namespace testzone
