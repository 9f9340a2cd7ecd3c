// A read-write region with an inaccessible page on each side, so that any
// access just before or just after it faults. The pages come from the
// platform: one source file for POSIX systems, one for Windows.
#pragma once

#include <cstddef>
#include <cstdint>

struct GuardedRegion {
    size_t pageBytes = 0;
    size_t usableBytes = 0;  // at least the bytes asked for, whole pages
    uint8_t* mapping = nullptr;

    explicit GuardedRegion(size_t bytes);
    ~GuardedRegion();
    GuardedRegion(const GuardedRegion&) = delete;
    GuardedRegion& operator=(const GuardedRegion&) = delete;

    uint8_t* begin() const { return mapping + pageBytes; }
    uint8_t* endingAt(size_t bytes) const { return begin() + usableBytes - bytes; }
};

// Whole pages for bytes, plus one spare page as the region always had.
inline size_t guardedUsableBytes(size_t bytes, size_t pageBytes)
{
    return (bytes + pageBytes - 1) / pageBytes * pageBytes + pageBytes;
}
