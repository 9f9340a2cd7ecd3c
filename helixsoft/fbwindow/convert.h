// Row converters from the renderer's 32-bit pixels (0x00RRGGBB, stored
// little-endian as B, G, R, top byte) into the display's own pixel format, and
// the choice of converter from the format the display reports. Pure logic on
// memory: no platform header, no allocation, no state kept between calls.
#pragma once

#include <cstddef>
#include <cstdint>

// Converts count pixels from source into destination, in the destination's
// format, little-endian. Writes exactly count * (bytes per destination pixel)
// bytes and reads exactly count source pixels; a count of 0 or below touches
// nothing. The two ranges must not overlap. Neither pointer needs alignment.
using PixelConverter = void (*)(const uint32_t* source, uint8_t* destination, int count);

// The converter for a display format given as bit count and channel masks, or
// null when the format is not one of the eight below. 15-bit displays report
// 16 bits and are told apart by their masks; the alpha mask plays no part.
PixelConverter selectPixelConverter(uint32_t bitCount, uint32_t redMask, uint32_t greenMask,
                                    uint32_t blueMask);

// 32 bits, masks FF0000/FF00/FF: every byte as it is, top byte included.
void copyRow32(const uint32_t* source, uint8_t* destination, int count);
// 32 bits, masks FF/FF00/FF0000: R | G << 8 | B << 16, top byte 0.
void convertRow32Swapped(const uint32_t* source, uint8_t* destination, int count);
// 24 bits, masks FF0000/FF00/FF: the bytes B, G, R.
void convertRow24(const uint32_t* source, uint8_t* destination, int count);
// 24 bits, masks FF/FF00/FF0000: the bytes R, G, B.
void convertRow24Swapped(const uint32_t* source, uint8_t* destination, int count);
// 16 bits, masks F800/7E0/1F, and the same with red and blue exchanged.
void convertRow565(const uint32_t* source, uint8_t* destination, int count);
void convertRow565Swapped(const uint32_t* source, uint8_t* destination, int count);
// 16 bits, masks 7C00/3E0/1F, and the same with red and blue exchanged; bit 15 is 0.
void convertRow555(const uint32_t* source, uint8_t* destination, int count);
void convertRow555Swapped(const uint32_t* source, uint8_t* destination, int count);
// Each colour keeps its high-order bits; the low ones are dropped, with no
// rounding or dithering.

// Copies exactly byteCount bytes: blocks of 64, then the remaining bytes.
// The ranges must not overlap.
void copyBytesBlocked(uint8_t* destination, const uint8_t* source, size_t byteCount);
