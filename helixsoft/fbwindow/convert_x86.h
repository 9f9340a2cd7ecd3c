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
