// The MLP dumper on a fuzzed sub-stream header and first access units (where its decoder
// starts), fuzzed options and a fuzzed stream.
#include "dump/mlpstreamdumper.h"
#include "dumperrun.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzzinput::runDumper<DVDAMLPStreamDumper>(data, size);
    return 0;
}
