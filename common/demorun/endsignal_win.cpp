// The end signals on Windows: the console's control handler, which runs on a
// thread of its own. Ctrl+C and Ctrl+Break count as SIGINT; the console window
// closing, a log-off or a shutdown as SIGHUP. For those three Windows ends the
// process as soon as the handler returns, so the handler waits while the frame
// loop shuts the display down and the program exits.
#include "endsignal.h"

#include <windows.h>

#include <atomic>

namespace {

constexpr int kSignalStatusBase = 128;
constexpr int kInterruptSignal = 2;
constexpr int kHangUpSignal = 1;
constexpr DWORD kClosingGraceMs = 4500;  // Windows allows about 5 seconds

std::atomic<int> firstSignal{0};

BOOL WINAPI recordControl(DWORD control)
{
    const bool closing = control == CTRL_CLOSE_EVENT || control == CTRL_LOGOFF_EVENT ||
                         control == CTRL_SHUTDOWN_EVENT;
    int expected = 0;
    firstSignal.compare_exchange_strong(expected, closing ? kHangUpSignal : kInterruptSignal);
    if (closing) {
        Sleep(kClosingGraceMs);  // the program's exit ends this thread sooner
    }
    return TRUE;
}

}  // namespace

void endSignalsWatch()
{
    SetConsoleCtrlHandler(recordControl, TRUE);
}

int endSignalNumber()
{
    return firstSignal.load();
}

int endSignalExitStatus(int status)
{
    const int number = firstSignal.load();
    return number != 0 ? kSignalStatusBase + number : status;
}
