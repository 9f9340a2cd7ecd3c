// Validates a TGA file against its header, then lets stb_image decode it.
// stb_image silently zero-fills (or leaves unset) pixels of a short stream and
// misreads a palette that does not start at index 0, so both are settled here.
// The pixel data is read where it lies: only the header and palette are copied.
#include "tga.h"

#include "filebytes.h"
#include "stb_tga.h"

#include <cstring>

namespace {

constexpr size_t kHeaderBytes = 18;
constexpr size_t kDescriptorByte = 17;
constexpr uint8_t kTopOriginFlag = 0x20;
constexpr int kColorMapped = 1;
constexpr int kTrueColor = 2;
constexpr int kGrey = 3;
constexpr int kRunLengthFlag = 8;
constexpr int kPacketIsRun = 0x80;
constexpr int kPacketCountMask = 0x7f;
constexpr long kMaxPaletteEntries = 65535;
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
    h.paletteBits = p[7];
    h.width = readU16(p + 12);
    h.height = readU16(p + 14);
    h.pixelBits = p[16];
    return h;
}

// The components a decoded pixel has, or 0 for a kind the demo does not take.
int tgaComponents(const TgaHeader& h)
{
    if (h.colorMapType == kColorMapped) {
        const bool indices = h.pixelBits == 8 || h.pixelBits == 16;
        const bool palette = h.paletteBits == 24 || h.paletteBits == 32;
        const bool entries = h.paletteLength >= 1 &&
                             h.paletteFirst + h.paletteLength <= kMaxPaletteEntries;
        return h.imageType == kColorMapped && indices && palette && entries ? h.paletteBits / 8 : 0;
    }
    // Without a colour map its fields must be empty: the decoder would not skip them.
    if (h.colorMapType != 0 || h.paletteLength != 0) {
        return 0;
    }
    if (h.imageType == kTrueColor && (h.pixelBits == 24 || h.pixelBits == 32)) {
        return h.pixelBits / 8;
    }
    return h.imageType == kGrey && h.pixelBits == 8 ? 1 : 0;
}

struct PixelStream {
    const uint8_t* data;
    size_t size;
    size_t pos;
    int pixelBytes;
    const TgaHeader* header;
};

// Consumes `count` stored pixels; false when they run past the end of the
// file or an index falls outside the palette.
bool streamTakePixels(PixelStream& s, uint64_t count)
{
    const uint64_t bytes = count * static_cast<uint64_t>(s.pixelBytes);
    if (bytes > s.size - s.pos) {
        return false;
    }
    const TgaHeader& h = *s.header;
    if (h.colorMapType == kColorMapped) {
        for (uint64_t i = 0; i < count; ++i) {
            const uint8_t* p = s.data + s.pos + i * s.pixelBytes;
            const long index = s.pixelBytes == 1 ? p[0] : readU16(p);
            if (index < h.paletteFirst || index >= h.paletteFirst + h.paletteLength) {
                return false;
            }
        }
    }
    s.pos += static_cast<size_t>(bytes);
    return true;
}

// Walks the packets until they cover every pixel; each step consumes at least
// one byte, so the walk ends within the file's size.
bool streamCheckRunLength(PixelStream& s, uint64_t pixelCount)
{
    while (pixelCount > 0) {
        if (s.pos >= s.size) {
            return false;
        }
        const int packet = s.data[s.pos++];
        const uint64_t count = (packet & kPacketCountMask) + 1;
        if (!streamTakePixels(s, (packet & kPacketIsRun) != 0 ? 1 : count)) {
            return false;
        }
        pixelCount -= count < pixelCount ? count : pixelCount;
    }
    return true;
}

// Where the pixel data begins: after the header, the id and the palette.
uint64_t tgaDataStart(const TgaHeader& h)
{
    const uint64_t paletteBytes =
        h.colorMapType == kColorMapped ? uint64_t(h.paletteLength) * (h.paletteBits / 8) : 0;
    return kHeaderBytes + h.idLength + paletteBytes;
}

bool tgaCheckData(const uint8_t* data, size_t size, const TgaHeader& h)
{
    const uint64_t dataStart = tgaDataStart(h);
    if (dataStart > size) {
        return false;
    }
    PixelStream stream{data, size, static_cast<size_t>(dataStart), h.pixelBits / 8, &h};
    const uint64_t pixelCount = uint64_t(h.width) * uint64_t(h.height);
    return h.runLength ? streamCheckRunLength(stream, pixelCount)
                       : streamTakePixels(stream, pixelCount);
}

// What stb reads before the pixel data: the header, the id and the palette,
// with the palette moved to start at index 0 (the unused leading entries
// black, so stored indices keep their meaning) and the origin bit inverted,
// so that stb, which turns rows top first, leaves them bottom first in place.
std::vector<uint8_t> tgaPrelude(const uint8_t* data, size_t dataStart, const TgaHeader& h)
{
    const size_t entryBytes = static_cast<size_t>(h.paletteBits / 8);
    const size_t paletteStart = kHeaderBytes + h.idLength;
    const size_t padding =
        h.colorMapType == kColorMapped ? static_cast<size_t>(h.paletteFirst) * entryBytes : 0;
    std::vector<uint8_t> prelude(dataStart + padding, 0);
    std::memcpy(prelude.data(), data, paletteStart);
    std::memcpy(prelude.data() + paletteStart + padding, data + paletteStart,
                dataStart - paletteStart);
    if (padding != 0) {
        const long length = h.paletteFirst + h.paletteLength;
        prelude[3] = prelude[4] = 0;
        prelude[5] = static_cast<uint8_t>(length & 0xff);
        prelude[6] = static_cast<uint8_t>(length >> 8);
    }
    prelude[kDescriptorByte] ^= kTopOriginFlag;
    return prelude;
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
        h.height > kTgaMaxSide || !tgaCheckData(data, size, h)) {
        return false;
    }
    const size_t dataStart = static_cast<size_t>(tgaDataStart(h));
    const StbTgaSource source{tgaPrelude(data, dataStart, h), data + dataStart, size - dataStart};
    return stbTgaDecode(source, h.width, h.height, components, image);
}

bool tgaLoadFile(const char* path, TexImage& image)
{
    image = TexImage{};
    std::vector<uint8_t> bytes;
    return fileReadRegular(path, kMaxFileBytes, bytes) &&
           tgaDecode(bytes.data(), bytes.size(), image);
}
