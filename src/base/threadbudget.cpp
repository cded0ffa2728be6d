#include "base/threadbudget.h"

#include <atomic>
#include <thread>

namespace {
int cores()
{
    const int count = int(std::thread::hardware_concurrency());
    return count > 0 ? count : 1;
}

std::atomic<int> limit{cores()};
std::atomic<int> taken{0};
} // namespace

namespace threadbudget {

void setLimit(int threads)
{
    limit.store(threads > 0 ? threads : cores());
}

void hold()
{
    ++taken;
}

bool takeSpare()
{
    int now = taken.load();
    while (now < limit.load())
        if (taken.compare_exchange_weak(now, now + 1))
            return true;
    return false;
}

void giveBack()
{
    --taken;
}

int inUse()
{
    return taken.load();
}

} // namespace threadbudget
