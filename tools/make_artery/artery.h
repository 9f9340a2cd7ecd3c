// Procedural vessel-wall texture for the GL demo: warm red tissue with
// branching darker vessels and fine grain. Everything wraps around both edges,
// so the picture tiles without a seam. Pixels are RGB bytes, row 0 at the top.
#pragma once

#include <cstdint>
#include <vector>

struct ArteryImage {
    int size = 0;               // width and height
    std::vector<uint8_t> rgb;   // size * size * 3
};

// The same seed always gives the same picture. size is a power of two >= 64.
ArteryImage arteryGenerate(int size, uint64_t seed);

// An uncompressed 24-bit TGA, rows bottom first (the format's usual origin).
std::vector<uint8_t> arteryEncodeTga(const ArteryImage& image);
