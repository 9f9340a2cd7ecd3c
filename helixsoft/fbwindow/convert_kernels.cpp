// The row converters' kernels, written once in Highway. Formats that only move
// whole bytes (the swapped 32-bit word and both 24-bit orders) are one byte
// shuffle per four pixels; the 16-bit formats keep each channel's high bits
// with two multiply-adds.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "convert_kernels.cpp"
// SSE4 adds nothing these kernels use, and AVX-512 comes within 10% of AVX2
// (memory is the limit there), so on x86 SSSE3 and AVX2 are built.
#ifndef HWY_DISABLED_TARGETS
#define HWY_DISABLED_TARGETS (HWY_SSE4 | HWY_AVX3)
#endif
#include <hwy/foreach_target.h>  // must come before highway.h
#include <hwy/highway.h>

#include "convert_kernels.h"

#include <cstddef>

HWY_BEFORE_NAMESPACE();
namespace convert_kernels {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

#if HWY_TARGET != HWY_SCALAR

// At most 256 bits: AVX-512 comes within 10% of AVX2 (memory is the limit).
using PixelTag = hn::CappedTag<uint32_t, 8>;
using ByteTag = hn::Repartition<uint8_t, PixelTag>;

constexpr uint8_t kZeroByte = 0x80;  // a shuffle index that gives a zero byte

// Highway 1.0.3 looks bytes up one at a time on WebAssembly, around an engine
// fault fixed in 2021, which makes a row twelve times slower; the instruction
// itself gives zero for every index from 16 up, as kZeroByte asks.
template <class V>
HWY_INLINE V shuffleBytesOr0(V bytes, V order)
{
#if HWY_TARGET == HWY_WASM
    return V{wasm_i8x16_swizzle(bytes.raw, order.raw)};
#else
    return hn::TableLookupBytesOr0(bytes, order);
#endif
}

// B, G, R, top of each pixel become R, G, B, 0: one byte shuffle.
int convertSwapped32(const uint32_t* source, uint8_t* destination, int count)
{
    alignas(16) static constexpr uint8_t kOrder[16] = {
        2, 1, 0, kZeroByte, 6, 5, 4, kZeroByte, 10, 9, 8, kZeroByte, 14, 13, 12, kZeroByte};
    const PixelTag d32;
    const ByteTag d8;
    const auto order = hn::LoadDup128(d8, kOrder);
    const auto lanes = static_cast<ptrdiff_t>(hn::Lanes(d32));
    ptrdiff_t i = 0;  // wide: 4 * i may pass INT_MAX
    for (; count - i >= lanes; i += lanes) {
        const auto pixels = hn::BitCast(d8, hn::LoadU(d32, source + i));
        hn::StoreU(shuffleBytesOr0(pixels, order), d8, destination + 4 * i);
    }
    return static_cast<int>(i);
}

// Where each vector's useful lanes go when four vectors of shuffled pixels
// (3 useful lanes of every 4) are laid end to end: vector j's useful lane u is
// stream position j * useful + u, lane (j * useful + u) mod lanes of the vector
// written there.
struct Packed24Places {
    int32_t lane[4][8];
};

Packed24Places packed24Places(ptrdiff_t lanes)
{
    Packed24Places places{};
    const ptrdiff_t useful = lanes / 4 * 3;
    for (ptrdiff_t j = 0; j < 4; ++j) {
        for (ptrdiff_t u = 0; u < useful; ++u) {
            places.lane[j][(j * useful + u) % lanes] = static_cast<int32_t>(u / 3 * 4 + u % 3);
        }
    }
    return places;
}

// Four vectors of pixels a step. A byte shuffle leaves each 128-bit block's
// four pixels as 12 bytes (zero above). With one block per vector, byte shifts
// join neighbours; with more, a lane permute moves each vector's useful lanes
// to where they land, and each vector written takes its lanes from two.
template <bool swapped>
int convertPacked24(const uint32_t* source, uint8_t* destination, int count)
{
    alignas(16) static constexpr uint8_t kOrder[16] = {
        0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, kZeroByte, kZeroByte, kZeroByte, kZeroByte};
    alignas(16) static constexpr uint8_t kSwappedOrder[16] = {
        2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, kZeroByte, kZeroByte, kZeroByte, kZeroByte};
    const PixelTag d32;
    const ByteTag d8;
    const auto order = hn::LoadDup128(d8, swapped ? kSwappedOrder : kOrder);
    const auto lanes = static_cast<ptrdiff_t>(hn::Lanes(d32));
    const Packed24Places places = packed24Places(lanes);
    const auto shuffled = [&](const uint32_t* pixels) {
        return shuffleBytesOr0(hn::BitCast(d8, hn::LoadU(d32, pixels)), order);
    };
    const auto placed = [&](const uint32_t* pixels, int j) {
        return hn::TableLookupLanes(hn::BitCast(d32, shuffled(pixels)),
                                    hn::SetTableIndices(d32, places.lane[j]));
    };
    ptrdiff_t i = 0;
    for (; count - i >= 4 * lanes; i += 4 * lanes) {
        if constexpr (hn::MaxLanes(d32) == 4) {
            const auto a = shuffled(source + i);
            const auto b = shuffled(source + i + 4);
            const auto c = shuffled(source + i + 8);
            const auto e = shuffled(source + i + 12);
            uint8_t* out = destination + 3 * i;
            const auto second = hn::Or(hn::ShiftRightBytes<4>(d8, b), hn::ShiftLeftBytes<8>(d8, c));
            const auto third = hn::Or(hn::ShiftRightBytes<8>(d8, c), hn::ShiftLeftBytes<4>(d8, e));
            hn::StoreU(hn::Or(a, hn::ShiftLeftBytes<12>(d8, b)), d8, out);
            hn::StoreU(second, d8, out + 16);
            hn::StoreU(third, d8, out + 32);
        } else {
            const auto a = placed(source + i, 0);
            const auto b = placed(source + i + lanes, 1);
            const auto c = placed(source + i + 2 * lanes, 2);
            const auto e = placed(source + i + 3 * lanes, 3);
            auto* out = reinterpret_cast<uint32_t*>(destination + 3 * i);
            hn::StoreU(hn::IfThenElse(hn::FirstN(d32, lanes / 4 * 3), a, b), d32, out);
            hn::StoreU(hn::IfThenElse(hn::FirstN(d32, lanes / 2), b, c), d32, out + lanes);
            hn::StoreU(hn::IfThenElse(hn::FirstN(d32, lanes / 4), c, e), d32, out + 2 * lanes);
        }
    }
    return static_cast<int>(i);
}

// The kept bits of the bytes (B, G, R, top) times byteScales, summed in pairs,
// give two 16-bit words; the pair times wordScales, summed, is the whole
// pixel 3 bits up. Green keeps 6 bits or 5; the swapped formats put blue on
// top. No sum comes near the signed 16-bit limit.
struct WordScales {
    uint32_t keptBits;
    uint32_t byteScales;
    uint32_t wordScales;
};

constexpr WordScales wordScalesOf(RowFormat format)
{
    switch (format) {
    case RowFormat::Rgb565:
        return {0x00F8FCF8, 0x00014001, 0x08000001};  // B + 64 G, R; low + 2048 high
    case RowFormat::Rgb565Swapped:
        return {0x00F8FCF8, 0x00010120, 0x00010040};  // 32 B + G, R; 64 low + high
    case RowFormat::Rgb555:
        return {0x00F8F8F8, 0x00012001, 0x04000001};  // B + 32 G, R; low + 1024 high
    default:
        return {0x00F8F8F8, 0x00010120, 0x00010020};  // 32 B + G, R; 32 low + high
    }
}

// Highway 1.0.3 has no multiply-add of unsigned by signed byte pairs; x86 has
// it as one instruction, other processors take it apart (the scales here are
// all below 128, so signedness never matters).
#if HWY_TARGET == HWY_SSSE3
HWY_INLINE hn::Vec128<int16_t> mulAddBytePairs(hn::Vec128<uint8_t> bytes, hn::Vec128<int8_t> scales)
{
    return hn::Vec128<int16_t>{_mm_maddubs_epi16(bytes.raw, scales.raw)};
}
#elif HWY_TARGET == HWY_AVX2
HWY_INLINE hn::Vec256<int16_t> mulAddBytePairs(hn::Vec256<uint8_t> bytes, hn::Vec256<int8_t> scales)
{
    return hn::Vec256<int16_t>{_mm256_maddubs_epi16(bytes.raw, scales.raw)};
}
#else
template <class VU8, class VI8>
HWY_INLINE auto mulAddBytePairs(VU8 bytes, VI8 scales)
{
    const hn::RepartitionToWide<hn::DFromV<VU8>> d16;
    const auto b = hn::BitCast(d16, bytes);
    const auto s = hn::BitCast(d16, scales);
    const auto lowByte = hn::Set(d16, 0xFF);
    const auto sum = hn::Add(hn::Mul(hn::And(b, lowByte), hn::And(s, lowByte)),
                             hn::Mul(hn::ShiftRight<8>(b), hn::ShiftRight<8>(s)));
    return hn::BitCast(hn::RebindToSigned<decltype(d16)>(), sum);
}
#endif

// Two vectors of pixels 3 bits up in 32-bit lanes, stored as 16-bit pixels in
// lane order. AVX2 packs without saturating and then undoes the pack's
// interleaving of 128-bit halves; elsewhere each pixel's top bit is moved into
// the sign first, so that the signed pack keeps it.
#if HWY_TARGET == HWY_AVX2
HWY_INLINE void storeWords(hn::Vec256<int32_t> a, hn::Vec256<int32_t> b, uint8_t* destination)
{
    constexpr int kHalvesInOrder = 0xD8;  // 64-bit lanes 0, 2, 1, 3
    const __m256i packed =
        _mm256_packus_epi32(_mm256_srli_epi32(a.raw, 3), _mm256_srli_epi32(b.raw, 3));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(destination),
                        _mm256_permute4x64_epi64(packed, kHalvesInOrder));
}
#else
template <class V32>
HWY_INLINE void storeWords(V32 a, V32 b, uint8_t* destination)
{
    const hn::DFromV<V32> d32;
    const auto wordA = hn::ShiftRight<16>(hn::ShiftLeft<13>(a));
    const auto wordB = hn::ShiftRight<16>(hn::ShiftLeft<13>(b));
    auto* out = reinterpret_cast<int16_t*>(destination);
    if constexpr (hn::MaxLanes(d32) == 4) {
        // One block: the two-vector pack keeps lane order.
        const hn::Repartition<int16_t, decltype(d32)> d16;
        hn::StoreU(hn::ReorderDemote2To(d16, wordA, wordB), d16, out);
    } else {
        const hn::Rebind<int16_t, decltype(d32)> dHalf;
        hn::StoreU(hn::DemoteTo(dHalf, wordA), dHalf, out);
        hn::StoreU(hn::DemoteTo(dHalf, wordB), dHalf, out + hn::Lanes(d32));
    }
}
#endif

