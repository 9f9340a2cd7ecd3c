// The x86-64 kernels, one file per instruction set, each compiled with that
// set enabled and called only after the processor has been found to have it.
// Each converts whole groups from a row's start and returns the pixels (or
// bytes) it covered, 0 where it has no kernel; offsets are ptrdiff_t, since
// 3 or 4 times a row's length may pass INT_MAX.
#pragma once

#include "convert_simd.h"

#include <cstddef>
#include <cstdint>

int sse2ConvertRow(RowFormat format, const uint32_t* source, uint8_t* destination, int count);
size_t sse2CopyBlocks(uint8_t* destination, const uint8_t* source, size_t byteCount);

int ssse3ConvertRow(RowFormat format, const uint32_t* source, uint8_t* destination, int count);

int avx2ConvertRow(RowFormat format, const uint32_t* source, uint8_t* destination, int count);
size_t avx2CopyBlocks(uint8_t* destination, const uint8_t* source, size_t byteCount);

int avx512ConvertRow(RowFormat format, const uint32_t* source, uint8_t* destination, int count);
size_t avx512CopyBlocks(uint8_t* destination, const uint8_t* source, size_t byteCount);

// The choice of a group kernel by format, written once for every instruction
// set. Kernels is a kernel file's own record of static functions:
// convertSwapped32, convertPacked24<swapped> and convertWords16<format>. The 32-bit copy has no row kernel;
// the block copy serves it.
template <class Kernels>
int convertRowWith(RowFormat format, const uint32_t* source, uint8_t* destination, int count)
{
    switch (format) {
    case RowFormat::copy32:
        return 0;
    case RowFormat::swapped32:
        return Kernels::convertSwapped32(source, destination, count);
    case RowFormat::packed24:
        return Kernels::template convertPacked24<false>(source, destination, count);
    case RowFormat::packed24Swapped:
        return Kernels::template convertPacked24<true>(source, destination, count);
    case RowFormat::rgb565:
        return Kernels::template convertWords16<RowFormat::rgb565>(source, destination, count);
    case RowFormat::rgb565Swapped:
        return Kernels::template convertWords16<RowFormat::rgb565Swapped>(source, destination, count);
    case RowFormat::rgb555:
        return Kernels::template convertWords16<RowFormat::rgb555>(source, destination, count);
    case RowFormat::rgb555Swapped:
        return Kernels::template convertWords16<RowFormat::rgb555Swapped>(source, destination, count);
    }
    return 0;
}
