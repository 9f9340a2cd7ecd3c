#include "capture_streams.h"

#include <fcntl.h>
#include <unistd.h>

bool captureStreamIsTerminal(std::FILE* stream)
{
    return isatty(fileno(stream)) != 0;
}

// The C library never writes at an offset of its own.
void captureStreamOpenedInPlace(int) {}

bool captureStreamIsFile(int descriptor, const struct stat& info)
{
    struct stat open{};
    return fstat(descriptor, &open) == 0 && open.st_dev == info.st_dev &&
           open.st_ino == info.st_ino;
}

int captureStreamDuplicate(int descriptor)
{
    return fcntl(descriptor, F_DUPFD_CLOEXEC, 0);
}
