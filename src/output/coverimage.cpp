#include "output/coverimage.h"

#include <QFile>
#include <QtEndian>

namespace {

enum : qint64 {
    MAX_COVER = (1 << 24) - 1 - 64, // a FLAC metadata block holds 2^24 - 1 bytes, the fields included
};

quint32 be16(const QByteArray &b, qsizetype at)
{
    return qFromBigEndian<quint16>(b.constData() + at);
}

quint32 be32(const QByteArray &b, qsizetype at)
{
    return qFromBigEndian<quint32>(b.constData() + at);
}

void putBe32(QByteArray &b, quint32 v)
{
    char be[4];
    qToBigEndian(v, be);
    b.append(be, 4);
}

// PNG: the signature, then IHDR (width, height, bit depth, colour type); an indexed
// image's colours are its PLTE chunk's entries.
[[nodiscard]] bool parsePng(const QByteArray &d, CoverImage *c, QString *error)
{
    if (d.size() < 33 || d.mid(12, 4) != "IHDR") {
        *error = QStringLiteral("a PNG image without its IHDR header");
        return false;
    }
    const int bitDepth = quint8(d[24]), colourType = quint8(d[25]);
    const int samples = colourType == 2 ? 3 : colourType == 4 ? 2 : colourType == 6 ? 4 : 1;
    c->width = be32(d, 16);
    c->height = be32(d, 20);
    c->depth = quint32(bitDepth * samples);
    if (colourType == 3) {
        const qsizetype plte = d.indexOf("PLTE", 33);
        if (plte >= 4)
            c->colors = be32(d, plte - 4) / 3;
    }
    c->mime = QStringLiteral("image/png");
    c->extension = QStringLiteral("png");
    return true;
}

// JPEG: the markers from the start up to a start of frame (SOF0 to SOF15 but DHT, JPG and
// DAC), which gives precision, height, width and components.
[[nodiscard]] bool parseJpeg(const QByteArray &d, CoverImage *c, QString *error)
{
    for (qsizetype at = 2; at + 9 < d.size();) {
        if (quint8(d[at]) != 0xFF) {
            *error = QStringLiteral("a JPEG image whose markers are damaged (byte %1)").arg(at);
            return false;
        }
        const int marker = quint8(d[at + 1]);
        if (marker == 0xFF) {
            ++at; // fill
            continue;
        }
        const quint32 length = be16(d, at + 2);
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
            c->height = be16(d, at + 5);
            c->width = be16(d, at + 7);
            c->depth = quint32(quint8(d[at + 4])) * quint8(d[at + 9]);
            c->mime = QStringLiteral("image/jpeg");
            c->extension = QStringLiteral("jpg");
            return true;
        }
        if (length < 2)
            break;
        at += 2 + length;
    }
    *error = QStringLiteral("a JPEG image without a frame header");
    return false;
}

} // namespace

bool parseCoverImage(const QByteArray &data, CoverImage *cover, QString *error)
{
    *cover = CoverImage();
    if (data.size() > MAX_COVER) {
        *error = QStringLiteral("%1 bytes, more than a FLAC picture can hold (%2)").arg(data.size()).arg(MAX_COVER);
        return false;
    }
    bool parsed = false;
    if (data.startsWith("\x89PNG\r\n\x1a\n"))
        parsed = parsePng(data, cover, error);
    else if (data.startsWith("\xFF\xD8\xFF"))
        parsed = parseJpeg(data, cover, error);
    else
        *error = QStringLiteral("not a JPEG or PNG image");
    if (parsed && (cover->width == 0 || cover->height == 0)) {
        *error = QStringLiteral("an image of no size");
        parsed = false;
    }
    if (parsed)
        cover->data = data;
    return parsed;
}

bool readCoverImage(const QString &path, CoverImage *cover, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return false;
    }
    if (file.size() > MAX_COVER) {
        *error = QStringLiteral("%1: %2 bytes, more than a FLAC picture can hold").arg(path).arg(file.size());
        return false;
    }
    QString reason;
    if (parseCoverImage(file.readAll(), cover, &reason))
        return true;
    *error = QStringLiteral("%1: %2").arg(path, reason);
    return false;
}

QByteArray flacPictureBlock(const CoverImage &cover)
{
    enum { FRONT_COVER = 3 };
    QByteArray b;
    putBe32(b, FRONT_COVER);
    const QByteArray mime = cover.mime.toLatin1();
    putBe32(b, quint32(mime.size()));
    b.append(mime);
    putBe32(b, 0); // no description
    putBe32(b, cover.width);
    putBe32(b, cover.height);
    putBe32(b, cover.depth);
    putBe32(b, cover.colors);
    putBe32(b, quint32(cover.data.size()));
    b.append(cover.data);
    return b;
}
