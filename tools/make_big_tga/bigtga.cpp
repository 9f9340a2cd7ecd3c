// Writes the header, the palette and the packets directly: the decoded
// picture is never held, so a file of any declared size costs only its bytes.
#include "bigtga.h"

#include <cassert>
#include <cstddef>

namespace {

constexpr uint8_t kColorMappedRunLength = 9;
constexpr int kPaletteEntries = 256;
constexpr int kBandPixels = 512;  // width of one diagonal band

void putU16(std::vector<uint8_t>& out, int value)
{
    out.push_back(static_cast<uint8_t>(value & 0xff));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

void appendHeader(std::vector<uint8_t>& out, int width, int height)
{
    out.push_back(0);              // no image id
    out.push_back(1);              // a palette follows
    out.push_back(kColorMappedRunLength);
    putU16(out, 0);                // first palette entry
    putU16(out, kPaletteEntries);
    out.push_back(24);             // palette entry bits
    putU16(out, 0);
    putU16(out, 0);
    putU16(out, width);
    putU16(out, height);
    out.push_back(8);              // index bits
    out.push_back(0);              // rows bottom first, no alpha
}

// Stored blue, green, red: a ramp from dark to light red through the entries.
void appendPalette(std::vector<uint8_t>& out)
{
    for (int i = 0; i < kPaletteEntries; ++i) {
        out.push_back(static_cast<uint8_t>(i / 4));
        out.push_back(static_cast<uint8_t>(i / 3));
        out.push_back(static_cast<uint8_t>(96 + i * 159 / 255));
    }
}

}  // namespace

std::vector<uint8_t> bigTgaEncode(int width, int height)
{
    assert(width >= kBigTgaRun && width % kBigTgaRun == 0 && width <= 65535);
    assert(height >= 1 && height <= 65535);
    const size_t packets = size_t(width / kBigTgaRun) * size_t(height);
    std::vector<uint8_t> out;
    out.reserve(18 + kPaletteEntries * 3 + packets * 2);
    appendHeader(out, width, height);
    appendPalette(out);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; x += kBigTgaRun) {
            const int band = (x + y) / kBandPixels;
            out.push_back(static_cast<uint8_t>(0x80 | (kBigTgaRun - 1)));
            out.push_back(static_cast<uint8_t>((band * 37) % kPaletteEntries));
        }
    }
    return out;
}
