// The eight row converters, the format table that picks one, and the byte
// copy behind the 32-bit copy. Each converter hands the bulk of a row to the
// kernels (convert_kernels.h) and finishes the remainder here, one pixel at a
// time, with the formula that defines the format.
#include "convert.h"

#include "convert_kernels.h"

#include <bit>
#include <cstring>

namespace {

constexpr size_t kCopyBlockBytes = 64;
constexpr size_t kCopyMoveBytes = 8;

struct FormatEntry {
    uint32_t bitCount;
    uint32_t redMask;
    uint32_t greenMask;
    uint32_t blueMask;
    PixelConverter converter;
};

// Bit count 32 first, then 24, then 16; every match is exact, so the order
// only matters for reading.
constexpr FormatEntry kFormatTable[] = {
    {32, 0xFF0000, 0xFF00, 0xFF, copyRow32},
    {32, 0xFF, 0xFF00, 0xFF0000, convertRow32Swapped},
    {24, 0xFF0000, 0xFF00, 0xFF, convertRow24},
    {24, 0xFF, 0xFF00, 0xFF0000, convertRow24Swapped},
    {16, 0xF800, 0x7E0, 0x1F, convertRow565},
    {16, 0x1F, 0x7E0, 0xF800, convertRow565Swapped},
    {16, 0x7C00, 0x3E0, 0x1F, convertRow555},
    {16, 0x1F, 0x3E0, 0x7C00, convertRow555Swapped},
};

// A destination pixel in little-endian byte order whatever the host's order;
// on a little-endian host this is one plain store the compiler can vectorise.
template <typename Word>
void storeLittle(uint8_t* destination, Word value)
{
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(destination, &value, sizeof value);
    } else {
        for (size_t k = 0; k < sizeof value; ++k) {
            destination[k] = static_cast<uint8_t>(value >> (8 * k));
        }
    }
}

constexpr int rowBytesPerPixel(RowFormat format)
{
    switch (format) {
    case RowFormat::Copy32:
    case RowFormat::Swapped32:
        return 4;
    case RowFormat::Packed24:
    case RowFormat::Packed24Swapped:
        return 3;
    default:
        return 2;
    }
}

// The destination pixel for source pixel p, in its low bytes.
template <RowFormat format>
uint32_t pixelWord(uint32_t p)
{
    if constexpr (format == RowFormat::Copy32) {
        return p;
    } else if constexpr (format == RowFormat::Packed24) {
        return p & 0xFFFFFF;
    } else if constexpr (format == RowFormat::Swapped32 || format == RowFormat::Packed24Swapped) {
        return ((p >> 16) & 0xFF) | (p & 0xFF00) | ((p & 0xFF) << 16);
    } else if constexpr (format == RowFormat::Rgb565) {
        return ((p >> 8) & 0xF800) | ((p >> 5) & 0x07E0) | ((p >> 3) & 0x001F);
    } else if constexpr (format == RowFormat::Rgb565Swapped) {
        return ((p << 8) & 0xF800) | ((p >> 5) & 0x07E0) | ((p >> 19) & 0x001F);
    } else if constexpr (format == RowFormat::Rgb555) {
        return ((p >> 9) & 0x7C00) | ((p >> 6) & 0x03E0) | ((p >> 3) & 0x001F);
    } else {
        return ((p << 7) & 0x7C00) | ((p >> 6) & 0x03E0) | ((p >> 19) & 0x001F);
    }
}

// Four 24-bit pixels fill three whole 32-bit words, so the portable path
// writes words rather than single bytes. Returns the pixels it covered.
template <RowFormat format>
ptrdiff_t convertPacked24Groups(const uint32_t* source, uint8_t* destination, int count)
{
    ptrdiff_t i = 0;
    for (; count - i >= 4; i += 4) {
        const uint32_t a = pixelWord<format>(source[i]);
        const uint32_t b = pixelWord<format>(source[i + 1]);
        const uint32_t c = pixelWord<format>(source[i + 2]);
        const uint32_t d = pixelWord<format>(source[i + 3]);
        storeLittle(destination + 3 * i, a | b << 24);
        storeLittle(destination + 3 * i + 4, b >> 8 | c << 16);
        storeLittle(destination + 3 * i + 8, c >> 16 | d << 8);
    }
    return i;
}

