// The texture image record that every texture unit passes around: 8-bit
// components (1 grey, 3 RGB or 4 RGBA) packed without row padding, rows bottom
// first so that the image's lower-left corner is texture coordinate (0, 0).
#pragma once

#include <cstdint>
#include <vector>

struct TexImage {
    int width = 0;
    int height = 0;
    int components = 0;
    std::vector<uint8_t> pixels;  // width * height * components bytes
};
