// benchspawn PROGRAM ARGS...
// Runs PROGRAM and prints "<wall seconds> <peak KiB> <exit status>" as the last line of
// its standard error, then exits with the program's status (128 + signal when killed).
// A process of its own, and a small one, because Linux carries the forking process's
// memory high-water mark over exec into the child's ru_maxrss: a big benchmark cannot
// read its child's peak itself. Plain POSIX, no libraries, so it stays near 1 MB.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace {

double now()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: benchspawn PROGRAM ARGS...\n");
        return 2;
    }
    const double start = now();
    const pid_t child = fork();
    if (child < 0) {
        std::fprintf(stderr, "benchspawn: cannot fork: %s\n", std::strerror(errno));
        return 127;
    }
    if (child == 0) {
        execvp(argv[1], argv + 1);
        std::fprintf(stderr, "benchspawn: cannot run %s: %s\n", argv[1], std::strerror(errno));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    while (wait4(child, &status, 0, &usage) < 0) {
        if (errno != EINTR) {
            std::fprintf(stderr, "benchspawn: cannot wait for %s: %s\n", argv[1],
                         std::strerror(errno));
            return 127;
        }
    }
    const double seconds = now() - start;
    const int exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    const double cpu = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
                     + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    std::fprintf(stderr, "\n%.6f %ld %d %.6f\n", seconds, long(usage.ru_maxrss), exitStatus, cpu);
    return exitStatus;
}