template <RowFormat format>
int convertWords16(const uint32_t* source, uint8_t* destination, int count)
{
    constexpr WordScales kScales = wordScalesOf(format);
    const PixelTag d32;
    const ByteTag d8;
    const hn::Repartition<int8_t, decltype(d32)> dScale8;
    const hn::Repartition<int16_t, decltype(d32)> d16;
    const hn::Repartition<int32_t, decltype(d32)> dPixel;
    const auto kept = hn::Set(d32, kScales.keptBits);
    const auto byteScales = hn::BitCast(dScale8, hn::Set(d32, kScales.byteScales));
    const auto wordScales = hn::BitCast(d16, hn::Set(d32, kScales.wordScales));
    const auto pixelUp3 = [&](const uint32_t* pixels) {
        const auto pairs = mulAddBytePairs(hn::BitCast(d8, hn::And(hn::LoadU(d32, pixels), kept)),
                                           byteScales);
        auto odd = hn::Zero(dPixel);
        const auto even =
            hn::ReorderWidenMulAccumulate(dPixel, pairs, wordScales, hn::Zero(dPixel), odd);
        return hn::RearrangeToOddPlusEven(even, odd);
    };
    const auto lanes = static_cast<ptrdiff_t>(hn::Lanes(d32));
    ptrdiff_t i = 0;
    for (; count - i >= 2 * lanes; i += 2 * lanes) {
        storeWords(pixelUp3(source + i), pixelUp3(source + i + lanes), destination + 2 * i);
    }
    return static_cast<int>(i);
}

