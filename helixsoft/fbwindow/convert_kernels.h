// The seam between the portable converters and their kernels, which are
// written once in Highway and compiled for each instruction set; every call
// runs the best one the processor has. A kernel converts the longest prefix of
// a row that its group size covers and returns how many pixels that was; the
// portable code finishes the row one pixel at a time with the same formula, so
// a group boundary never shows in the output.
#pragma once

#include <cstdint>

// The display formats in the order of the format table.
enum class RowFormat {
    Copy32,
    Swapped32,
    Packed24,
    Packed24Swapped,
    Rgb565,
    Rgb565Swapped,
    Rgb555,
    Rgb555Swapped,
};

// Pixels converted from the row's start, 0 to count; 0 where the format or
// the instruction set has no kernel (the 32-bit copy never has one).
int convertKernelRow(RowFormat format, const uint32_t* source, uint8_t* destination, int count);
