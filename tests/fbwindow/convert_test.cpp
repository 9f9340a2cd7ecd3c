// The row converters on every instruction set against a per-pixel reference
// written here from each format's definition, over row lengths on both sides
// of every group size and at odd destination offsets, with canary bytes around
// the row (reads past the source's end are the sanitizer build's to catch: the
// sources have exactly the row's length). Then the blocked byte copy and the
// choice of converter, from the same formulas.
#include "convert.h"
#include "simd_targets.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr uint8_t kCanary = 0xA5;
constexpr size_t kCanaryBytes = 64;

struct FormatCase {
    const char* name;
    PixelConverter converter;
    int bytesPerPixel;
    uint32_t (*formula)(uint32_t p);  // the destination pixel, little-endian
};

uint32_t red(uint32_t p) { return (p >> 16) & 0xFF; }
uint32_t green(uint32_t p) { return (p >> 8) & 0xFF; }
uint32_t blue(uint32_t p) { return p & 0xFF; }

const FormatCase kFormats[] = {
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

std::vector<uint32_t> randomPixels(int count, uint32_t seed)
{
    std::mt19937 generator(seed);
    std::vector<uint32_t> pixels(static_cast<size_t>(count));
    for (uint32_t& p : pixels) {
        p = static_cast<uint32_t>(generator());  // top byte nonzero as often as not
    }
    return pixels;
}

std::vector<uint8_t> referenceRow(const FormatCase& format, const std::vector<uint32_t>& pixels)
{
    std::vector<uint8_t> bytes;
    for (const uint32_t p : pixels) {
        const uint32_t word = format.formula(p);
        for (int k = 0; k < format.bytesPerPixel; ++k) {
            bytes.push_back(static_cast<uint8_t>(word >> (8 * k)));
        }
    }
    return bytes;
}

// Every remainder of every group size up to 64, and rows around the widths
// the window uses.
std::vector<int> rowLengths()
{
    std::vector<int> lengths;
    for (int n = 0; n <= 70; ++n) {
        lengths.push_back(n);
    }
    lengths.insert(lengths.end(), {127, 128, 129, 639, 640, 641});
    return lengths;
}

TEST(Convert, EveryFormatOnEveryInstructionSetMatchesTheFormulaAndWritesOnlyItsRow)
{
    for (const int64_t target : simdTargets()) {
        const SimdTargetScope scope(target);
        for (const FormatCase& format : kFormats) {
            for (const int count : rowLengths()) {
                const std::vector<uint32_t> source = randomPixels(count, 7919u * count + 1);
                const std::vector<uint8_t> expected = referenceRow(format, source);
                for (const size_t offset : {0, 1, 3}) {
                    const size_t size = offset + expected.size() + 2 * kCanaryBytes;
                    std::vector<uint8_t> buffer(size, kCanary);
                    uint8_t* row = buffer.data() + kCanaryBytes + offset;
                    format.converter(source.data(), row, count);
                    SCOPED_TRACE(simdTargetName(target) + " " + format.name + " count " +
                                 std::to_string(count) + " offset " + std::to_string(offset));
                    ASSERT_EQ(std::vector<uint8_t>(row, row + expected.size()), expected);
                    std::fill(row, row + expected.size(), kCanary);  // what is left: canaries
                    ASSERT_EQ(buffer, std::vector<uint8_t>(buffer.size(), kCanary));
                }
            }
        }
    }
}

TEST(Convert, CountsBelowOneTouchNothing)
{
    const std::vector<uint32_t> source = randomPixels(64, 5);
    for (const FormatCase& format : kFormats) {
        for (const int count : {0, -1, -640, INT_MIN}) {
            std::vector<uint8_t> row(256, kCanary);
            format.converter(source.data(), row.data(), count);
            EXPECT_EQ(row, std::vector<uint8_t>(256, kCanary)) << format.name << " " << count;
        }
    }
    // With nothing to convert, not even the pointers are looked at.
    convertRow565(nullptr, nullptr, 0);
    copyRow32(nullptr, nullptr, -5);
    copyBytesBlocked(nullptr, nullptr, 0);
}

TEST(Convert, CopyBytesBlockedCopiesExactlyTheCount)
{
    for (size_t n = 0; n <= 200; n += n < 130 ? 1 : 7) {
        std::vector<uint8_t> source(n);
        std::mt19937 generator(static_cast<uint32_t>(n));
        for (uint8_t& byte : source) {
            byte = static_cast<uint8_t>(generator());
        }
        std::vector<uint8_t> buffer(n + 2 * kCanaryBytes, kCanary);
        copyBytesBlocked(buffer.data() + kCanaryBytes, source.data(), n);
        ASSERT_TRUE(std::equal(source.begin(), source.end(), buffer.begin() + kCanaryBytes)) << n;
        std::fill_n(buffer.begin() + kCanaryBytes, n, kCanary);
        ASSERT_EQ(buffer, std::vector<uint8_t>(buffer.size(), kCanary)) << n << " bytes";
    }
}

// Each converter serves the format its formula writes: the bits that full
// red, green and blue set are the masks, its bytes times 8 the bit count. The
// same masks in another order or at another bit count have no converter.
TEST(SelectPixelConverter, PicksTheConverterWhoseFormulaWritesTheFormatAndNothingElse)
{
    for (const FormatCase& format : kFormats) {
        const uint32_t bits = uint32_t(format.bytesPerPixel) * 8;
        const uint32_t r = format.formula(0xFF0000);
        const uint32_t g = format.formula(0xFF00);
        const uint32_t b = format.formula(0xFF);
        EXPECT_EQ(selectPixelConverter(bits, r, g, b), format.converter) << format.name;
        EXPECT_EQ(selectPixelConverter(bits, g, r, b), nullptr) << format.name;
        EXPECT_EQ(selectPixelConverter(bits, r, b, g), nullptr) << format.name;
        for (const uint32_t other : {8u, bits - 1, bits + 1, 0xFFFFFFFFu}) {  // 15 is not 16
            EXPECT_EQ(selectPixelConverter(other, r, g, b), nullptr) << format.name << " " << other;
        }
    }
    EXPECT_EQ(selectPixelConverter(32, 0xFF000000, 0xFF00, 0xFF), nullptr) << "alpha for red";
}

}  // namespace
