// make_big_tga OUTPUT.tga [SIDE]: writes a square run-length-encoded,
// colour-mapped TGA of SIDE pixels (default 16384), for trying the GL demo's
// texture loading at its limit without keeping a large file around.
#include "bigtga.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>

namespace {

constexpr int kDefaultSide = 16384;
constexpr int kMaxSide = 65535 / kBigTgaRun * kBigTgaRun;

bool parseSide(const char* text, int& side)
{
    const char* end = text + std::strlen(text);
    const auto [stop, error] = std::from_chars(text, end, side);
    return error == std::errc{} && stop == end && side >= kBigTgaRun && side <= kMaxSide &&
           side % kBigTgaRun == 0;
}

}  // namespace

int main(int argc, char** argv)
{
    int side = kDefaultSide;
    if (argc < 2 || argc > 3 || (argc == 3 && !parseSide(argv[2], side))) {
        std::fprintf(stderr, "usage: make_big_tga OUTPUT.tga [SIDE]\n"
                             "  SIDE: a multiple of %d up to %d (default %d)\n",
                     kBigTgaRun, kMaxSide, kDefaultSide);
        return 2;
    }
    const std::vector<uint8_t> bytes = bigTgaEncode(side, side);
    std::FILE* file = std::fopen(argv[1], "wb");
    const bool written = file != nullptr &&
                         std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (file == nullptr || std::fclose(file) != 0 || !written) {
        std::fprintf(stderr, "make_big_tga: cannot write %s: %s\n", argv[1], std::strerror(errno));
        return 1;
    }
    return 0;
}
