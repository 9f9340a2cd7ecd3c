// 128-bit helpers shared by the SSE2 and SSSE3 kernels. Everything here has
// internal linkage, so each kernel file gets a copy built for its own set and
// no stronger instruction can leak into a weaker file.
#pragma once

#include <emmintrin.h>

#include <cstddef>
#include <cstdint>

static inline __m128i sseLoad(const uint32_t* source)
{
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(source));
}

static inline void sseStore(uint8_t* destination, __m128i value)
{
    _mm_storeu_si128(reinterpret_cast<__m128i*>(destination), value);
}

// Four rows of 12 packed bytes (zero above) become 48 consecutive bytes.
static inline void sseStorePacked24(uint8_t* destination, __m128i first, __m128i second,
                                    __m128i third, __m128i fourth)
{
    sseStore(destination, _mm_or_si128(first, _mm_slli_si128(second, 12)));
    sseStore(destination + 16, _mm_or_si128(_mm_srli_si128(second, 4), _mm_slli_si128(third, 8)));
    sseStore(destination + 32, _mm_or_si128(_mm_srli_si128(third, 8), _mm_slli_si128(fourth, 4)));
}

// Eight pixels a step for the 16-bit formats. toWord16 leaves each pixel
// sign-extended in its 32-bit lane, so the signed pack keeps its bits exactly.
template <__m128i (*toWord16)(__m128i)>
static inline int sseConvertWords16(const uint32_t* source, uint8_t* destination, int count)
{
    constexpr ptrdiff_t group = 8;
    ptrdiff_t i = 0;
    for (; count - i >= group; i += group) {
        const __m128i first = toWord16(sseLoad(source + i));
        const __m128i second = toWord16(sseLoad(source + i + 4));
        sseStore(destination + 2 * i, _mm_packs_epi32(first, second));
    }
    return static_cast<int>(i);
}
