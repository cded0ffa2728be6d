#pragma once
// The MLP decoder's library as the program runs with it, for the rip log.
#include <QString>

// "libavcodec 59.37.100", as the program was built against it.
[[nodiscard]] QString decoderLibraryVersion();
