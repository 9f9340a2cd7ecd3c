// The one place that calls stb_image. Its output is rows top first; the copy
// handed back is rows bottom first, as the texture wants it.
#pragma once

#include "teximage.h"

#include <cstddef>
#include <cstdint>

// Decodes a TGA already checked by tgaDecode; false unless the result has
// exactly the expected size and component count.
bool stbTgaDecode(const uint8_t* data, size_t size, int width, int height, int components,
                  TexImage& image);
