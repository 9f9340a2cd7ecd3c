// Guard pages on POSIX systems: one PROT_NONE mapping, its middle opened up.
#include "guarded_region.h"

#include <gtest/gtest.h>

#include <sys/mman.h>
#include <unistd.h>

GuardedRegion::GuardedRegion(size_t bytes)
    : pageBytes(static_cast<size_t>(sysconf(_SC_PAGESIZE))),
      usableBytes(guardedUsableBytes(bytes, pageBytes))
{
    void* map = mmap(nullptr, usableBytes + 2 * pageBytes, PROT_NONE,
                     MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    EXPECT_NE(map, MAP_FAILED);
    mapping = static_cast<uint8_t*>(map);
    EXPECT_EQ(mprotect(mapping + pageBytes, usableBytes, PROT_READ | PROT_WRITE), 0);
}

GuardedRegion::~GuardedRegion()
{
    munmap(mapping, usableBytes + 2 * pageBytes);
}
