// The depth sort's window masks on processors without kernels of their own:
// one comparison per key, which the compiler is free to vectorise for the
// target it builds for.
#include "sort_window.h"

uint32_t sortWindowAtLeast(const int32_t* keys, int32_t pivot)
{
    uint32_t mask = 0;
    for (int32_t t = 0; t < kSortWindow; ++t) {
        mask |= static_cast<uint32_t>(keys[t] >= pivot) << t;
    }
    return mask;
}

uint32_t sortWindowAtMostDown(const int32_t* top, int32_t pivot)
{
    uint32_t mask = 0;
    for (int32_t t = 0; t < kSortWindow; ++t) {
        mask |= static_cast<uint32_t>(top[-t] <= pivot) << t;
    }
    return mask;
}
