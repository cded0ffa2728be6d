#pragma once
// A cover image for the files: its bytes and what a FLAC PICTURE block says of it (MIME
// type, width, height, bits per pixel, colours of an indexed image), read from the image's
// own header. JPEG and PNG only, as players show them.
#include <QByteArray>
#include <QString>

struct CoverImage {
    QByteArray data;
    QString mime;      // "image/jpeg", "image/png"
    QString extension; // "jpg", "png"
    quint32 width = 0, height = 0, depth = 0, colors = 0;
};

// Reads the image at path; false with *error naming the file and why it is no cover.
[[nodiscard]] bool readCoverImage(const QString &path, CoverImage *cover, QString *error);
// The same from bytes already read; the reason without the file's name.
[[nodiscard]] bool parseCoverImage(const QByteArray &data, CoverImage *cover, QString *error);

// The FLAC PICTURE block's body: type 3 (front cover), then the fields above, big-endian.
[[nodiscard]] QByteArray flacPictureBlock(const CoverImage &cover);
