// Writes small TGA files of every kind the demo's decoder accepts, for tests:
// the picture is given as palette indices, top row first, and each kind stores
// it in its own way (true colour, grey or palette; raw or run-length encoded;
// in any of the four orders).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TgaKind {
    const char* name;
    int imageType;    // 1, 2 or 3; run-length adds 8
    int pixelBits;    // stored bits per pixel (index bits for palette images)
    int paletteBits;  // 0 without a palette
    int paletteFirst;
    bool runLength;
    bool topOrigin;
    bool rightToLeft = false;
};

struct TgaPicture {
    int width;
    int height;
    std::vector<int> indices;  // width * height, top row first
};

// Colour of palette entry i as RGBA, and its grey level for grey images (the
// colour's alpha beside it in grey and alpha images). 15- and 16-bit pixels
// keep each channel's top 5 bits, and 16-bit ones set the attribute bit from
// the top bit of alpha.
uint32_t testColor(int index);
uint8_t testGrey(int index);

std::vector<uint8_t> tgaWrite(const TgaKind& kind, const TgaPicture& picture);
bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes);

// A file in dir that is no regular file and has nothing to read: a FIFO with no
// writer on POSIX systems, the NUL device on Windows. "" when none can be made.
std::string makeNonRegularFile(const std::string& dir);
