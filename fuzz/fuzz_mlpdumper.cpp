// The MLP dumper on a fuzzed sub-stream header and first access units (where its decoder
// starts), fuzzed options and a fuzzed stream.
extern "C" {
#include <libavutil/log.h>
}

#include "dumperrun.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // The decoder's messages still reach the dumper's counters; the terminal stays quiet.
    static const bool quiet = (av_log_set_level(AV_LOG_QUIET), true);
    Q_UNUSED(quiet);
    fuzzinput::runDumper(data, size, SUBSTREAM_MLP);
    return 0;
}
