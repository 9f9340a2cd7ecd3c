// The one place that calls stb_image. The image handed back is stb's own
// buffer, not a copy; its rows are bottom first, as the texture wants them,
// because the prelude's origin bit says the opposite of the file's.
#pragma once

#include "teximage.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// A TGA file as stb reads it: the prelude (header, id and palette, as adjusted
// by tgaDecode) followed by the file's pixel data, read in place.
struct StbTgaSource {
    std::vector<uint8_t> prelude;
    const uint8_t* pixelData;
    size_t pixelBytes;
};

// Decodes a TGA already checked by tgaDecode into `components` a pixel (stb
// widens grey and alpha to RGBA with the grey in R, G and B); false unless stb
// read it at exactly the expected size with `stored` components a pixel.
bool stbTgaDecode(const StbTgaSource& source, int width, int height, int stored, int components,
                  TexImage& image);
