// TGA decoding for the GL demo's texture. The file is checked against what its
// header promises before anything is decoded, so a malformed or absurd file
// fails cleanly instead of being half-read or allocating beyond its own size.
// Decoded images come out rows bottom first and left to right, whatever the
// file's order bits say.
#pragma once

#include "teximage.h"

#include <cstddef>
#include <cstdint>

// Accepted: uncompressed or run-length encoded, stored in any of the four
// orders; true colour of 24 or 32 bits (3 or 4 components) or 15 or 16 bits
// (5-5-5, any attribute bit ignored: 3), 8-bit grey (1), 8-bit grey with 8-bit
// alpha (4, the grey in R, G and B), or 8- or 16-bit indices into a palette of
// 24- or 32-bit entries (3 or 4) or 15- or 16-bit entries (3). 5-bit channels
// are widened as (v << 3) | (v >> 2). Each side at most kTgaMaxSide.
inline constexpr int kTgaMaxSide = 16384;

// false for anything short of a complete, consistent image (truncated data,
// palette or run-length stream, an index outside the palette, unknown kinds).
bool tgaDecode(const uint8_t* data, size_t size, TexImage& image);

// Reads a regular file whole (never blocks on a FIFO or device) and decodes it.
bool tgaLoadFile(const char* path, TexImage& image);
