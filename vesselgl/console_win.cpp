// Single-key waiting on Windows. A console delivers input records: the first
// key going down ends the wait and is consumed, while focus, mouse and key-up
// records are read and passed over. Redirected input counts as on POSIX
// systems: data or its end (a closed pipe, the NUL device, a file) ends the wait.
#include "console.h"

#include <io.h>
#include <windows.h>

namespace {

constexpr DWORD kPipePollMs = 10;

DWORD millisecondsLeft(ULONGLONG deadline)
{
    const ULONGLONG now = GetTickCount64();
    return now < deadline ? static_cast<DWORD>(deadline - now) : 0;
}

bool waitConsoleKey(HANDLE console, ULONGLONG deadline)
{
    DWORD savedMode = 0;
    GetConsoleMode(console, &savedMode);
    SetConsoleMode(console, 0);  // Ctrl-C arrives as a key, and the mode is always restored
    bool pressed = false;
    while (!pressed && WaitForSingleObject(console, millisecondsLeft(deadline)) == WAIT_OBJECT_0) {
        INPUT_RECORD record{};
        DWORD got = 0;
        if (ReadConsoleInputA(console, &record, 1, &got) == 0) {
            break;
        }
        pressed = got == 1 && record.EventType == KEY_EVENT && record.Event.KeyEvent.bKeyDown;
    }
    SetConsoleMode(console, savedMode);
    return pressed;
}

bool waitPipeInput(HANDLE pipe, ULONGLONG deadline)
{
    for (;;) {
        DWORD available = 0;
        if (PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) == 0) {
            return true;  // the writer closed its end: end of input
        }
        if (available > 0) {
            char key = 0;
            DWORD got = 0;
            ReadFile(pipe, &key, 1, &got, nullptr);  // consumed, as a console key is
            return true;
        }
        const DWORD left = millisecondsLeft(deadline);
        if (left == 0) {
            return false;
        }
        Sleep(left < kPipePollMs ? left : kPipePollMs);
    }
}

}  // namespace

bool consoleWaitKey(int fd, int timeoutMs)
{
    const DWORD timeout = static_cast<DWORD>(timeoutMs > 0 ? timeoutMs : 0);
    const ULONGLONG deadline = GetTickCount64() + timeout;
    const auto input = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
    const DWORD type = input == INVALID_HANDLE_VALUE ? FILE_TYPE_UNKNOWN : GetFileType(input);
    DWORD mode = 0;
    if (type == FILE_TYPE_CHAR && GetConsoleMode(input, &mode) != 0) {
        return waitConsoleKey(input, deadline);
    }
    if (type == FILE_TYPE_PIPE) {
        return waitPipeInput(input, deadline);
    }
    if (type == FILE_TYPE_CHAR || type == FILE_TYPE_DISK) {
        return true;  // NUL or a file: always readable, as poll reports them
    }
    Sleep(timeout);  // no input at all: there is no console to press a key on
    return false;
}
