// AVX-512BW kernels: 16 to 64 pixels per step. Packs and byte shuffles still
// work per 128-bit quarter, so each group ends with a permute across the whole
// register; 24-bit output comes from two-register permutes into full stores.
#include "convert_x86.h"

#include <immintrin.h>

namespace {

constexpr int swapGroup = 16;
constexpr int packed24Group = 64;
constexpr int word16Group = 32;
constexpr size_t blockBytes = 64;
constexpr char zeroByte = static_cast<char>(0x80);
// An index of a second-register lane in _mm512_permutex2var_epi32.
constexpr int other = 16;

__m512i wideLoad(const uint32_t* source)
{
    return _mm512_loadu_si512(source);
}

void wideStore(uint8_t* destination, __m512i value)
{
    _mm512_storeu_si512(destination, value);
}

// The same 16-byte shuffle in all four quarters.
__m512i quarterOrder(__m128i order)
{
    return _mm512_broadcast_i32x4(order);
}

// A 16-bit pixel in the low half of each 32-bit lane, high half zero. The
// kept bits of the bytes (B, G, R, top) times (1, 64 or 32, 1, 0), summed in
// pairs, give the words B | G << 5 and R, both 3 bits up; the word pair times
// (1, 2048 or 1024) is then the whole pixel 3 bits up. No sum comes near the
// signed 16-bit limit. The swapped formats exchange R and B first.
template <RowFormat format>
__m512i word16(__m512i p)
{
    constexpr bool sixBitGreen = format == RowFormat::rgb565 || format == RowFormat::rgb565Swapped;
    constexpr bool swapped =
        format == RowFormat::rgb565Swapped || format == RowFormat::rgb555Swapped;
    constexpr int keptBits = sixBitGreen ? 0x00F8FCF8 : 0x00F8F8F8;
    constexpr int byteScales = sixBitGreen ? 0x00014001 : 0x00012001;
    constexpr int wordScales = sixBitGreen ? 0x08000001 : 0x04000001;
    if constexpr (swapped) {
        p = _mm512_shuffle_epi8(p, quarterOrder(_mm_setr_epi8(2, 1, 0, 3, 6, 5, 4, 7, 10, 9, 8, 11,
                                                                14, 13, 12, 15)));
    }
    const __m512i pairs = _mm512_maddubs_epi16(_mm512_and_si512(p, _mm512_set1_epi32(keptBits)),
                                            _mm512_set1_epi32(byteScales));
    return _mm512_srli_epi32(_mm512_madd_epi16(pairs, _mm512_set1_epi32(wordScales)), 3);
}

// The group kernels of this instruction set, as convertRowWith expects them.
struct Avx512Kernels {
    template <RowFormat format>
    static int convertWords16(const uint32_t* source, uint8_t* destination, int count)
    {
        const __m512i quartersInOrder = _mm512_setr_epi64(0, 2, 4, 6, 1, 3, 5, 7);
        ptrdiff_t i = 0;
        for (; count - i >= word16Group; i += word16Group) {
            const __m512i packed = _mm512_packus_epi32(word16<format>(wideLoad(source + i)),
                                                       word16<format>(wideLoad(source + i + 16)));
            wideStore(destination + 2 * i, _mm512_permutexvar_epi64(quartersInOrder, packed));
        }
        return static_cast<int>(i);
    }

    // After the shuffle each quarter holds 12 bytes, so the data lanes of a
    // register are 0-2, 4-6, 8-10 and 12-14; four registers fill three stores.
    template <bool swapped>
    static int convertPacked24(const uint32_t* source, uint8_t* destination, int count)
    {
        const __m512i order = quarterOrder(
            swapped ? _mm_setr_epi8(2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, zeroByte, zeroByte,
                                    zeroByte, zeroByte)
                    : _mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, zeroByte, zeroByte,
                                    zeroByte, zeroByte));
        const __m512i first = _mm512_setr_epi32(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, other,
                                                other + 1, other + 2, other + 4);
        const __m512i second = _mm512_setr_epi32(5, 6, 8, 9, 10, 12, 13, 14, other, other + 1,
                                                 other + 2, other + 4, other + 5, other + 6,
                                                 other + 8, other + 9);
        const __m512i third = _mm512_setr_epi32(10, 12, 13, 14, other, other + 1, other + 2,
                                                other + 4, other + 5, other + 6, other + 8,
                                                other + 9, other + 10, other + 12, other + 13,
                                                other + 14);
        ptrdiff_t i = 0;
        for (; count - i >= packed24Group; i += packed24Group) {
            const __m512i a = _mm512_shuffle_epi8(wideLoad(source + i), order);
            const __m512i b = _mm512_shuffle_epi8(wideLoad(source + i + 16), order);
            const __m512i c = _mm512_shuffle_epi8(wideLoad(source + i + 32), order);
            const __m512i d = _mm512_shuffle_epi8(wideLoad(source + i + 48), order);
            uint8_t* out = destination + 3 * i;
            wideStore(out, _mm512_permutex2var_epi32(a, first, b));
            wideStore(out + 64, _mm512_permutex2var_epi32(b, second, c));
            wideStore(out + 128, _mm512_permutex2var_epi32(c, third, d));
        }
        return static_cast<int>(i);
    }

    static int convertSwapped32(const uint32_t* source, uint8_t* destination, int count)
    {
        const __m512i order = quarterOrder(_mm_setr_epi8(2, 1, 0, zeroByte, 6, 5, 4, zeroByte, 10,
                                                         9, 8, zeroByte, 14, 13, 12, zeroByte));
        ptrdiff_t i = 0;
        for (; count - i >= swapGroup; i += swapGroup) {
            wideStore(destination + 4 * i, _mm512_shuffle_epi8(wideLoad(source + i), order));
        }
        return static_cast<int>(i);
    }
};

} // namespace

int avx512ConvertRow(RowFormat format, const uint32_t* source, uint8_t* destination, int count)
{
    return convertRowWith<Avx512Kernels>(format, source, destination, count);
}

size_t avx512CopyBlocks(uint8_t* destination, const uint8_t* source, size_t byteCount)
{
    size_t done = 0;
    for (; byteCount - done >= blockBytes; done += blockBytes) {
        wideStore(destination + done, _mm512_loadu_si512(source + done));
    }
    return done;
}
