// A deliberately plain TGA writer: runs are found across row ends, the way
// many encoders write them, so the decoder sees packets that straddle rows.
#include "tga_writer.h"

#include <fstream>

namespace {

constexpr int kMaxPacket = 128;

void putU16(std::vector<uint8_t>& out, int value)
{
    out.push_back(static_cast<uint8_t>(value & 0xff));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

std::vector<uint8_t> littleEndian16(int value)
{
    return {static_cast<uint8_t>(value & 0xff), static_cast<uint8_t>(value >> 8)};
}

// 5-5-5, the attribute bit (16 bits only) from alpha's top bit.
std::vector<uint8_t> packed555(uint32_t rgba, int bits)
{
    const int r = int(rgba >> 27);
    const int g = int(rgba >> 19) & 31;
    const int b = int(rgba >> 11) & 31;
    const int attribute = bits == 16 ? int(rgba >> 7) & 1 : 0;
    return littleEndian16(attribute << 15 | r << 10 | g << 5 | b);
}

// One stored pixel: BGR(A) bytes, 5-5-5, grey (and alpha) bytes, or a
// little-endian index.
std::vector<uint8_t> storedPixel(const TgaKind& kind, int index)
{
    if (kind.paletteBits != 0) {
        const int stored = index + kind.paletteFirst;
        if (kind.pixelBits == 8) {
            return {static_cast<uint8_t>(stored)};
        }
        return littleEndian16(stored);
    }
    const uint32_t c = testColor(index);
    if (kind.imageType == 3) {
        return kind.pixelBits == 8 ? std::vector<uint8_t>{testGrey(index)}
                                   : std::vector<uint8_t>{testGrey(index), uint8_t(c)};
    }
    if (kind.pixelBits < 24) {
        return packed555(c, kind.pixelBits);
    }
    std::vector<uint8_t> bgra{uint8_t(c >> 8), uint8_t(c >> 16), uint8_t(c >> 24), uint8_t(c)};
    bgra.resize(static_cast<size_t>(kind.pixelBits / 8));
    return bgra;
}

void appendRunLength(std::vector<uint8_t>& out, const std::vector<std::vector<uint8_t>>& px)
{
    size_t i = 0;
    while (i < px.size()) {
        size_t run = 1;
        while (i + run < px.size() && run < kMaxPacket && px[i + run] == px[i]) {
            ++run;
        }
        if (run > 1) {
            out.push_back(static_cast<uint8_t>(0x80 | (run - 1)));
            out.insert(out.end(), px[i].begin(), px[i].end());
            i += run;
            continue;
        }
        size_t raw = 1;
        while (i + raw < px.size() && raw < kMaxPacket && px[i + raw] != px[i + raw - 1]) {
            ++raw;
        }
        out.push_back(static_cast<uint8_t>(raw - 1));
        for (size_t k = 0; k < raw; ++k) {
            out.insert(out.end(), px[i + k].begin(), px[i + k].end());
        }
        i += raw;
    }
}

void appendHeader(std::vector<uint8_t>& out, const TgaKind& kind, const TgaPicture& picture,
                  int paletteLength)
{
    out.push_back(3);  // id length: the id below is skipped by readers
    out.push_back(kind.paletteBits != 0 ? 1 : 0);
    out.push_back(static_cast<uint8_t>(kind.imageType + (kind.runLength ? 8 : 0)));
    putU16(out, kind.paletteBits != 0 ? kind.paletteFirst : 0);
    putU16(out, paletteLength);
    out.push_back(static_cast<uint8_t>(kind.paletteBits));
    putU16(out, 0);
    putU16(out, 0);
    putU16(out, picture.width);
    putU16(out, picture.height);
    out.push_back(static_cast<uint8_t>(kind.pixelBits));
    const int bits = kind.paletteBits != 0 ? kind.paletteBits : kind.pixelBits;
    const int alphaBits = bits == 32 || (kind.imageType == 3 && bits == 16) ? 8 : (bits == 16 ? 1 : 0);
    out.push_back(static_cast<uint8_t>(alphaBits | (kind.topOrigin ? 0x20 : 0) |
                                       (kind.rightToLeft ? 0x10 : 0)));
    out.insert(out.end(), {'i', 'd', '!'});
}

}  // namespace

uint32_t testColor(int index)
{
    static const uint32_t colors[] = {0xff2010ffu, 0x10ff2080u, 0x2010ff00u, 0xfefefe40u,
                                      0x00000000u, 0x80402010u};
    return colors[index % 6];
}

uint8_t testGrey(int index)
{
    return static_cast<uint8_t>(17 + index * 41);
}

std::vector<uint8_t> tgaWrite(const TgaKind& kind, const TgaPicture& picture)
{
    std::vector<uint8_t> out;
    const int paletteLength = kind.paletteBits != 0 ? 6 : 0;
    appendHeader(out, kind, picture, paletteLength);
    for (int i = 0; i < paletteLength; ++i) {
        const TgaKind entry{"", 2, kind.paletteBits, 0, 0, false, false};
        const std::vector<uint8_t> bytes = storedPixel(entry, i);
        out.insert(out.end(), bytes.begin(), bytes.end());
    }
    std::vector<std::vector<uint8_t>> stored;
    for (int row = 0; row < picture.height; ++row) {
        const int y = kind.topOrigin ? row : picture.height - 1 - row;
        for (int column = 0; column < picture.width; ++column) {
            const int x = kind.rightToLeft ? picture.width - 1 - column : column;
            stored.push_back(storedPixel(kind, picture.indices[size_t(y) * picture.width + x]));
        }
    }
    if (kind.runLength) {
        appendRunLength(out, stored);
    } else {
        for (const std::vector<uint8_t>& px : stored) {
            out.insert(out.end(), px.begin(), px.end());
        }
    }
    return out;
}

bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return bool(file);
}
