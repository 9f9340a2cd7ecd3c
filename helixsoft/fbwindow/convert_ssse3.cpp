// SSSE3 kernels: the formats that only move whole bytes (the swapped 32-bit
// word and both 24-bit orders) become one byte shuffle per four pixels, and
// the 16-bit formats two multiply-adds of the kept channel bits.
#include "convert_x86.h"

#include "convert_x86_sse.h"

#include <tmmintrin.h>

namespace {

constexpr int swapGroup = 4;
constexpr int packed24Group = 16;
constexpr char zeroByte = static_cast<char>(0x80);

// A 16-bit pixel in the top half of each 32-bit lane, shifted down with its
// sign so that _mm_packs_epi32 keeps its bits. The kept bits of the bytes
// (B, G, R, top) times (1, 64 or 32, 1, 0), summed in pairs, give the words
// B | G << 5 and R, both 3 bits up; the word pair times (1, 2048 or 1024) is
// the whole pixel 3 bits up. The swapped formats exchange R and B first.
template <RowFormat format>
__m128i word16(__m128i p)
{
    constexpr bool sixBitGreen = format == RowFormat::rgb565 || format == RowFormat::rgb565Swapped;
    constexpr bool swapped =
        format == RowFormat::rgb565Swapped || format == RowFormat::rgb555Swapped;
    constexpr int keptBits = sixBitGreen ? 0x00F8FCF8 : 0x00F8F8F8;
    constexpr int byteScales = sixBitGreen ? 0x00014001 : 0x00012001;
    constexpr int wordScales = sixBitGreen ? 0x08000001 : 0x04000001;
    if constexpr (swapped) {
        p = _mm_shuffle_epi8(
            p, _mm_setr_epi8(2, 1, 0, 3, 6, 5, 4, 7, 10, 9, 8, 11, 14, 13, 12, 15));
    }
    const __m128i pairs =
        _mm_maddubs_epi16(_mm_and_si128(p, _mm_set1_epi32(keptBits)), _mm_set1_epi32(byteScales));
    const __m128i pixelUp3 = _mm_madd_epi16(pairs, _mm_set1_epi32(wordScales));
    return _mm_srai_epi32(_mm_slli_epi32(pixelUp3, 13), 16);
}

// The group kernels of this instruction set, as convertRowWith expects them.
struct Ssse3Kernels {
    static int convertSwapped32(const uint32_t* source, uint8_t* destination, int count)
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
    static int convertPacked24(const uint32_t* source, uint8_t* destination, int count)
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

    template <RowFormat format>
    static int convertWords16(const uint32_t* source, uint8_t* destination, int count)
    {
        return sseConvertWords16<word16<format>>(source, destination, count);
    }
};

} // namespace

int ssse3ConvertRow(RowFormat format, const uint32_t* source, uint8_t* destination, int count)
{
    return convertRowWith<Ssse3Kernels>(format, source, destination, count);
}
