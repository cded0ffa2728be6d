#include "stream/decoderversion.h"

extern "C" {
#include <libavcodec/version.h>
}

// The version the program was built against, whose major number names the library it
// loads (avcodeclibrary.h): reading the loaded one's would load it for every run.
QString decoderLibraryVersion()
{
    return QStringLiteral("libavcodec %1.%2.%3")
        .arg(LIBAVCODEC_VERSION_MAJOR)
        .arg(LIBAVCODEC_VERSION_MINOR)
        .arg(LIBAVCODEC_VERSION_MICRO);
}
