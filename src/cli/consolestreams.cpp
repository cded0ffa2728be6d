#include "cli/consolestreams.h"

#include <cerrno>

#include <unistd.h>

namespace {
// Writes until all bytes are out or the stream refuses (closed or full); the bytes that
// went out. Standard error has no one left to tell of a shortfall, so this is a count,
// not a verdict.
qint64 writeAll(int fd, const QByteArray &bytes)
{
    const char *data = bytes.constData();
    qint64 done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, data + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            break;
        done += n;
    }
    return done;
}
} // namespace

bool writeStdout(const QByteArray &bytes)
{
    return writeAll(STDOUT_FILENO, bytes) == bytes.size();
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
