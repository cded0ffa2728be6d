#include "wavereader.h"

#include <QFile>

namespace testzone {

namespace {

quint32 le32(const QByteArray &b, qint64 at)
{
    const auto *u = reinterpret_cast<const uchar *>(b.constData()) + at;
    return quint32(u[0]) | quint32(u[1]) << 8 | quint32(u[2]) << 16 | quint32(u[3]) << 24;
}

quint16 le16(const QByteArray &b, qint64 at)
{
    const auto *u = reinterpret_cast<const uchar *>(b.constData()) + at;
    return quint16(u[0] | u[1] << 8);
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
    if (b.size() < 12 || b.left(4) != "RIFF" || b.mid(8, 4) != "WAVE") {
        w.problem = "no RIFF/WAVE header";
        return w;
    }
    if (le32(b, 4) != quint32(b.size() - 8)) {
        w.problem = QString("RIFF size %1, file size %2").arg(le32(b, 4)).arg(b.size());
        return w;
    }
    qint64 pos = 12;
    bool haveFormat = false;
    while (pos + 8 <= b.size()) {
        const QByteArray id = b.mid(pos, 4);
        const qint64 size = le32(b, pos + 4);
        const qint64 body = pos + 8;
        if (body + size > b.size()) {
            w.problem = QString("chunk %1 runs past the end").arg(QString(id));
            return w;
        }
        if (id == "fmt ") {
            if (size < 16) {
                w.problem = "short fmt chunk";
                return w;
            }
            haveFormat = true;
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
        } else if (id == "data") {
            if (!haveFormat) {
                w.problem = "data before fmt";
                return w;
            }
            if (body + size != b.size()) {
                w.problem = "data chunk does not end the file";
                return w;
            }
            w.headerSize = int(body);
            w.samples = b.mid(body, size);
            return w;
        }
        pos = body + size + (size & 1);
    }
    w.problem = "no data chunk";
    return w;
}

} // namespace testzone
