#include "cli/stopsignals.h"

#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

namespace {
volatile std::sig_atomic_t stopFlag = 0;
int pipeEnds[2] = {-1, -1};

extern "C" void onStopSignal(int signalNumber)
{
    if (stopFlag) {
        // Asked twice: give up on a clean stop. Only async-signal-safe calls here.
        ::signal(signalNumber, SIG_DFL);
        ::raise(signalNumber);
        return;
    }
    stopFlag = 1;
    if (pipeEnds[1] >= 0) {
        const int savedErrno = errno;
        const char byte = 1;
        [[maybe_unused]] const ssize_t n = ::write(pipeEnds[1], &byte, 1);
        errno = savedErrno;
    }
}
// A reader that went away (kestrova-cli ... | head) must not kill the program in the
// middle of a file: writes then fail with EPIPE instead. A handler rather than SIG_IGN,
// because an ignored signal would stay ignored in the user's command.
extern "C" void onBrokenPipe(int)
{
}
} // namespace

int installStopSignals()
{
    stopFlag = 0;
    if (pipeEnds[0] < 0 && ::pipe2(pipeEnds, O_NONBLOCK | O_CLOEXEC) != 0) {
        pipeEnds[0] = -1;
        pipeEnds[1] = -1;
    }
    struct sigaction action = {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
    // A closed terminal must not leave a half-written file with sizes of 0.
    ::sigaction(SIGHUP, &action, nullptr);
    struct sigaction pipeAction = {};
    pipeAction.sa_handler = onBrokenPipe;
    sigemptyset(&pipeAction.sa_mask);
    pipeAction.sa_flags = SA_RESTART;
    ::sigaction(SIGPIPE, &pipeAction, nullptr);
    return pipeEnds[0];
}

bool stopSignalled()
{
    return stopFlag != 0;
}

void drainStopSignals(int readEnd)
{
    char buffer[16];
    while (::read(readEnd, buffer, sizeof buffer) > 0) {
    }
}
