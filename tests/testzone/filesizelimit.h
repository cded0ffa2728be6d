#pragma once
// A full disc as the program sees it: while this object lives, no file of the process
// can grow past the given size, so writes fail part way (with EFBIG, not a signal).
// Child processes inherit the limit: end it before running one.
#include <csignal>
#include <sys/resource.h>

namespace testzone {

class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit limit = saved;
        limit.rlim_cur = bytes;
        active = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &saved); }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

    bool active = false;

private:
    rlimit saved{};
};

} // namespace testzone
