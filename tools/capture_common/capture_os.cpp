// The capture tools' operating-system services on POSIX systems.
#include "capture_os.h"

#include "capture_streams.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

bool failWith(int error, std::string& why)
{
    why = std::strerror(error);
    return false;
}

bool isStdout(const struct stat& info)
{
    return captureStreamIsFile(STDOUT_FILENO, info);
}

// A missing name: a link that points nowhere is refused, as cp refuses to
// write through it, since the file it would create could be anywhere.
bool missingTarget(const std::string& path, std::string& target, std::string& why)
{
    struct stat link{};
    if (lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
        why = "it is a link to a missing file";
        return false;
    }
    target = path;
    return true;
}

// A regular file is replaced whole; through a link, the file it points to
// is, and the link stays.
bool regularTarget(const std::string& path, std::string& target, std::string& why)
{
    struct stat link{};
    if (lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) {
        target = path;
        return true;
    }
    char resolved[PATH_MAX];
    if (realpath(path.c_str(), resolved) == nullptr) {
        return failWith(errno, why);
    }
    target = resolved;
    return true;
}

bool openInPlace(const std::string& path, CaptureOsFile& file, std::string& target,
                 std::string& why)
{
    const int fd = open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    struct stat info{};
    if (fd < 0 || fstat(fd, &info) != 0) {
        const int error = errno;
        if (fd >= 0) {
            close(fd);
        }
        return failWith(error, why);
    }
    if (S_ISREG(info.st_mode)) {  // replaced by a file since it was looked at
        close(fd);
        return regularTarget(path, target, why);
    }
    captureStreamOpenedInPlace(fd);
    file.handle = fd;
    return true;
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

bool captureOsOpenTarget(const std::string& path, CaptureOsFile& file, std::string& target,
                         std::string& why)
{
    struct stat info{};
    if (stat(path.c_str(), &info) != 0) {
        return errno == ENOENT ? missingTarget(path, target, why) : failWith(errno, why);
    }
    if (S_ISREG(info.st_mode) && isStdout(info)) {
        // The tool's own standard output (--checksums /dev/stdout >file):
        // written through it, so the summary line follows the checksums.
        file.handle = captureStreamDuplicate(STDOUT_FILENO);
        return file.handle >= 0 || failWith(errno, why);
    }
    if (S_ISREG(info.st_mode)) {
        return regularTarget(path, target, why);
    }
    if (S_ISSOCK(info.st_mode)) {
        why = "it is a socket, which cannot be opened for writing";
        return false;
    }
    return S_ISDIR(info.st_mode) ? failWith(EISDIR, why) : openInPlace(path, file, target, why);
}

bool captureOsCreateNew(const std::string& name, CaptureOsFile& file, bool& exists,
                        std::string& why)
{
    // O_EXCL alone already refuses a link at name; O_NOFOLLOW says so twice.
    const int fd =
        open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC, 0666);
    exists = fd < 0 && errno == EEXIST;
    file.handle = fd;
    return fd >= 0 || failWith(errno, why);
}

bool captureOsWrite(const CaptureOsFile& file, const void* data, size_t size, std::string& why)
{
    const auto* bytes = static_cast<const char*>(data);
    size_t done = 0;
    while (done < size) {
        const ssize_t wrote = write(static_cast<int>(file.handle), bytes + done, size - done);
        if (wrote < 0 && errno == EINTR) {
            continue;
        }
        if (wrote <= 0) {
            return failWith(wrote < 0 ? errno : ENOSPC, why);  // 0 bytes: no room left
        }
        done += static_cast<size_t>(wrote);
    }
    return true;
}

bool captureOsClose(CaptureOsFile& file, std::string& why)
{
    const int fd = static_cast<int>(file.handle);
    file.handle = -1;
    return close(fd) == 0 || failWith(errno, why);
}

bool captureOsReplace(const std::string& from, const std::string& to, std::string& why)
{
    return std::rename(from.c_str(), to.c_str()) == 0 || failWith(errno, why);
}

void captureOsRemove(const std::string& name)
{
    unlink(name.c_str());
}

bool captureOsSamePath(const std::string& a, const std::string& b)
{
    return a == b;
}
