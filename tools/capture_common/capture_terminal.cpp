#include "capture_terminal.h"

#include <unistd.h>

bool captureStreamIsTerminal(std::FILE* stream)
{
    return isatty(fileno(stream)) != 0;
}
