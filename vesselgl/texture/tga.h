// TGA decoding for the GL demo's texture. The file is checked against what its
// header promises before anything is decoded, so a malformed or absurd file
// fails cleanly instead of being half-read or allocating beyond its own size.
// Decoded images come out rows bottom first, whatever the file's origin bit.
#pragma once

#include "teximage.h"

#include <cstddef>
#include <cstdint>

// Accepted: uncompressed or run-length encoded; true colour of 24 or 32 bits
// (3 or 4 components), 8-bit grey (1), or 8- or 16-bit indices into a palette
// of 24- or 32-bit entries (3 or 4). Each side at most kTgaMaxSide.
inline constexpr int kTgaMaxSide = 16384;

// false for anything short of a complete, consistent image (truncated data,
// palette or run-length stream, an index outside the palette, unknown kinds).
bool tgaDecode(const uint8_t* data, size_t size, TexImage& image);

// Reads a regular file whole (never blocks on a FIFO or device) and decodes it.
bool tgaLoadFile(const char* path, TexImage& image);
