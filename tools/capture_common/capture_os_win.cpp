// The capture tools' operating-system services on Windows, on the system's
// own file calls: handles write bytes as they are (no text mode), a file is
// replaced in one step, and every reason is the system's own message.
#include "capture_os.h"

#include <windows.h>

#include <io.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

constexpr DWORD kWriteChunkBytes = 1u << 20;
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

HANDLE handleOf(const CaptureOsFile& file)
{
    return reinterpret_cast<HANDLE>(file.handle);
}

// GetLastError's message as FormatMessage gives it, without the line break.
bool failWithLastError(std::string& why)
{
    const DWORD error = GetLastError();
    char text[512] = {};
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
        MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), text, sizeof text, nullptr);
    why.assign(text, length);
    while (!why.empty() && (why.back() == '\n' || why.back() == '\r' || why.back() == ' ')) {
        why.pop_back();
    }
    if (why.empty()) {
        why = "system error " + std::to_string(error);
    }
    return false;
}

bool isNotFound(DWORD error)
{
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// The file a link at path points to, as the name to replace; a link to
// nothing is refused, as cp refuses to write through it.
bool linkTarget(const std::string& path, std::string& target, std::string& why)
{
    const HANDLE link = CreateFileA(path.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (link == INVALID_HANDLE_VALUE) {
        if (isNotFound(GetLastError())) {
            why = "it is a link to a missing file";
            return false;
        }
        return failWithLastError(why);
    }
    char resolved[MAX_PATH * 4];
    const DWORD length = GetFinalPathNameByHandleA(link, resolved, sizeof resolved,
                                                   FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    const bool found = length > 0 && length < sizeof resolved;
    if (!found) {
        failWithLastError(why);
    }
    CloseHandle(link);
    target.assign(resolved, found ? length : 0);
    return found;
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

bool captureOsOpenTarget(const std::string& path, CaptureOsFile& file, std::string& target,
                         std::string& why)
{
    // A device (NUL, CON, COM1) or a pipe opens like a file; opening a disk
    // file that is there changes nothing in it.
    const HANDLE handle =
        CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_DISK) {
        file.handle = reinterpret_cast<intptr_t>(handle);
        return true;
    }
    if (handle != INVALID_HANDLE_VALUE) {
        CloseHandle(handle);
    }
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        return linkTarget(path, target, why);
    }
    target = path;
    return true;
}

bool captureOsCreateNew(const std::string& name, CaptureOsFile& file, bool& exists,
                        std::string& why)
{
    // CREATE_NEW fails on any name that is taken, a link or a device included.
    const HANDLE handle = CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    const DWORD error = GetLastError();
    exists = handle == INVALID_HANDLE_VALUE &&
             (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS);
    file.handle = handle == INVALID_HANDLE_VALUE ? -1 : reinterpret_cast<intptr_t>(handle);
    return handle != INVALID_HANDLE_VALUE || failWithLastError(why);
}

bool captureOsWrite(const CaptureOsFile& file, const void* data, size_t size, std::string& why)
{
    const auto* bytes = static_cast<const char*>(data);
    size_t done = 0;
    while (done < size) {
        const size_t left = size - done;
        const DWORD chunk = left < kWriteChunkBytes ? static_cast<DWORD>(left) : kWriteChunkBytes;
        DWORD wrote = 0;
        if (!WriteFile(handleOf(file), bytes + done, chunk, &wrote, nullptr)) {
            return failWithLastError(why);
        }
        if (wrote == 0) {
            SetLastError(ERROR_DISK_FULL);
            return failWithLastError(why);
        }
        done += wrote;
    }
    return true;
}

bool captureOsClose(CaptureOsFile& file, std::string& why)
{
    const HANDLE handle = handleOf(file);
    file.handle = -1;
    return CloseHandle(handle) || failWithLastError(why);
}

bool captureOsReplace(const std::string& from, const std::string& to, std::string& why)
{
    return MoveFileExA(from.c_str(), to.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) ||
           failWithLastError(why);
}

void captureOsRemove(const std::string& name)
{
    DeleteFileA(name.c_str());
}

bool captureOsSamePath(const std::string& a, const std::string& b)
{
    return _stricmp(a.c_str(), b.c_str()) == 0;  // names differ only in case: one file
}
