// Tests of the row converters, their selection and the blocked byte copy.
// Every instruction set the processor offers is run against a per-pixel
// reference written here from the formula of each format, over row lengths on
// both sides of every group size, with guard bytes and guard pages around the
// rows to catch a single byte read or written out of place.
#include "convert.h"
#include "guarded_region.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <random>
#include <string>
#include <vector>

static const char* isaName(ConvertIsa isa)
{
    switch (isa) {
    case ConvertIsa::scalar:
        return "scalar";
    case ConvertIsa::sse2:
        return "sse2";
    case ConvertIsa::ssse3:
        return "ssse3";
    case ConvertIsa::avx2:
        return "avx2";
    case ConvertIsa::avx512bw:
        return "avx512bw";
    }
    return "unknown";
}

// Names the instruction set in failure messages instead of its raw bytes.
void PrintTo(ConvertIsa isa, std::ostream* out)
{
    *out << isaName(isa);
}

namespace {

constexpr uint8_t canaryByte = 0xA5;
constexpr size_t canaryBytes = 64;

struct FormatCase {
    const char* name;
    PixelConverter converter;
    int bytesPerPixel;
    uint32_t (*formula)(uint32_t p); // the destination pixel, little-endian
};

uint32_t red(uint32_t p) { return (p >> 16) & 0xFF; }
uint32_t green(uint32_t p) { return (p >> 8) & 0xFF; }
uint32_t blue(uint32_t p) { return p & 0xFF; }

const FormatCase formatCases[] = {
    {"copyRow32", copyRow32, 4, [](uint32_t p) { return p; }},
    {"convertRow32Swapped", convertRow32Swapped, 4,
     [](uint32_t p) { return red(p) | green(p) << 8 | blue(p) << 16; }},
    {"convertRow24", convertRow24, 3,
     [](uint32_t p) { return blue(p) | green(p) << 8 | red(p) << 16; }},
    {"convertRow24Swapped", convertRow24Swapped, 3,
     [](uint32_t p) { return red(p) | green(p) << 8 | blue(p) << 16; }},
    {"convertRow565", convertRow565, 2,
     [](uint32_t p) { return (red(p) >> 3) << 11 | (green(p) >> 2) << 5 | blue(p) >> 3; }},
    {"convertRow565Swapped", convertRow565Swapped, 2,
     [](uint32_t p) { return (blue(p) >> 3) << 11 | (green(p) >> 2) << 5 | red(p) >> 3; }},
    {"convertRow555", convertRow555, 2,
     [](uint32_t p) { return (red(p) >> 3) << 10 | (green(p) >> 3) << 5 | blue(p) >> 3; }},
    {"convertRow555Swapped", convertRow555Swapped, 2,
     [](uint32_t p) { return (blue(p) >> 3) << 10 | (green(p) >> 3) << 5 | red(p) >> 3; }},
};

// Short rows (every remainder of every group size up to 64) and frame-sized
// rows around the widths the window actually uses.
std::vector<int> rowLengths()
{
    std::vector<int> lengths;
    for (int n = 0; n <= 70; ++n) {
        lengths.push_back(n);
    }
    for (int n : {127, 128, 129, 191, 192, 193, 255, 256, 257, 639, 640, 641}) {
        lengths.push_back(n);
    }
    return lengths;
}

std::vector<uint32_t> randomPixels(int count, uint32_t seed)
{
    std::mt19937 generator(seed);
    std::vector<uint32_t> pixels(static_cast<size_t>(count));
    for (uint32_t& p : pixels) {
        p = static_cast<uint32_t>(generator()); // top byte nonzero as often as not
    }
    return pixels;
}

std::vector<uint8_t> referenceRow(const FormatCase& format, const std::vector<uint32_t>& pixels)
{
    std::vector<uint8_t> bytes;
    for (uint32_t p : pixels) {
        const uint32_t word = format.formula(p);
        for (int k = 0; k < format.bytesPerPixel; ++k) {
            bytes.push_back(static_cast<uint8_t>(word >> (8 * k)));
        }
    }
    return bytes;
}

class ConvertOnIsa : public testing::TestWithParam<ConvertIsa> {
protected:
    void SetUp() override
    {
        previous = convertIsaActive();
        if (!convertIsaSupported(GetParam())) {
            GTEST_SKIP() << isaName(GetParam()) << " is not available here";
        }
        ASSERT_TRUE(convertIsaUse(GetParam()));
    }
    void TearDown() override { convertIsaUse(previous); }

