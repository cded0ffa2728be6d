#include "stream/streamdumper.h"

Result DVDARawStreamDumper::write(const quint8 *data, int length)
{
    if (length <= 0)
        return ResultCode::Succeeded;
    return output.write(data, length);
}

Result DVDANullStreamDumper::write(const quint8 *data, int length)
{
    ++packets;
    if (data)
        bytes += length;
    return ResultCode::Succeeded;
}
