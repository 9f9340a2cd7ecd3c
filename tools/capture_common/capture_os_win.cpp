// The capture tools' operating-system services on Windows. Files are written
// in binary mode: a text-mode write would turn every 0x0A byte of a PNG into
// 0x0D 0x0A. Windows' rename does not replace an existing file, so the old one
// is removed first; a file with the final name is still never a partial one.
#include "capture_os.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cerrno>
#include <climits>
#include <cstdio>

namespace {

constexpr size_t kWriteChunkBytes = 1u << 20;

bool writeAndClose(int fd, const std::vector<uint8_t>& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const size_t left = bytes.size() - done;
        const auto chunk = static_cast<unsigned>(left < kWriteChunkBytes ? left : kWriteChunkBytes);
        const int wrote = _write(fd, bytes.data() + done, chunk);
        if (wrote <= 0) {
            const int writeError = wrote < 0 ? errno : ENOSPC;  // 0 bytes: no room left
            _close(fd);
            errno = writeError;
            return false;
        }
        done += static_cast<size_t>(wrote);
    }
    return _close(fd) == 0;
}

}  // namespace

void captureOsPrepare() {}

bool captureOsStdoutOpen()
{
    if (_get_osfhandle(_fileno(stdout)) == -1) {
        errno = EBADF;
        return false;
    }
    return true;
}

bool captureOsProbeDir(const std::string& dir)
{
    std::string probe = dir + "/.capture-XXXXXX";
    if (_mktemp_s(probe.data(), probe.size() + 1) != 0) {
        return false;
    }
    const int fd = _open(probe.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_NOINHERIT,
                         _S_IREAD | _S_IWRITE);
    if (fd < 0) {
        return false;
    }
    _close(fd);
    std::remove(probe.c_str());
    return true;
}

bool captureOsWriteAndRename(const std::string& partial, const std::string& path,
                             const std::vector<uint8_t>& bytes)
{
    const int fd = _open(partial.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY | _O_NOINHERIT,
                         _S_IREAD | _S_IWRITE);
    if (fd < 0 || !writeAndClose(fd, bytes)) {
        return false;
    }
    if (std::remove(path.c_str()) != 0 && errno != ENOENT) {
        return false;
    }
    return std::rename(partial.c_str(), path.c_str()) == 0;
}
