// The linear PCM dumper on a fuzzed sub-stream header, fuzzed options and fuzzed payload.
#include "dumperrun.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzzinput::runDumper(data, size, SUBSTREAM_PCM);
    return 0;
}
