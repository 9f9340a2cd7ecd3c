#include "capture_streams.h"

#include <io.h>

// Windows' output files are handles that capture_os_win.cpp opens and checks
// itself; only the progress line asks about a stream here.
bool captureStreamIsTerminal(std::FILE* stream)
{
    return _isatty(_fileno(stream)) != 0;
}