    ConvertIsa previous = ConvertIsa::scalar;
};

TEST_P(ConvertOnIsa, EveryFormatMatchesTheFormulaAndWritesOnlyItsRow)
{
    for (const FormatCase& format : formatCases) {
        for (int count : rowLengths()) {
            // Exact-size source: a sanitizer build flags any read past count.
            const std::vector<uint32_t> source = randomPixels(count, 7919u * count + 1);
            const std::vector<uint8_t> expected = referenceRow(format, source);
            for (size_t offset : {0, 1, 3}) {
                std::vector<uint8_t> buffer(offset + expected.size() + 2 * canaryBytes,
                                            canaryByte);
                uint8_t* row = buffer.data() + canaryBytes + offset;
                format.converter(source.data(), row, count);
                SCOPED_TRACE(std::string(format.name) + " count " + std::to_string(count) +
                             " offset " + std::to_string(offset));
                ASSERT_EQ(std::vector<uint8_t>(row, row + expected.size()), expected);
                std::vector<uint8_t> outside(buffer.begin(), buffer.begin() + canaryBytes + offset);
                outside.insert(outside.end(), row + expected.size(), buffer.data() + buffer.size());
                ASSERT_EQ(outside, std::vector<uint8_t>(outside.size(), canaryByte));
            }
        }
    }
}

TEST_P(ConvertOnIsa, RowsAgainstGuardPagesStayInsideTheirBytes)
{
    for (const FormatCase& format : formatCases) {
        for (int count : {1, 15, 16, 17, 63, 64, 65, 640, 641}) {
            const size_t sourceBytes = static_cast<size_t>(count) * 4;
            const size_t rowBytes = static_cast<size_t>(count) * format.bytesPerPixel;
            const GuardedRegion sourceRegion(sourceBytes);
            const GuardedRegion rowRegion(rowBytes);
            const std::vector<uint32_t> pixels = randomPixels(count, 31u * count);
            const std::vector<uint8_t> expected = referenceRow(format, pixels);
            // Rows ending at a guard page, then rows starting right after one.
            for (bool atEnd : {true, false}) {
                uint8_t* sourceBytesAt =
                    atEnd ? sourceRegion.endingAt(sourceBytes) : sourceRegion.begin();
                uint8_t* row = atEnd ? rowRegion.endingAt(rowBytes) : rowRegion.begin();
                std::memcpy(sourceBytesAt, pixels.data(), sourceBytes);
                format.converter(reinterpret_cast<const uint32_t*>(sourceBytesAt), row, count);
                SCOPED_TRACE(std::string(format.name) + " count " + std::to_string(count));
                ASSERT_EQ(std::vector<uint8_t>(row, row + rowBytes), expected);
            }
        }
    }
}

struct KnownPixel {
    uint32_t source;
    uint32_t rgb565, rgb565Swapped, rgb555, rgb555Swapped;
};

// Hand-worked values, independent of the reference formulas above.
const KnownPixel knownPixels[] = {
    {0x00FFFFFF, 0xFFFF, 0xFFFF, 0x7FFF, 0x7FFF},
    {0xFFFFFFFF, 0xFFFF, 0xFFFF, 0x7FFF, 0x7FFF},
    {0x00808080, 0x8410, 0x8410, 0x4210, 0x4210},
    {0x00FF0000, 0xF800, 0x001F, 0x7C00, 0x001F},
    {0x000000FF, 0x001F, 0xF800, 0x001F, 0x7C00},
    {0x0000FF00, 0x07E0, 0x07E0, 0x03E0, 0x03E0},
    {0x00123456, 0x11AA, 0x51A2, 0x08CA, 0x28C2},
    {0x00070307, 0x0000, 0x0000, 0x0000, 0x0000},
    {0xFF070307, 0x0000, 0x0000, 0x0000, 0x0000},
};

TEST_P(ConvertOnIsa, SixteenBitFormatsGiveTheWorkedValues)
{
    constexpr int count = 67; // groups of every width and a tail
    for (const KnownPixel& known : knownPixels) {
        const std::vector<uint32_t> source(count, known.source);
        const std::pair<PixelConverter, uint32_t> cases[] = {
            {convertRow565, known.rgb565},
            {convertRow565Swapped, known.rgb565Swapped},
            {convertRow555, known.rgb555},
            {convertRow555Swapped, known.rgb555Swapped},
        };
        for (const auto& [converter, expected] : cases) {
            std::vector<uint16_t> row(count);
            converter(source.data(), reinterpret_cast<uint8_t*>(row.data()), count);
            SCOPED_TRACE(testing::Message() << std::hex << known.source << " -> " << expected);
            ASSERT_EQ(row, std::vector<uint16_t>(count, static_cast<uint16_t>(expected)));
        }
    }
}

TEST_P(ConvertOnIsa, WideFormatsMoveWholeBytesAndDropTheTopByte)
{
    constexpr int count = 67;
    const std::vector<uint32_t> source(count, 0xA1B2C3D4);
    std::vector<uint32_t> swapped(count);
    convertRow32Swapped(source.data(), reinterpret_cast<uint8_t*>(swapped.data()), count);
    EXPECT_EQ(swapped, std::vector<uint32_t>(count, 0x00D4C3B2));
    std::vector<uint32_t> copied(count);
    copyRow32(source.data(), reinterpret_cast<uint8_t*>(copied.data()), count);
    EXPECT_EQ(copied, source);

    std::vector<uint8_t> packed(3 * count);
    std::vector<uint8_t> packedSwapped(3 * count);
    convertRow24(source.data(), packed.data(), count);
    convertRow24Swapped(source.data(), packedSwapped.data(), count);
    for (int i = 0; i < count; ++i) {
        EXPECT_EQ(std::vector<uint8_t>(&packed[3 * i], &packed[3 * i + 3]),
                  (std::vector<uint8_t>{0xD4, 0xC3, 0xB2}));
        EXPECT_EQ(std::vector<uint8_t>(&packedSwapped[3 * i], &packedSwapped[3 * i + 3]),
                  (std::vector<uint8_t>{0xB2, 0xC3, 0xD4}));
    }
}

TEST_P(ConvertOnIsa, CountsBelowOneTouchNothing)
{
    const std::vector<uint32_t> source = randomPixels(64, 5);
    for (const FormatCase& format : formatCases) {
        for (int count : {0, -1, -640, INT_MIN}) {
            std::vector<uint8_t> row(256, canaryByte);
            format.converter(source.data(), row.data(), count);
            EXPECT_EQ(row, std::vector<uint8_t>(256, canaryByte)) << format.name << " " << count;
        }
    }
    // With nothing to convert, not even the pointers are looked at.
    convertRow565(nullptr, nullptr, 0);
    copyRow32(nullptr, nullptr, -5);
    copyBytesBlocked(nullptr, nullptr, 0);
}

TEST_P(ConvertOnIsa, CopyBytesBlockedCopiesExactlyTheCount)
{
    std::vector<size_t> lengths;
    for (size_t n = 0; n <= 200; ++n) {
        lengths.push_back(n);
    }
    lengths.insert(lengths.end(), {2560, 4096 + 13});
    for (size_t n : lengths) {
        std::vector<uint8_t> source(n);
        std::mt19937 generator(static_cast<uint32_t>(n));
        for (uint8_t& byte : source) {
            byte = static_cast<uint8_t>(generator());
        }
        const GuardedRegion region(n);
        for (uint8_t* destination : {region.begin(), region.endingAt(n)}) {
            std::memset(region.begin(), canaryByte, region.usableBytes);
            copyBytesBlocked(destination, source.data(), n);
            ASSERT_EQ(std::vector<uint8_t>(destination, destination + n), source) << n;
            const size_t before = static_cast<size_t>(destination - region.begin());
            const size_t after = region.usableBytes - before - n;
            ASSERT_EQ(std::vector<uint8_t>(region.begin(), destination),
                      std::vector<uint8_t>(before, canaryByte));
            ASSERT_EQ(std::vector<uint8_t>(destination + n, destination + n + after),
                      std::vector<uint8_t>(after, canaryByte));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(AllSets, ConvertOnIsa,
                         testing::Values(ConvertIsa::scalar, ConvertIsa::sse2, ConvertIsa::ssse3,
                                         ConvertIsa::avx2, ConvertIsa::avx512bw),
                         [](const testing::TestParamInfo<ConvertIsa>& info) {
                             return std::string(isaName(info.param));
                         });

struct SelectCase {
    uint32_t bitCount, redMask, greenMask, blueMask;
    PixelConverter expected;
};

TEST(SelectPixelConverter, MatchesOnlyTheEightExactFormats)
{
    const SelectCase cases[] = {
        {32, 0xFF0000, 0xFF00, 0xFF, copyRow32},
        {32, 0xFF, 0xFF00, 0xFF0000, convertRow32Swapped},
        {24, 0xFF0000, 0xFF00, 0xFF, convertRow24},
        {24, 0xFF, 0xFF00, 0xFF0000, convertRow24Swapped},
        {16, 0xF800, 0x7E0, 0x1F, convertRow565},
        {16, 0x1F, 0x7E0, 0xF800, convertRow565Swapped},
        {16, 0x7C00, 0x3E0, 0x1F, convertRow555},
        {16, 0x1F, 0x3E0, 0x7C00, convertRow555Swapped},
        // 15-bit displays report 16; a bit count of 15 is not a format.
        {15, 0x7C00, 0x3E0, 0x1F, nullptr},
        {8, 0xF800, 0x7E0, 0x1F, nullptr},
        {24, 0xF800, 0x7E0, 0x1F, nullptr},
        {32, 0xF800, 0x7E0, 0x1F, nullptr},
        {16, 0xFF0000, 0xFF00, 0xFF, nullptr},
        // Green low, and other channel orders.
        {16, 0xF800, 0x1F, 0x7E0, nullptr},
        {16, 0x7E0, 0xF800, 0x1F, nullptr},
        {32, 0xFF00, 0xFF, 0xFF0000, nullptr},
        {24, 0xFF00, 0xFF0000, 0xFF, nullptr},
        // An alpha mask given in place of a colour, or a palette display.
        {32, 0xFF000000, 0xFF00, 0xFF, nullptr},
        {8, 0, 0, 0, nullptr},
        {0, 0, 0, 0, nullptr},
        {0xFFFFFFFF, 0xFF0000, 0xFF00, 0xFF, nullptr},
    };
    for (const SelectCase& c : cases) {
        EXPECT_EQ(selectPixelConverter(c.bitCount, c.redMask, c.greenMask, c.blueMask),
                  c.expected)
            << std::hex << c.bitCount << " " << c.redMask << " " << c.greenMask << " "
            << c.blueMask;
    }
}

TEST(ConvertIsaChoice, ScalarAlwaysRunsAndUnknownSetsAreRefused)
{
    const ConvertIsa previous = convertIsaActive();
    EXPECT_TRUE(convertIsaSupported(ConvertIsa::scalar));
    EXPECT_TRUE(convertIsaUse(ConvertIsa::scalar));
    EXPECT_EQ(convertIsaActive(), ConvertIsa::scalar);
    EXPECT_FALSE(convertIsaUse(static_cast<ConvertIsa>(99)));
    EXPECT_EQ(convertIsaActive(), ConvertIsa::scalar);
    EXPECT_TRUE(convertIsaUse(previous));
}

} // namespace
