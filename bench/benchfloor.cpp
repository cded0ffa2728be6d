// benchfloor AOB OUT
// The least work a Store of a PCM track can do, in a program without Qt: the AOB read in
// 256 KiB runs, as the extraction reads it, and every 2048-byte block written to OUT (a
// new file) without its first 32 bytes, about what its pack and packet headers take.
// Its time against `cp` of the AOB bounds Store's ratio from below: what is left above
// it is the extraction's own work and the start-up of a program linked with Qt.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

enum : long { BLOCK = 2048, HEADERS = 32, RUN = 128 * BLOCK };

bool writeAll(int fd, const char *bytes, long size)
{
    while (size > 0) {
        const ssize_t done = write(fd, bytes, size_t(size));
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            return false;
        bytes += done;
        size -= done;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: benchfloor AOB OUT\n");
        return 2;
    }
    const int in = open(argv[1], O_RDONLY | O_CLOEXEC);
    const int out = open(argv[2], O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (in < 0 || out < 0) {
        std::fprintf(stderr, "benchfloor: cannot open %s: %s\n", in < 0 ? argv[1] : argv[2],
                     std::strerror(errno));
        return 1;
    }
    std::vector<char> run(RUN), payload(RUN);
    for (off_t at = 0;; at += RUN) {
        const ssize_t got = pread(in, run.data(), RUN, at);
        if (got < 0) {
            std::fprintf(stderr, "benchfloor: cannot read %s: %s\n", argv[1], std::strerror(errno));
            return 1;
        }
        long size = 0;
        for (long block = 0; block + BLOCK <= got; block += BLOCK, size += BLOCK - HEADERS)
            std::memcpy(payload.data() + size, run.data() + block + HEADERS, BLOCK - HEADERS);
        if (!writeAll(out, payload.data(), size)) {
            std::fprintf(stderr, "benchfloor: cannot write %s: %s\n", argv[2], std::strerror(errno));
            return 1;
        }
        if (got < RUN)
            break;
    }
    return close(out) == 0 ? 0 : 1;
}
