#pragma once
// The FLAC library as the program runs with it, for the rip log.
#include <QString>

// "libFLAC 1.4.2".
[[nodiscard]] QString flacLibraryVersion();
