// SSE2 kernels, the x86-64 baseline: every format in groups of 4 to 16
// pixels. Without a byte shuffle the channel moves are shifts and masks; the
// 16-bit results are built so that a signed pack keeps their bits exactly.
#include "convert_x86.h"

#include "convert_x86_sse.h"

namespace {

constexpr int swapGroup = 4;
constexpr int packed24Group = 16;
constexpr size_t blockBytes = 64;

__m128i swapRedBlue(__m128i p)
{
    const __m128i channel = _mm_set1_epi32(0xFF);
    const __m128i green = _mm_and_si128(p, _mm_set1_epi32(0xFF00));
    const __m128i blueUp = _mm_slli_epi32(_mm_and_si128(p, channel), 16);
    const __m128i redDown = _mm_and_si128(_mm_srli_epi32(p, 16), channel);
    return _mm_or_si128(green, _mm_or_si128(blueUp, redDown));
}

// The low three bytes of four pixels into bytes 0..11, zero above: first two
// pixels per 64-bit lane, then the two lanes' six bytes side by side.
__m128i packLow24(__m128i p)
{
    const __m128i lowPixel = _mm_set_epi32(0, 0xFFFFFF, 0, 0xFFFFFF);
    const __m128i highPixel = _mm_set_epi32(0xFFFF, 0xFF000000, 0xFFFF, 0xFF000000);
    const __m128i firstSix = _mm_set_epi32(0, 0, 0xFFFF, -1);
    const __m128i secondSix = _mm_set_epi32(0, -1, static_cast<int>(0xFFFF0000), 0);
    const __m128i lanes = _mm_or_si128(_mm_and_si128(p, lowPixel),
                                       _mm_and_si128(_mm_srli_epi64(p, 8), highPixel));
    return _mm_or_si128(_mm_and_si128(lanes, firstSix),
                        _mm_and_si128(_mm_srli_si128(lanes, 2), secondSix));
}

// A 16-bit pixel in the top half of each 32-bit lane, shifted down with its
// sign so that _mm_packs_epi32 cannot saturate it.
template <RowFormat format>
__m128i word16(__m128i p)
{
    if constexpr (format == RowFormat::rgb565 || format == RowFormat::rgb565Swapped) {
        const __m128i green = _mm_and_si128(_mm_slli_epi32(p, 11), _mm_set1_epi32(0x07E00000));
        const bool swapped = format == RowFormat::rgb565Swapped;
        const __m128i high = swapped ? _mm_slli_epi32(p, 24) : _mm_slli_epi32(p, 8);
        const __m128i low = swapped ? _mm_srli_epi32(p, 3) : _mm_slli_epi32(p, 13);
        const __m128i word = _mm_or_si128(
            _mm_or_si128(_mm_and_si128(high, _mm_set1_epi32(static_cast<int>(0xF8000000))),
                         green),
            _mm_and_si128(low, _mm_set1_epi32(0x001F0000)));
        return _mm_srai_epi32(word, 16);
    } else {
        // (B, R) word pairs times (8, 0x2000), or (0x2000, 8) when swapped,
        // put both fields 6 bits above their place; bit 15 stays 0, so the
        // signed pack is exact here as it is.
        const int multipliers = format == RowFormat::rgb555 ? 0x20000008 : 0x00082000;
        const __m128i redBlue = _mm_and_si128(p, _mm_set1_epi32(0x00F800F8));
        const __m128i placed = _mm_madd_epi16(redBlue, _mm_set1_epi32(multipliers));
        const __m128i green = _mm_and_si128(p, _mm_set1_epi32(0xF800));
        return _mm_srli_epi32(_mm_or_si128(placed, green), 6);
    }
}

// The group kernels of this instruction set, as convertRowWith expects them.
struct Sse2Kernels {
    template <RowFormat format>
    static int convertWords16(const uint32_t* source, uint8_t* destination, int count)
    {
        return sseConvertWords16<word16<format>>(source, destination, count);
    }

    template <bool swapped>
    static int convertPacked24(const uint32_t* source, uint8_t* destination, int count)
    {
        ptrdiff_t i = 0;
        for (; count - i >= packed24Group; i += packed24Group) {
            __m128i pixels[4];
            for (int k = 0; k < 4; ++k) {
                const __m128i p = sseLoad(source + i + 4 * k);
                pixels[k] = packLow24(swapped ? swapRedBlue(p) : p);
            }
            sseStorePacked24(destination + 3 * i, pixels[0], pixels[1], pixels[2], pixels[3]);
        }
        return static_cast<int>(i);
    }

    static int convertSwapped32(const uint32_t* source, uint8_t* destination, int count)
    {
        ptrdiff_t i = 0;
        for (; count - i >= swapGroup; i += swapGroup) {
            sseStore(destination + 4 * i, swapRedBlue(sseLoad(source + i)));
        }
        return static_cast<int>(i);
    }
};

} // namespace

int sse2ConvertRow(RowFormat format, const uint32_t* source, uint8_t* destination, int count)
{
    return convertRowWith<Sse2Kernels>(format, source, destination, count);
}

size_t sse2CopyBlocks(uint8_t* destination, const uint8_t* source, size_t byteCount)
{
    size_t done = 0;
    for (; byteCount - done >= blockBytes; done += blockBytes) {
        const __m128i* from = reinterpret_cast<const __m128i*>(source + done);
        __m128i* to = reinterpret_cast<__m128i*>(destination + done);
        const __m128i a = _mm_loadu_si128(from);
        const __m128i b = _mm_loadu_si128(from + 1);
        const __m128i c = _mm_loadu_si128(from + 2);
        const __m128i d = _mm_loadu_si128(from + 3);
        _mm_storeu_si128(to, a);
        _mm_storeu_si128(to + 1, b);
        _mm_storeu_si128(to + 2, c);
        _mm_storeu_si128(to + 3, d);
    }
    return done;
}
