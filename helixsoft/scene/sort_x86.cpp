// The depth sort's window masks on x86-64, in SSE2, which the architecture
// guarantees: sixteen keys compared per step and their signs gathered with one
// movemask.
#include "sort_window.h"

#include <emmintrin.h>

namespace {

static_assert(kSortWindow == 32, "a window is two sets of sixteen keys");

// Bit t set where keys[t] < pivot, for t = 0..15.
uint32_t compareSixteenUp(const int32_t* keys, __m128i pivot)
{
    __m128i c[4];
    for (int v = 0; v < 4; ++v) {
        const __m128i k = _mm_loadu_si128(reinterpret_cast<const __m128i*>(keys + 4 * v));
        c[v] = _mm_cmplt_epi32(k, pivot);
    }
    const __m128i bytes = _mm_packs_epi16(_mm_packs_epi32(c[0], c[1]), _mm_packs_epi32(c[2], c[3]));
    return static_cast<uint32_t>(_mm_movemask_epi8(bytes));
}

// Bit t set where top[-t] > pivot, for t = 0..15: each vector's lanes reversed.
uint32_t compareSixteenDown(const int32_t* top, __m128i pivot)
{
    __m128i c[4];
    for (int v = 0; v < 4; ++v) {
        const __m128i k = _mm_loadu_si128(reinterpret_cast<const __m128i*>(top - 3 - 4 * v));
        c[v] = _mm_shuffle_epi32(_mm_cmpgt_epi32(k, pivot), 0x1B);
    }
    const __m128i bytes = _mm_packs_epi16(_mm_packs_epi32(c[0], c[1]), _mm_packs_epi32(c[2], c[3]));
    return static_cast<uint32_t>(_mm_movemask_epi8(bytes));
}

} // namespace

uint32_t sortWindowAtLeast(const int32_t* keys, int32_t pivot)
{
    const __m128i p = _mm_set1_epi32(pivot);
    return ~(compareSixteenUp(keys, p) | compareSixteenUp(keys + 16, p) << 16);
}

uint32_t sortWindowAtMostDown(const int32_t* top, int32_t pivot)
{
    const __m128i p = _mm_set1_epi32(pivot);
    return ~(compareSixteenDown(top, p) | compareSixteenDown(top - 16, p) << 16);
}
