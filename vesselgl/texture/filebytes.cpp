// Whole-file reading on POSIX systems. The file is opened without blocking and
// checked with fstat before any read, so a FIFO with no writer fails at once.
#include "filebytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace {

bool readOpenFile(int fd, uint64_t maxBytes, std::vector<uint8_t>& bytes)
{
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < 0 ||
        static_cast<uint64_t>(info.st_size) > maxBytes) {
        return false;
    }
    bytes.resize(static_cast<size_t>(info.st_size));
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t got = read(fd, bytes.data() + done, bytes.size() - done);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return false;  // a file that shrank while being read is unusable
        }
        done += static_cast<size_t>(got);
    }
    return true;
}

}  // namespace

bool fileReadRegular(const char* path, uint64_t maxBytes, std::vector<uint8_t>& bytes)
{
    bytes.clear();
    const int fd = path == nullptr ? -1 : open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool ok = readOpenFile(fd, maxBytes, bytes);
    close(fd);
    if (!ok) {
        bytes.clear();
    }
    return ok;
}
