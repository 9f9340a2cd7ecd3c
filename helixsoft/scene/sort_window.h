// The seam between the depth sort and its window masks: one bit per key of a
// window of kSortWindow keys, bit t for the t-th key met in the scan's
// direction. CMake links exactly one file that defines these: the SSE2 masks on
// x86-64 or the portable loops elsewhere; both give the same bits.
#pragma once

#include <cstdint>

constexpr int32_t kSortWindow = 32;

// Bit t set where keys[t] >= pivot; reads keys[0..31].
uint32_t sortWindowAtLeast(const int32_t* keys, int32_t pivot);
// Bit t set where top[-t] <= pivot; reads top[-31..0].
uint32_t sortWindowAtMostDown(const int32_t* top, int32_t pivot);
