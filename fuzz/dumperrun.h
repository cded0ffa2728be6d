#pragma once
// The shape the dumper targets share: option flags and a run size, a sub-stream header
// (also the collected payload the dumper may start from), and the payload handed over in
// runs of that size, into wave files in a scratch folder.
#include <QDir>
#include <memory>

#include "stream/packetreader.h"
#include "stream/streamdumper.h"
#include "extraction/objectoutput.h"
#include "fuzzinput.h"

namespace fuzzinput {

// subStreamId: the dumper to run (the header's own id byte is overridden).
inline void runDumper(const uint8_t *data, size_t size, quint8 subStreamId)
{
    const QList<QByteArray> parts = split(data, size, 3);
    const QByteArray &settings = parts[0];
    const quint8 flags = settings.size() > 0 ? quint8(settings[0]) : 0;
    const int run = settings.size() > 1 ? 1 + quint8(settings[1]) * 16 : 2048;

    auto info = std::make_unique<StreamInfo>();
    const auto *header = reinterpret_cast<const quint8 *>(parts[1].constData());
    const int headerSize = int(qMin(parts[1].size(), qsizetype(STREAM_PAYLOAD_SIZE)));
    parseStreamHeader(*info, header, headerSize);
    info->subStreamId = subStreamId;
    info->payload.assign(header, header + headerSize);
    info->payloadLength = headerSize;
    ExtractOptions options;
    options.mode = ModeConvert;
    options.merge = flags & 1;
    options.split = flags & 2;
    options.downmix = flags & 4;
    options.oldFormat = flags & 8;
    options.streamErrors = flags & 16;
    const QString base = QDir(scratchFolder()).filePath(QStringLiteral("t"));

    ObjectOutput output(*info, base, options);
    if (output.result().failed())
        return;
    const auto *payload = reinterpret_cast<const quint8 *>(parts[2].constData());
    for (qsizetype at = 0; at < parts[2].size(); at += run) {
        if (output.dumper()->write(payload + at, int(qMin(qsizetype(run), parts[2].size() - at))).failed())
            break;
    }
    std::vector<WrittenFile> files;
    if (output.finish(&files).failed())
        return;
}

} // namespace fuzzinput
