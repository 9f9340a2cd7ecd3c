// The capture tools' operating-system services on POSIX systems.
#include "capture_os.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>

namespace {

// True when every byte was written and the file closed without error; else
// false with errno saying why. The file is closed either way.
bool writeAndClose(int fd, const std::vector<uint8_t>& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t wrote = write(fd, bytes.data() + done, bytes.size() - done);
        if (wrote < 0 && errno == EINTR) {
            continue;
        }
        if (wrote <= 0) {
            const int writeError = wrote < 0 ? errno : ENOSPC;  // 0 bytes: no room left
            close(fd);
            errno = writeError;
            return false;
        }
        done += static_cast<size_t>(wrote);
    }
    return close(fd) == 0;  // some file systems report a failed write only here
}

}  // namespace

void captureOsPrepare()
{
    std::signal(SIGXFSZ, SIG_IGN);
}

bool captureOsStdoutOpen()
{
    return fcntl(STDOUT_FILENO, F_GETFD) >= 0;
}

bool captureOsProbeDir(const std::string& dir)
{
    std::string probe = dir + "/.capture-XXXXXX";
    const int fd = mkstemp(probe.data());
    if (fd < 0) {
        return false;
    }
    close(fd);
    std::remove(probe.c_str());
    return true;
}

bool captureOsWriteAndRename(const std::string& partial, const std::string& path,
                             const std::vector<uint8_t>& bytes)
{
    const int fd = open(partial.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    return fd >= 0 && writeAndClose(fd, bytes) && std::rename(partial.c_str(), path.c_str()) == 0;
}
