#include "output/flacversion.h"

#include <FLAC/format.h>

QString flacLibraryVersion()
{
    return QStringLiteral("libFLAC ") + QString::fromLatin1(FLAC__VERSION_STRING);
}
