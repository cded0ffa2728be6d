// The linear PCM dumper on a fuzzed sub-stream header, fuzzed options and fuzzed payload
// handed over in runs of fuzzed sizes, writing its wave files into a scratch folder.
#include <QDir>
#include <memory>

#include "dump/packetreader.h"
#include "dump/pcmstreamdumper.h"
#include "fuzzinput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Option flags and run size, the sub-stream header, the payload.
    const QList<QByteArray> parts = fuzzinput::split(data, size, 3);
    const QByteArray &settings = parts[0];
    const quint8 flags = settings.size() > 0 ? quint8(settings[0]) : 0;
    const int run = settings.size() > 1 ? 1 + quint8(settings[1]) * 16 : 2048;

    auto info = std::make_unique<StreamInfo>();
    parseStreamHeader(*info, reinterpret_cast<const quint8 *>(parts[1].constData()),
                      int(parts[1].size()));
    ExtractOptions options;
    options.mode = ModeConvert;
    options.merge = flags & 1;
    options.split = flags & 2;
    options.downmix = flags & 4;
    options.oldFormat = flags & 8;
    const QString base = QDir(fuzzinput::scratchFolder()).filePath(QStringLiteral("t"));

    DVDAPCMStreamDumper dumper(*info, base, options, nullptr);
    const auto *payload = reinterpret_cast<const quint8 *>(parts[2].constData());
    for (qsizetype at = 0; at < parts[2].size(); at += run) {
        if (dumper.write(payload + at, int(qMin(qsizetype(run), parts[2].size() - at))) != 0)
            break;
    }
    (void)dumper.finish();
    return 0;
}
