// The stream description read from fuzzed blocks, as a titleset reads it from an object's
// first blocks and the dump from the blocks after an object; then the same blocks stripped
// to their audio as the dump strips them, packets of damaged lengths included.
#include <cstring>
#include <memory>

#include "stream/channeltable.h"
#include "stream/packetreader.h"
#include "stream/payloadreader.h"
#include "stream/streamdumper.h"
#include "zone/dvdatitleset.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    enum { MAX_BLOCKS = 16 };
    const int count = int(qMin(size / BLOCK_SIZE + (size % BLOCK_SIZE ? 1 : 0), size_t(MAX_BLOCKS)));
    // Whole blocks, as the readers always get; a short last one is padded with zeros.
    auto blocks = std::make_unique<quint8[]>(size_t(count) * BLOCK_SIZE);
    std::memset(blocks.get(), 0, size_t(count) * BLOCK_SIZE);
    std::memcpy(blocks.get(), data, qMin(size, size_t(count) * BLOCK_SIZE));
    auto info = std::make_unique<StreamInfo>();
    readStreamInfo(*info, blocks.get(), count);
    QString group1, group2;
    describeChannels(*info, nullptr, nullptr, &group1, &group2, nullptr);
    DVDANullStreamDumper dumper;
    PayloadReader reader(dumper, info->subStreamId == SUBSTREAM_PCM ? info.get() : nullptr);
    for (int k = 0; k < count && !reader.limitReached(); ++k)
        if (reader.read(blocks.get() + size_t(k) * BLOCK_SIZE, k == 0 ? info->majorSyncOffset : 0,
                        k == 0 ? 3 * BLOCK_SIZE : 0).failed())
            break;
    return 0;
}
