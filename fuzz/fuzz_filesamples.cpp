// What check-rip reads of a folder that may have been damaged or tampered with: a file's
// bytes read back as a wave file and as a FLAC file (the extension picks the reader), and
// as the text of a rip log.
#include <QFile>
#include <QString>
#include <unistd.h>

#include "output/filesamples.h"
#include "text/riplogread.h"

namespace {
void readAs(const char *suffix, const uint8_t *data, size_t size)
{
    const QString path = QStringLiteral("/tmp/kestrova-fuzz-%1%2").arg(getpid()).arg(QLatin1String(suffix));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || file.write(reinterpret_cast<const char *>(data), qint64(size)) != qint64(size))
        return;
    file.close();
    const FileSamples read = readFileSamples(path);
    (void)read;
    QFile::remove(path);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    readAs(".wav", data, size);
    readAs(".flac", data, size);
    const QList<LogRecord> records = readRipLog(QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size)));
    (void)records;
    return 0;
}
