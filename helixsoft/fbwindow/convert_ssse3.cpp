// SSSE3 kernels: the formats that only move whole bytes (the swapped 32-bit
// word and both 24-bit orders) become one byte shuffle per four pixels; the
// 16-bit formats have nothing to gain and stay with the SSE2 kernels.
#include "convert_x86.h"

#include "convert_x86_sse.h"

#include <tmmintrin.h>

namespace {

constexpr int swapGroup = 4;
constexpr int packed24Group = 16;
constexpr char zeroByte = static_cast<char>(0x80);

int convertSwapped32(const uint32_t* source, uint8_t* destination, int count)
{
    const __m128i order = _mm_setr_epi8(2, 1, 0, zeroByte, 6, 5, 4, zeroByte, 10, 9, 8, zeroByte,
                                        14, 13, 12, zeroByte);
    ptrdiff_t i = 0;
    for (; count - i >= swapGroup; i += swapGroup) {
        sseStore(destination + 4 * i, _mm_shuffle_epi8(sseLoad(source + i), order));
    }
    return static_cast<int>(i);
}

template <bool swapped>
int convertPacked24(const uint32_t* source, uint8_t* destination, int count)
{
    const __m128i order =
        swapped ? _mm_setr_epi8(2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, zeroByte, zeroByte,
                                zeroByte, zeroByte)
                : _mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, zeroByte, zeroByte,
                                zeroByte, zeroByte);
    ptrdiff_t i = 0;
    for (; count - i >= packed24Group; i += packed24Group) {
        sseStorePacked24(destination + 3 * i, _mm_shuffle_epi8(sseLoad(source + i), order),
                         _mm_shuffle_epi8(sseLoad(source + i + 4), order),
                         _mm_shuffle_epi8(sseLoad(source + i + 8), order),
                         _mm_shuffle_epi8(sseLoad(source + i + 12), order));
    }
    return static_cast<int>(i);
}

} // namespace

int ssse3ConvertRow(RowFormat format, const uint32_t* source, uint8_t* destination, int count)
{
    switch (format) {
    case RowFormat::swapped32:
        return convertSwapped32(source, destination, count);
    case RowFormat::packed24:
        return convertPacked24<false>(source, destination, count);
    case RowFormat::packed24Swapped:
        return convertPacked24<true>(source, destination, count);
    default:
        return sse2ConvertRow(format, source, destination, count);
    }
}
