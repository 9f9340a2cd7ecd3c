// Guard pages on Windows: one PAGE_NOACCESS reservation, its middle opened up.
#include "guarded_region.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {

size_t systemPageBytes()
{
    SYSTEM_INFO info{};
    GetSystemInfo(&info);
    return info.dwPageSize;
}

}  // namespace

GuardedRegion::GuardedRegion(size_t bytes)
    : pageBytes(systemPageBytes()), usableBytes(guardedUsableBytes(bytes, pageBytes))
{
    void* map = VirtualAlloc(nullptr, usableBytes + 2 * pageBytes, MEM_RESERVE | MEM_COMMIT,
                             PAGE_NOACCESS);
    EXPECT_NE(map, nullptr);
    mapping = static_cast<uint8_t*>(map);
    DWORD previous = 0;
    EXPECT_NE(VirtualProtect(mapping + pageBytes, usableBytes, PAGE_READWRITE, &previous), 0);
}

GuardedRegion::~GuardedRegion()
{
    VirtualFree(mapping, 0, MEM_RELEASE);
}