template <RowFormat format>
void convertPixelsAs(const uint32_t* source, uint8_t* destination, int count)
{
    constexpr int bytesPerPixel = rowBytesPerPixel(format);
    ptrdiff_t i = 0; // wide: 4 * i may pass INT_MAX
    if constexpr (bytesPerPixel == 3) {
        i = convertPacked24Groups<format>(source, destination, count);
    }
    for (; i < count; ++i) {
        const uint32_t word = pixelWord<format>(source[i]);
        uint8_t* const out = destination + bytesPerPixel * i;
        if constexpr (bytesPerPixel == 4) {
            storeLittle(out, word);
        } else if constexpr (bytesPerPixel == 2) {
            storeLittle(out, static_cast<uint16_t>(word));
        } else {
            storeLittle(out, static_cast<uint16_t>(word));
            out[2] = static_cast<uint8_t>(word >> 16);
        }
    }
}

// The kernels take the bulk of the row, the formula finishes it.
template <RowFormat format>
void convertRowAs(const uint32_t* source, uint8_t* destination, int count)
{
    if (count <= 0) {
        return;
    }
    constexpr int kBytesPerPixel = rowBytesPerPixel(format);
    const int done = convertKernelRow(format, source, destination, count);
    convertPixelsAs<format>(source + done,
                            destination + static_cast<ptrdiff_t>(done) * kBytesPerPixel,
                            count - done);
}

} // namespace

PixelConverter selectPixelConverter(uint32_t bitCount, uint32_t redMask, uint32_t greenMask,
                                    uint32_t blueMask)
{
    for (const FormatEntry& entry : kFormatTable) {
        if (entry.bitCount == bitCount && entry.redMask == redMask &&
            entry.greenMask == greenMask && entry.blueMask == blueMask) {
            return entry.converter;
        }
    }
    return nullptr;
}

void copyRow32(const uint32_t* source, uint8_t* destination, int count)
{
    if (count <= 0) {
        return;
    }
    copyBytesBlocked(destination, reinterpret_cast<const uint8_t*>(source),
                     static_cast<size_t>(count) * 4);
}

void convertRow32Swapped(const uint32_t* source, uint8_t* destination, int count)
{
    convertRowAs<RowFormat::Swapped32>(source, destination, count);
}

void convertRow24(const uint32_t* source, uint8_t* destination, int count)
{
    convertRowAs<RowFormat::Packed24>(source, destination, count);
}

void convertRow24Swapped(const uint32_t* source, uint8_t* destination, int count)
{
    convertRowAs<RowFormat::Packed24Swapped>(source, destination, count);
}

void convertRow565(const uint32_t* source, uint8_t* destination, int count)
{
    convertRowAs<RowFormat::Rgb565>(source, destination, count);
}

void convertRow565Swapped(const uint32_t* source, uint8_t* destination, int count)
{
    convertRowAs<RowFormat::Rgb565Swapped>(source, destination, count);
}

void convertRow555(const uint32_t* source, uint8_t* destination, int count)
{
    convertRowAs<RowFormat::Rgb555>(source, destination, count);
}

void convertRow555Swapped(const uint32_t* source, uint8_t* destination, int count)
{
    convertRowAs<RowFormat::Rgb555Swapped>(source, destination, count);
}

// Eight 8-byte moves per block; the compiler may merge them into wider ones.
void copyBytesBlocked(uint8_t* destination, const uint8_t* source, size_t byteCount)
{
    size_t done = 0;
    for (; byteCount - done >= kCopyBlockBytes; done += kCopyBlockBytes) {
        for (size_t move = 0; move < kCopyBlockBytes; move += kCopyMoveBytes) {
            uint64_t word;
            std::memcpy(&word, source + done + move, kCopyMoveBytes);
            std::memcpy(destination + done + move, &word, kCopyMoveBytes);
        }
    }
    for (; done < byteCount; ++done) {
        destination[done] = source[done];
    }
}
