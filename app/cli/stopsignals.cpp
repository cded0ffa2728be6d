#include "app/cli/stopsignals.h"

#include <csignal>

#include <signal.h>

namespace {
volatile std::sig_atomic_t stopFlag = 0;

extern "C" void onStopSignal(int signalNumber)
{
    if (stopFlag) {
        // Asked twice: give up on a clean stop. Only async-signal-safe calls here.
        ::signal(signalNumber, SIG_DFL);
        ::raise(signalNumber);
        return;
    }
    stopFlag = 1;
}
} // namespace

void installStopSignals()
{
    stopFlag = 0;
    struct sigaction action = {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}

bool stopSignalled()
{
    return stopFlag != 0;
}
