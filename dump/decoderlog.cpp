#include "dump/decoderlog.h"

void closeDecoderLog()
{
}
