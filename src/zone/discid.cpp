#include "zone/discid.h"

#include <QCryptographicHash>

#include "zone/zonesource.h"

namespace {
enum : qint64 { CHUNK = 1 << 20 }; // an information file is small; a hostile one is read in parts

// Adds the file's bytes; false when it is missing.
[[nodiscard]] bool addFile(QCryptographicHash &hash, ZoneSource &source, const QString &name)
{
    const std::unique_ptr<ZoneFile> file = source.open(name);
    if (!file)
        return false;
    for (qint64 offset = 0; offset < file->size();) {
        const QByteArray part = file->read(offset, CHUNK);
        if (part.isEmpty())
            break;
        hash.addData(part);
        offset += part.size();
    }
    return true;
}
} // namespace

QString discId(ZoneSource &source, int titlesetCount)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!addFile(hash, source, QStringLiteral("AUDIO_TS.IFO")))
        return QString();
    for (int n = 1; n <= titlesetCount; ++n)
        (void)addFile(hash, source, QString::asprintf("ATS_%02d_0.IFO", n));
    return QString::fromLatin1(hash.result().left(16).toHex());
}
