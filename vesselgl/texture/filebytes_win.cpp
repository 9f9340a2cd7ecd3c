// Whole-file reading on Windows, through the Win32 file API: it has no text
// mode, so a 0x1A byte (the C library's end of file in text mode) is data like
// any other. Only disk files are read; NUL, consoles and pipes are refused.
#include "filebytes.h"

#include <windows.h>

namespace {

constexpr DWORD kReadChunkBytes = 1u << 20;

bool readOpenFile(HANDLE file, uint64_t maxBytes, std::vector<uint8_t>& bytes)
{
    LARGE_INTEGER size{};
    if (GetFileType(file) != FILE_TYPE_DISK || GetFileSizeEx(file, &size) == 0 ||
        size.QuadPart < 0 || static_cast<uint64_t>(size.QuadPart) > maxBytes) {
        return false;
    }
    bytes.resize(static_cast<size_t>(size.QuadPart));
    size_t done = 0;
    while (done < bytes.size()) {
        const size_t left = bytes.size() - done;
        const DWORD want = left < kReadChunkBytes ? static_cast<DWORD>(left) : kReadChunkBytes;
        DWORD got = 0;
        if (ReadFile(file, bytes.data() + done, want, &got, nullptr) == 0 || got == 0) {
            return false;  // a file that shrank while being read is unusable
        }
        done += got;
    }
    return true;
}

}  // namespace

bool fileReadRegular(const char* path, uint64_t maxBytes, std::vector<uint8_t>& bytes)
{
    bytes.clear();
    if (path == nullptr || path[0] == '\0') {
        return false;
    }
    // Without FILE_FLAG_BACKUP_SEMANTICS a directory cannot be opened at all.
    const HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    const bool ok = readOpenFile(file, maxBytes, bytes);
    CloseHandle(file);
    if (!ok) {
        bytes.clear();
    }
    return ok;
}