int convertRow(RowFormat format, const uint32_t* source, uint8_t* destination, int count)
{
    switch (format) {
    case RowFormat::Copy32:
        return 0;  // the blocked byte copy is as fast as any kernel
    case RowFormat::Swapped32:
        return convertSwapped32(source, destination, count);
    case RowFormat::Packed24:
        return convertPacked24<false>(source, destination, count);
    case RowFormat::Packed24Swapped:
        return convertPacked24<true>(source, destination, count);
    case RowFormat::Rgb565:
        return convertWords16<RowFormat::Rgb565>(source, destination, count);
    case RowFormat::Rgb565Swapped:
        return convertWords16<RowFormat::Rgb565Swapped>(source, destination, count);
    case RowFormat::Rgb555:
        return convertWords16<RowFormat::Rgb555>(source, destination, count);
    case RowFormat::Rgb555Swapped:
        return convertWords16<RowFormat::Rgb555Swapped>(source, destination, count);
    }
    return 0;
}

#else

// One lane is one pixel: the portable converters are this kernel.
int convertRow(RowFormat, const uint32_t*, uint8_t*, int)
{
    return 0;
}

#endif

}  // namespace HWY_NAMESPACE
}  // namespace convert_kernels
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace convert_kernels {

HWY_EXPORT(convertRow);

}  // namespace convert_kernels

int convertKernelRow(RowFormat format, const uint32_t* source, uint8_t* destination, int count)
{
    using namespace convert_kernels;
    return HWY_DYNAMIC_DISPATCH(convertRow)(format, source, destination, count);
}
#endif
