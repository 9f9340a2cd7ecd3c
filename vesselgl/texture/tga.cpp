// Validates a TGA file against its header, then decodes it: stb_image decodes
// 8-bit channels, 5-5-5 pixels are decoded here. stb silently zero-fills (or
// leaves unset) pixels of a short stream, misreads a palette that does not
// start at index 0, ignores the right-to-left bit and widens 5-bit channels by
// v * 255 / 31, which differs from (v << 3) | (v >> 2) in 15 of 32 values, so
// all of these are settled here. The pixel data is read where it lies: only the
// header and palette are copied.
#include "tga.h"

#include "filebytes.h"
#include "stb_tga.h"

#include <algorithm>

namespace {

constexpr size_t kHeaderBytes = 18;
constexpr size_t kPaletteBitsByte = 7;
constexpr size_t kDescriptorByte = 17;
constexpr uint8_t kRightToLeftFlag = 0x10;
constexpr uint8_t kTopOriginFlag = 0x20;
constexpr int kColorMapped = 1;
constexpr int kTrueColor = 2;
constexpr int kGrey = 3;
constexpr int kRunLengthFlag = 8;
constexpr int kPacketIsRun = 0x80;
constexpr int kPacketCountMask = 0x7f;
constexpr long kMaxPaletteEntries = 65535;
constexpr int kWidenedPaletteBits = 24;
// The largest file a usable image needs: header, id, palette and 4-byte
// pixels, with one packet byte per pixel as the worst run-length overhead.
constexpr uint64_t kMaxFileBytes = kHeaderBytes + 255 + kMaxPaletteEntries * 4 +
                                   uint64_t(kTgaMaxSide) * kTgaMaxSide * 5;

struct TgaHeader {
    int idLength;
    int colorMapType;
    int imageType;       // without the run-length flag
    bool runLength;
    long paletteFirst;
    long paletteLength;
    int paletteBits;
    int width;
    int height;
    int pixelBits;
    bool rightToLeft;
    bool topOrigin;
};

int readU16(const uint8_t* p)
{
    return p[0] | (p[1] << 8);
}

TgaHeader tgaReadHeader(const uint8_t* p)
{
    TgaHeader h{};
    h.idLength = p[0];
    h.colorMapType = p[1];
    h.imageType = p[2] & ~kRunLengthFlag;
    h.runLength = (p[2] & kRunLengthFlag) != 0;
    h.paletteFirst = readU16(p + 3);
    h.paletteLength = readU16(p + 5);
    h.paletteBits = p[kPaletteBitsByte];
    h.width = readU16(p + 12);
    h.height = readU16(p + 14);
    h.pixelBits = p[16];
    h.rightToLeft = (p[kDescriptorByte] & kRightToLeftFlag) != 0;
    h.topOrigin = (p[kDescriptorByte] & kTopOriginFlag) != 0;
    return h;
}

// 15 bits, or 16 with the top bit an attribute (alpha) bit that the demo ignores.
bool is555(int bits)
{
    return bits == 15 || bits == 16;
}

int bytesFor(int bits)
{
    return (bits + 7) / 8;
}

// Each 5-bit channel widened to 8 by repeating its top bits, so 0 and 31 map
// to 0 and 255; the result is R, G, B.
void rgbFrom555(const uint8_t* stored, uint8_t* rgb)
{
    const int v = readU16(stored);
    const auto widen = [](int c) { return static_cast<uint8_t>((c << 3) | (c >> 2)); };
    rgb[0] = widen((v >> 10) & 31);
    rgb[1] = widen((v >> 5) & 31);
    rgb[2] = widen(v & 31);
}

// The components of a true-colour pixel or palette entry of `bits`, 0 if none.
int colorComponents(int bits)
{
    if (is555(bits)) {
        return 3;
    }
    return bits == 24 || bits == 32 ? bits / 8 : 0;
}

// The components a decoded pixel has, or 0 for a kind the demo does not take.
int tgaComponents(const TgaHeader& h)
{
    if (h.colorMapType == kColorMapped) {
        const bool indices = h.pixelBits == 8 || h.pixelBits == 16;
        const bool entries = h.paletteLength >= 1 &&
                             h.paletteFirst + h.paletteLength <= kMaxPaletteEntries;
        return h.imageType == kColorMapped && indices && entries ? colorComponents(h.paletteBits)
                                                                 : 0;
    }
    // Without a colour map its fields must be empty: the decoder would not skip them.
    if (h.colorMapType != 0 || h.paletteLength != 0) {
        return 0;
    }
    if (h.imageType == kTrueColor) {
        return colorComponents(h.pixelBits);
    }
    if (h.imageType == kGrey) {
        return h.pixelBits == 8 ? 1 : (h.pixelBits == 16 ? 4 : 0);  // grey and alpha as RGBA
    }
    return 0;
}

struct PixelStream {
    const uint8_t* data;
    size_t size;
    size_t pos;
    int pixelBytes;
    const TgaHeader* header;
    uint8_t* out;  // RGB of 5-5-5 pixels in stored order; nullptr while only checking
};

// Writes the `covered` image pixels that `stored` pixels at the stream's
// position stand for: each once, or the one stored pixel of a run repeated.
void streamWrite555(PixelStream& s, uint64_t stored, uint64_t covered)
{
    for (uint64_t i = 0; i < covered; ++i) {
        rgbFrom555(s.data + s.pos + std::min(i, stored - 1) * 2, s.out);
        s.out += 3;
    }
}

// Consumes `stored` pixels that stand for the next `covered` image pixels;
// false when they run past the end of the file or an index falls outside the palette.
bool streamTakePixels(PixelStream& s, uint64_t stored, uint64_t covered)
{
    const uint64_t bytes = stored * static_cast<uint64_t>(s.pixelBytes);
    if (bytes > s.size - s.pos) {
        return false;
    }
    const TgaHeader& h = *s.header;
    if (h.colorMapType == kColorMapped) {
        for (uint64_t i = 0; i < stored; ++i) {
            const uint8_t* p = s.data + s.pos + i * s.pixelBytes;
            const long index = s.pixelBytes == 1 ? p[0] : readU16(p);
            if (index < h.paletteFirst || index >= h.paletteFirst + h.paletteLength) {
                return false;
            }
        }
    }
    if (s.out != nullptr) {
        streamWrite555(s, stored, covered);
    }
    s.pos += static_cast<size_t>(bytes);
    return true;
}

// Walks the packets until they cover every pixel; each step consumes at least
// one byte, so the walk ends within the file's size. A raw packet that runs
// past the last pixel must still be whole.
bool streamTakeRunLength(PixelStream& s, uint64_t pixelCount)
{
    while (pixelCount > 0) {
        if (s.pos >= s.size) {
            return false;
        }
        const int packet = s.data[s.pos++];
        const uint64_t count = (packet & kPacketCountMask) + 1;
        const uint64_t covered = std::min(count, pixelCount);
        if (!streamTakePixels(s, (packet & kPacketIsRun) != 0 ? 1 : count, covered)) {
            return false;
        }
        pixelCount -= covered;
    }
    return true;
}

// Where the pixel data begins: after the header, the id and the palette.
uint64_t tgaDataStart(const TgaHeader& h)
{
    const uint64_t paletteBytes = h.colorMapType == kColorMapped
                                      ? uint64_t(h.paletteLength) * bytesFor(h.paletteBits)
                                      : 0;
    return kHeaderBytes + h.idLength + paletteBytes;
}

// Checks that the pixel data is complete and consistent; with `out`, also
// writes the pixels (5-5-5 kinds only) there in stored order.
bool tgaWalkPixels(const uint8_t* data, size_t size, const TgaHeader& h, uint8_t* out)
{
    const uint64_t dataStart = tgaDataStart(h);
    if (dataStart > size) {
        return false;
    }
    PixelStream stream{data, size, static_cast<size_t>(dataStart), bytesFor(h.pixelBits), &h, out};
    const uint64_t pixelCount = uint64_t(h.width) * uint64_t(h.height);
    return h.runLength ? streamTakeRunLength(stream, pixelCount)
                       : streamTakePixels(stream, pixelCount, pixelCount);
}

// The palette moved to start at index 0 (the unused leading entries black, so
// stored indices keep their meaning), 5-5-5 entries widened to 24 bits.
void preludeAppendPalette(std::vector<uint8_t>& prelude, const uint8_t* palette,
                          const TgaHeader& h)
{
    const size_t entryBytes = is555(h.paletteBits) ? 3 : static_cast<size_t>(h.paletteBits / 8);
    prelude.resize(prelude.size() + static_cast<size_t>(h.paletteFirst) * entryBytes, 0);
    if (is555(h.paletteBits)) {
        for (long i = 0; i < h.paletteLength; ++i) {
            uint8_t rgb[3];
            rgbFrom555(palette + 2 * i, rgb);
            prelude.insert(prelude.end(), {rgb[2], rgb[1], rgb[0]});  // stored B, G, R
        }
        prelude[kPaletteBitsByte] = kWidenedPaletteBits;
    } else {
        prelude.insert(prelude.end(), palette, palette + h.paletteLength * entryBytes);
    }
    const long length = h.paletteFirst + h.paletteLength;
    prelude[3] = prelude[4] = 0;
    prelude[5] = static_cast<uint8_t>(length & 0xff);
    prelude[6] = static_cast<uint8_t>(length >> 8);
}

// What stb reads before the pixel data: the header, the id and the palette,
// with the origin bit inverted, so that stb, which turns rows top first,
// leaves them bottom first in place.
std::vector<uint8_t> tgaPrelude(const uint8_t* data, const TgaHeader& h)
{
    const size_t paletteStart = kHeaderBytes + h.idLength;
    std::vector<uint8_t> prelude(data, data + paletteStart);
    if (h.colorMapType == kColorMapped) {
        preludeAppendPalette(prelude, data + paletteStart, h);
    }
    prelude[kDescriptorByte] ^= kTopOriginFlag;
    return prelude;
}

bool tgaDecodeWithStb(const uint8_t* data, size_t size, const TgaHeader& h, int components,
                      TexImage& image)
{
    if (!tgaWalkPixels(data, size, h, nullptr)) {
        return false;
    }
    const size_t dataStart = static_cast<size_t>(tgaDataStart(h));
    const StbTgaSource source{tgaPrelude(data, h), data + dataStart, size - dataStart};
    const int stored = h.imageType == kGrey && h.pixelBits == 16 ? 2 : components;
    return stbTgaDecode(source, h.width, h.height, stored, components, image);
}

void imageFlipRows(TexImage& image)
{
    const size_t rowBytes = size_t(image.width) * image.components;
    uint8_t* pixels = image.pixels.data();
    for (size_t top = 0, bottom = size_t(image.height) - 1; top < bottom; ++top, --bottom) {
        std::swap_ranges(pixels + top * rowBytes, pixels + (top + 1) * rowBytes,
                         pixels + bottom * rowBytes);
    }
}

void imageMirrorRows(TexImage& image)
{
    const size_t c = size_t(image.components);
    for (int y = 0; y < image.height; ++y) {
        uint8_t* row = image.pixels.data() + size_t(y) * image.width * c;
        for (size_t left = 0, right = size_t(image.width) - 1; left < right; ++left, --right) {
            std::swap_ranges(row + left * c, row + (left + 1) * c, row + right * c);
        }
    }
}

// True colour of 5-5-5 pixels: checked whole first, so that a file short of
// its pixels never gets the image allocated, then decoded in stored order.
bool tgaDecode555(const uint8_t* data, size_t size, const TgaHeader& h, TexImage& image)
{
    if (!tgaWalkPixels(data, size, h, nullptr)) {
        return false;
    }
    image = TexImage{h.width, h.height, 3, std::vector<uint8_t>(size_t(h.width) * h.height * 3)};
    tgaWalkPixels(data, size, h, image.pixels.data());
    if (h.topOrigin) {
        imageFlipRows(image);
    }
    return true;
}

}  // namespace

bool tgaDecode(const uint8_t* data, size_t size, TexImage& image)
{
    image = TexImage{};
    if (data == nullptr || size < kHeaderBytes) {
        return false;
    }
    const TgaHeader h = tgaReadHeader(data);
    const int components = tgaComponents(h);
    if (components == 0 || h.width < 1 || h.height < 1 || h.width > kTgaMaxSide ||
        h.height > kTgaMaxSide) {
        return false;
    }
    const bool decoded = h.imageType == kTrueColor && is555(h.pixelBits)
                             ? tgaDecode555(data, size, h, image)
                             : tgaDecodeWithStb(data, size, h, components, image);
    if (!decoded) {
        image = TexImage{};
        return false;
    }
    if (h.rightToLeft) {
        imageMirrorRows(image);
    }
    return true;
}

bool tgaLoadFile(const char* path, TexImage& image)
{
    image = TexImage{};
    std::vector<uint8_t> bytes;
    return fileReadRegular(path, kMaxFileBytes, bytes) &&
           tgaDecode(bytes.data(), bytes.size(), image);
}
