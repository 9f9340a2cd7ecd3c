// The seam between the portable converters and the instruction-set kernels.
// A kernel converts the longest prefix of a row that its group size covers and
// returns how many pixels that was; the portable code finishes the row one
// pixel at a time with the same formula, so a group boundary never shows in
// the output. Which kernels exist is decided at link time, not by #ifdef.
#pragma once

#include "convert.h"

#include <cstddef>
#include <cstdint>

enum class RowFormat {
    copy32,
    swapped32,
    packed24,
    packed24Swapped,
    rgb565,
    rgb565Swapped,
    rgb555,
    rgb555Swapped,
};

// Whether this build and this processor can run isa (scalar always can).
bool simdIsaSupported(ConvertIsa isa);
// Pixels converted from the row's start, from 0 to count; isa must be supported.
int simdConvertRow(ConvertIsa isa, RowFormat format, const uint32_t* source,
                   uint8_t* destination, int count);
// Bytes copied from the start, a multiple of 64 no larger than byteCount.
size_t simdCopyBlocks(ConvertIsa isa, uint8_t* destination, const uint8_t* source,
                      size_t byteCount);
