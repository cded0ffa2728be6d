#include "7-cli/consolestreams.h"

#include <cerrno>

#include <unistd.h>

namespace {
bool writeAll(int fd, const QByteArray &bytes)
{
    const char *data = bytes.constData();
    qint64 left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, size_t(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false; // a closed or full stream
        }
        data += n;
        left -= n;
    }
    return true;
}
} // namespace

bool writeStdout(const QByteArray &bytes)
{
    return writeAll(STDOUT_FILENO, bytes);
}

void writeStderr(const QByteArray &bytes)
{
    // Nothing sensible is left to do with a message that cannot reach standard error.
    (void)writeAll(STDERR_FILENO, bytes);
}

void printError(const QString &text)
{
    writeStderr(QStringLiteral("kestrova-cli: %1\n").arg(text));
}

bool stderrIsTerminal()
{
    return ::isatty(STDERR_FILENO) == 1;
}
