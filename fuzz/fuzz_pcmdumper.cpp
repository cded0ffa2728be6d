// The linear PCM dumper on a fuzzed sub-stream header, fuzzed options and fuzzed payload.
#include "2-stream/pcmstreamdumper.h"
#include "dumperrun.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzzinput::runDumper<DVDAPCMStreamDumper>(data, size);
    return 0;
}
