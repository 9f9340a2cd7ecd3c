// make_artery OUTPUT.tga [PREVIEW.png]: writes the GL demo's texture, and
// optionally a 2x2 tiled preview that shows whether the edges meet.
#include "artery.h"

#include <cstdio>
#include <fstream>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

namespace {

constexpr int kTextureSize = 256;
constexpr uint64_t kSeed = 0x7e55e1u;

bool writeBytes(const char* path, const std::vector<uint8_t>& bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    file.close();
    return bool(file);
}

bool writeTiledPreview(const char* path, const ArteryImage& image)
{
    const int n = image.size;
    std::vector<uint8_t> tiled(size_t(4) * n * n * 3);
    for (int y = 0; y < 2 * n; ++y) {
        for (int x = 0; x < 2 * n; ++x) {
            const uint8_t* src = &image.rgb[(size_t(y % n) * n + x % n) * 3];
            uint8_t* dst = &tiled[(size_t(y) * 2 * n + x) * 3];
            dst[0] = src[0];
            dst[1] = src[1];
            dst[2] = src[2];
        }
    }
    return stbi_write_png(path, 2 * n, 2 * n, 3, tiled.data(), 2 * n * 3) != 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: make_artery OUTPUT.tga [PREVIEW.png]\n");
        return 2;
    }
    const ArteryImage image = arteryGenerate(kTextureSize, kSeed);
    if (!writeBytes(argv[1], arteryEncodeTga(image))) {
        std::fprintf(stderr, "make_artery: cannot write %s\n", argv[1]);
        return 1;
    }
    if (argc == 3 && !writeTiledPreview(argv[2], image)) {
        std::fprintf(stderr, "make_artery: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
