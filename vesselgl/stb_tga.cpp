// Compiles Debian's stb_image for TGA only, reading from memory, with a side
// limit matching the decoder's own so that stb never allocates beyond it.
#include "stb_tga.h"

#include "tga.h"

#include <cstring>

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_TGA
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_NO_FAILURE_STRINGS
#define STBI_MAX_DIMENSIONS kTgaMaxSide
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#include <stb_image.h>
#pragma GCC diagnostic pop

bool stbTgaDecode(const uint8_t* data, size_t size, int width, int height, int components,
                  TexImage& image)
{
    int w = 0;
    int h = 0;
    int comp = 0;
    stbi_uc* decoded = stbi_load_from_memory(data, static_cast<int>(size), &w, &h, &comp, 0);
    if (decoded == nullptr) {
        return false;
    }
    const bool ok = w == width && h == height && comp == components;
    if (ok) {
        const size_t rowBytes = size_t(w) * size_t(comp);
        image.width = w;
        image.height = h;
        image.components = comp;
        image.pixels.resize(rowBytes * size_t(h));
        for (int row = 0; row < h; ++row) {
            std::memcpy(image.pixels.data() + size_t(h - 1 - row) * rowBytes,
                        decoded + size_t(row) * rowBytes, rowBytes);
        }
    }
    stbi_image_free(decoded);
    return ok;
}
