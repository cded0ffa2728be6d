#include "app/cli/consolestreams.h"

#include <cerrno>

#include <unistd.h>

namespace {
void writeAll(int fd, const QByteArray &bytes)
{
    const char *data = bytes.constData();
    qint64 left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, size_t(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return; // a closed or full stream: nothing sensible left to do with the text
        }
        data += n;
        left -= n;
    }
}
} // namespace

void writeStdout(const QByteArray &bytes)
{
    writeAll(STDOUT_FILENO, bytes);
}

void writeStderr(const QByteArray &bytes)
{
    writeAll(STDERR_FILENO, bytes);
}

void printError(const QString &text)
{
    writeStderr(QStringLiteral("kestrova-cli: %1\n").arg(text));
}

bool stderrIsTerminal()
{
    return ::isatty(STDERR_FILENO) == 1;
}
