// The end signals on POSIX systems: a handler that records the first of them.
// SA_RESTART keeps the window system's calls going; the flag is read between
// frames.
#include "endsignal.h"

#include <signal.h>

namespace {

constexpr int kSignalStatusBase = 128;
constexpr int kEndSignals[] = {SIGINT, SIGTERM, SIGHUP};

volatile sig_atomic_t firstSignal = 0;

void recordSignal(int number)
{
    if (firstSignal == 0) {
        firstSignal = number;
    }
}

}  // namespace

void endSignalsWatch()
{
    struct sigaction action {};
    action.sa_handler = recordSignal;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (const int number : kEndSignals) {
        sigaddset(&action.sa_mask, number);
    }
    for (const int number : kEndSignals) {
        sigaction(number, &action, nullptr);
    }
}

int endSignalNumber()
{
    return firstSignal;
}

int endSignalExitStatus(int status)
{
    return firstSignal != 0 ? kSignalStatusBase + firstSignal : status;
}
