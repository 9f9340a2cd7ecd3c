// AVX2 kernels. Packs and byte shuffles work inside each 128-bit half, so
// every group ends with a cross-half permute that puts the pixels back in
// row order; 24-bit output is assembled as whole 32-byte stores. The compiler
// ends each kernel with vzeroupper, so SSE code after it pays no transition.
#include "convert_x86.h"

#include <immintrin.h>

namespace {

constexpr int swapGroup = 8;
constexpr int packed24Group = 32;
constexpr int word16Group = 16;
constexpr size_t blockBytes = 64;
constexpr char zeroByte = static_cast<char>(0x80);

__m256i avxLoad(const uint32_t* source)
{
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(source));
}

void avxStore(uint8_t* destination, __m256i value)
{
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(destination), value);
}

// A 16-bit pixel in the low half of each 32-bit lane, high half zero. The
// kept bits of the bytes (B, G, R, top) times (1, 64 or 32, 1, 0), summed in
// pairs, give the words B | G << 5 and R, both 3 bits up; the word pair times
// (1, 2048 or 1024) is then the whole pixel 3 bits up. No sum comes near the
// signed 16-bit limit. The swapped formats exchange R and B first.
template <RowFormat format>
__m256i word16(__m256i p)
{
    constexpr bool sixBitGreen = format == RowFormat::rgb565 || format == RowFormat::rgb565Swapped;
    constexpr bool swapped =
        format == RowFormat::rgb565Swapped || format == RowFormat::rgb555Swapped;
    constexpr int keptBits = sixBitGreen ? 0x00F8FCF8 : 0x00F8F8F8;
    constexpr int byteScales = sixBitGreen ? 0x00014001 : 0x00012001;
    constexpr int wordScales = sixBitGreen ? 0x08000001 : 0x04000001;
    if constexpr (swapped) {
        p = _mm256_shuffle_epi8(
            p, _mm256_broadcastsi128_si256(_mm_setr_epi8(2, 1, 0, 3, 6, 5, 4, 7, 10, 9, 8, 11, 14,
                                                         13, 12, 15)));
    }
    const __m256i pairs = _mm256_maddubs_epi16(_mm256_and_si256(p, _mm256_set1_epi32(keptBits)),
                                            _mm256_set1_epi32(byteScales));
    return _mm256_srli_epi32(_mm256_madd_epi16(pairs, _mm256_set1_epi32(wordScales)), 3);
}

// The group kernels of this instruction set, as convertRowWith expects them.
struct Avx2Kernels {
    template <RowFormat format>
    static int convertWords16(const uint32_t* source, uint8_t* destination, int count)
    {
        constexpr int halvesInOrder = 0xD8; // 64-bit lanes 0, 2, 1, 3
        ptrdiff_t i = 0;
        for (; count - i >= word16Group; i += word16Group) {
            const __m256i packed = _mm256_packus_epi32(word16<format>(avxLoad(source + i)),
                                                       word16<format>(avxLoad(source + i + 8)));
            avxStore(destination + 2 * i, _mm256_permute4x64_epi64(packed, halvesInOrder));
        }
        return static_cast<int>(i);
    }

    // After the shuffle each half holds 12 bytes, the 32-bit lanes x0..x2 and
    // x4..x6; four such registers fill three stores. Each permute puts one
    // register's six lanes where its bytes land, the blends take them from there.
    template <bool swapped>
    static int convertPacked24(const uint32_t* source, uint8_t* destination, int count)
    {
        const __m256i order =
            swapped ? _mm256_setr_epi8(2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, zeroByte, zeroByte,
                                       zeroByte, zeroByte, 2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12,
                                       zeroByte, zeroByte, zeroByte, zeroByte)
                    : _mm256_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, zeroByte, zeroByte,
                                       zeroByte, zeroByte, 0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14,
                                       zeroByte, zeroByte, zeroByte, zeroByte);
        const __m256i placeFirst = _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 0, 0);
        const __m256i placeSecond = _mm256_setr_epi32(2, 4, 5, 6, 0, 0, 0, 1);
        const __m256i placeThird = _mm256_setr_epi32(5, 6, 0, 0, 0, 1, 2, 4);
        const __m256i placeFourth = _mm256_setr_epi32(0, 0, 0, 1, 2, 4, 5, 6);
        ptrdiff_t i = 0;
        for (; count - i >= packed24Group; i += packed24Group) {
            const __m256i a = _mm256_permutevar8x32_epi32(
                _mm256_shuffle_epi8(avxLoad(source + i), order), placeFirst);
            const __m256i b = _mm256_permutevar8x32_epi32(
                _mm256_shuffle_epi8(avxLoad(source + i + 8), order), placeSecond);
            const __m256i c = _mm256_permutevar8x32_epi32(
                _mm256_shuffle_epi8(avxLoad(source + i + 16), order), placeThird);
            const __m256i d = _mm256_permutevar8x32_epi32(
                _mm256_shuffle_epi8(avxLoad(source + i + 24), order), placeFourth);
            uint8_t* out = destination + 3 * i;
            avxStore(out, _mm256_blend_epi32(a, b, 0xC0));
            avxStore(out + 32, _mm256_blend_epi32(b, c, 0xF0));
            avxStore(out + 64, _mm256_blend_epi32(c, d, 0xFC));
        }
        return static_cast<int>(i);
    }

    static int convertSwapped32(const uint32_t* source, uint8_t* destination, int count)
    {
        const __m256i order = _mm256_setr_epi8(
            2, 1, 0, zeroByte, 6, 5, 4, zeroByte, 10, 9, 8, zeroByte, 14, 13, 12, zeroByte, 2, 1, 0,
            zeroByte, 6, 5, 4, zeroByte, 10, 9, 8, zeroByte, 14, 13, 12, zeroByte);
        ptrdiff_t i = 0;
        for (; count - i >= swapGroup; i += swapGroup) {
            avxStore(destination + 4 * i, _mm256_shuffle_epi8(avxLoad(source + i), order));
        }
        return static_cast<int>(i);
    }
};

} // namespace

int avx2ConvertRow(RowFormat format, const uint32_t* source, uint8_t* destination, int count)
{
    return convertRowWith<Avx2Kernels>(format, source, destination, count);
}

size_t avx2CopyBlocks(uint8_t* destination, const uint8_t* source, size_t byteCount)
{
    size_t done = 0;
    for (; byteCount - done >= blockBytes; done += blockBytes) {
        const __m256i* from = reinterpret_cast<const __m256i*>(source + done);
        __m256i* to = reinterpret_cast<__m256i*>(destination + done);
        const __m256i first = _mm256_loadu_si256(from);
        const __m256i second = _mm256_loadu_si256(from + 1);
        _mm256_storeu_si256(to, first);
        _mm256_storeu_si256(to + 1, second);
    }
    return done;
}
