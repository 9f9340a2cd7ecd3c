#include "mipchain.h"
#include "tga.h"
#include "tga_writer.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <random>
#include <string>

namespace {

// 5 x 3, top row first, with repeats so that run-length files hold runs;
// stored top first, the run of 2s carries over a row end.
const TgaPicture kPicture{5, 3, {0, 0, 0, 1, 2,
                                 2, 2, 3, 4, 5,
                                 5, 1, 1, 1, 0}};

const TgaKind kKinds[] = {
    {"true24", 2, 24, 0, 0, false, false},     {"true24_top", 2, 24, 0, 0, false, true},
    {"true24_rle", 2, 24, 0, 0, true, false},  {"true24_rle_top", 2, 24, 0, 0, true, true},
    {"true32", 2, 32, 0, 0, false, false},     {"true32_top", 2, 32, 0, 0, false, true},
    {"true32_rle", 2, 32, 0, 0, true, false},  {"grey8_rle_top", 3, 8, 0, 0, true, true},
    {"pal24", 1, 8, 24, 0, false, false},      {"pal24_top", 1, 8, 24, 0, false, true},
    {"pal24_rle", 1, 8, 24, 0, true, false},   {"pal24_rle_top", 1, 8, 24, 0, true, true},
    {"pal32", 1, 8, 32, 0, false, false},      {"pal32_rle_top", 1, 8, 32, 0, true, true},
    {"pal24_idx16", 1, 16, 24, 0, false, false}, {"pal32_idx16_rle", 1, 16, 32, 0, true, true},
    {"pal24_first7", 1, 8, 24, 7, false, false}, {"pal32_first300_rle", 1, 16, 32, 300, true, false},
    // Grey and alpha, 5-5-5 pixels and palettes, and files stored right to left.
    {"grey16", 3, 16, 0, 0, false, false},     {"grey16_rle_top", 3, 16, 0, 0, true, true},
    {"true15", 2, 15, 0, 0, false, false},     {"true15_rle_top", 2, 15, 0, 0, true, true},
    {"true16_top", 2, 16, 0, 0, false, true},  {"true16_rle", 2, 16, 0, 0, true, false},
    {"pal15_first7", 1, 8, 15, 7, false, false}, {"pal16_idx16_rle_top", 1, 16, 16, 0, true, true},
    {"true24_rtl", 2, 24, 0, 0, false, false, true}, {"true32_rle_rtl_top", 2, 32, 0, 0, true, true, true},
    {"grey8_rtl_top", 3, 8, 0, 0, false, true, true}, {"grey16_rle_rtl", 3, 16, 0, 0, true, false, true},
    {"true16_rle_rtl_top", 2, 16, 0, 0, true, true, true}, {"true15_rtl", 2, 15, 0, 0, false, false, true},
    {"pal24_rle_rtl", 1, 8, 24, 0, true, false, true}, {"pal16_rtl_top", 1, 8, 16, 3, false, true, true},
};

int bitsOf(const TgaKind& kind)
{
    return kind.paletteBits != 0 ? kind.paletteBits : kind.pixelBits;
}

int componentsOf(const TgaKind& kind)
{
    if (kind.imageType == 3) {
        return kind.pixelBits == 8 ? 1 : 4;
    }
    return bitsOf(kind) < 24 ? 3 : bitsOf(kind) / 8;
}

// The expected decoded bytes: rows bottom first, RGB(A), grey, or grey and
// alpha; 5-5-5 kinds keep each channel's top 5 bits, widened by repeating the top bits.
std::vector<uint8_t> expectedPixels(const TgaKind& kind)
{
    const bool grey = kind.imageType == 3;
    const bool fiveBits = bitsOf(kind) < 24 && !grey;
    std::vector<uint8_t> out;
    for (int row = 0; row < kPicture.height; ++row) {
        const int y = kPicture.height - 1 - row;
        for (int x = 0; x < kPicture.width; ++x) {
            const int index = kPicture.indices[size_t(y) * kPicture.width + x];
            const uint32_t rgba = testColor(index);
            const uint8_t g = testGrey(index);
            uint8_t all[4] = {grey ? g : uint8_t(rgba >> 24), grey ? g : uint8_t(rgba >> 16),
                              grey ? g : uint8_t(rgba >> 8), uint8_t(rgba)};
            for (uint8_t& channel : all) {
                channel = fiveBits ? uint8_t((channel & 0xf8) | channel >> 5) : channel;
            }
            out.insert(out.end(), all, all + componentsOf(kind));
        }
    }
    return out;
}

std::string tempDir()
{
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() /
                         ("vesselgl_tex_" + std::to_string(std::random_device{}()));
    fs::create_directory(dir);
    return dir.string();
}

void putU16(std::vector<uint8_t>& bytes, size_t at, int value)
{
    bytes[at] = uint8_t(value & 0xff);
    bytes[at + 1] = uint8_t(value >> 8);
}

TexImage solidImage(int width, int height, int components, uint8_t value)
{
    return TexImage{width, height, components,
                    std::vector<uint8_t>(size_t(width) * height * components, value)};
}

}  // namespace

TEST(TgaDecode, EveryKindAndOriginGivesTheSamePixelsBottomRowFirst)
{
    for (const TgaKind& kind : kKinds) {
        const std::vector<uint8_t> file = tgaWrite(kind, kPicture);
        TexImage image;
        ASSERT_TRUE(tgaDecode(file.data(), file.size(), image)) << kind.name;
        EXPECT_EQ(image.width, 5) << kind.name;
        EXPECT_EQ(image.height, 3) << kind.name;
        EXPECT_EQ(image.components, componentsOf(kind)) << kind.name;
        EXPECT_EQ(image.pixels, expectedPixels(kind)) << kind.name;
    }
}

TEST(TgaDecode, FiveBitChannelsWidenByRepeatingTheirTopBits)
{
    // 3 x 1, 16 bits, bottom-left origin: white with the attribute bit, the
    // attribute bit alone, and r 4, g 12, b 30 (where v * 255 / 31 would give
    // 32, 98 and 246).
    const std::vector<uint8_t> file{0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3, 0, 1, 0, 16, 1,
                                    0xff, 0xff, 0x00, 0x80, 0x9e, 0x11};
    TexImage image;
    ASSERT_TRUE(tgaDecode(file.data(), file.size(), image));
    EXPECT_EQ(image.components, 3);
    EXPECT_EQ(image.pixels, (std::vector<uint8_t>{255, 255, 255, 0, 0, 0, 33, 99, 247}));
}

// One damage to a well-formed file: keep only `length` bytes (a negative
// length drops that many from the end), or write `value` at byte `at` (from
// the end when negative; two bytes when above 255). kSides writes it as both
// width and height.
struct Damage {
    const char* name;
    int kind;  // index into kKinds of the file damaged
    long length;
    long at;
    int value;
};

constexpr long kWhole = LONG_MAX;
constexpr long kSides = LONG_MIN;  // bytes 12 and 14

const Damage kDamages[] = {
    {"empty", 0, 0, 0, 0},
    {"header only, short", 0, 17, 0, 0},
    {"uncompressed one byte short", 0, -1, 0, 0},
    {"run-length stream ends early", 2, -1, 0, 0},
    {"run-length palette stream ends early", 10, -2, 0, 0},
    {"palette shorter than declared", 8, 18 + 3 + 10, 0, 0},
    {"declared 65535 x 65535", 0, kWhole, kSides, 65535},
    {"declared 16384 x 16384, run-length", 2, kWhole, kSides, 16384},
    {"unknown image type 4", 0, kWhole, 2, 4},
    {"image type 32", 0, kWhole, 2, 32},
    {"colour map type 2", 0, kWhole, 1, 2},
    {"zero width", 0, kWhole, 12, 0},
    {"true colour of 8 bits", 0, kWhole, 16, 8},
    {"palette of 8-bit entries", 8, kWhole, 7, 8},
    {"grey of 24 bits", 7, kWhole, 16, 24},
    {"grey and alpha one byte short", 18, -1, 0, 0},
    {"5-5-5 run-length stream ends early", 21, -1, 0, 0},
    {"5-5-5 palette shorter than declared", 24, 18 + 3 + 11, 0, 0},
    {"index outside the palette", 8, kWhole, -1, 6},
    {"palette declared without a colour map", 0, kWhole, 5, 0x104},
    {"palette beyond 65535 entries", 8, kWhole, 3, 65533},
};

TEST(TgaDecode, MalformedOrAbsurdFilesFailCleanly)
{
    for (const Damage& d : kDamages) {
        std::vector<uint8_t> bytes = tgaWrite(kKinds[d.kind], kPicture);
        if (d.length != kWhole) {
            bytes.resize(d.length >= 0 ? size_t(d.length) : bytes.size() - size_t(-d.length));
        } else {
            const long from = d.at == kSides ? 12 : d.at;
            const size_t at = from >= 0 ? size_t(from) : bytes.size() - size_t(-from);
            d.value > 255 ? putU16(bytes, at, d.value) : void(bytes.at(at) = uint8_t(d.value));
            if (d.at == kSides) {
                putU16(bytes, at + 2, d.value);
            }
        }
        TexImage image{1, 1, 1, {7}};
        EXPECT_FALSE(tgaDecode(bytes.data(), bytes.size(), image)) << d.name;
        EXPECT_TRUE(image.pixels.empty()) << d.name;
        EXPECT_EQ(image.width, 0) << d.name;
    }
}

TEST(TgaLoadFile, ReadsARegularFileAndRefusesEverythingElse)
{
    const std::string dir = tempDir();
    const std::string good = dir + "/good.tga";
    ASSERT_TRUE(writeFile(good, tgaWrite(kKinds[4], kPicture)));
    TexImage image;
    ASSERT_TRUE(tgaLoadFile(good.c_str(), image));
    EXPECT_EQ(image.pixels, expectedPixels(kKinds[4]));
    std::vector<TexImage> levels;
    ASSERT_TRUE(texPrepareFile(good.c_str(), levels));
    EXPECT_EQ(levels.size(), 4u);  // 5 x 3 grown to 8 x 4, down to 1 x 1

    // A FIFO with no writer would block a plain open; it must fail at once instead.
    const std::string nonRegular = makeNonRegularFile(dir);
    ASSERT_FALSE(nonRegular.empty());
    const std::string empty = dir + "/empty.tga";
    ASSERT_TRUE(writeFile(empty, {}));
    const std::string sub = dir + "/directory.tga";
    ASSERT_TRUE(std::filesystem::create_directory(sub));
    const std::string refused[] = {dir + "/missing.tga", nonRegular, empty, sub, ""};
    for (const std::string& path : refused) {
        EXPECT_FALSE(tgaLoadFile(path.c_str(), image)) << path;
        EXPECT_FALSE(texPrepareFile(path.c_str(), levels)) << path;
        EXPECT_TRUE(levels.empty()) << "the whole chain or nothing";
    }
    EXPECT_FALSE(tgaLoadFile(nullptr, image));
    std::filesystem::remove_all(dir);
}

// Sides grow to the next power of two, then halve down to 1 x 1; a uniform
// image stays uniform all the way.
TEST(TexScale, ChainsRunFromThePowerOfTwoAboveDownToOneByOne)
{
    const struct {
        int width, height, grownWidth, grownHeight;
        size_t levels;
    } cases[] = {{5, 3, 8, 4, 4}, {1, 1, 1, 1, 1}, {257, 1, 512, 1, 10}, {64, 100, 64, 128, 8}};
    for (const auto& c : cases) {
        const TexImage grown = texScaleToPowerOfTwo(solidImage(c.width, c.height, 3, 99));
        const std::vector<TexImage> chain = texBuildMipChain(grown);
        ASSERT_EQ(chain.size(), c.levels) << c.width << "x" << c.height;
        int w = c.grownWidth;
        int h = c.grownHeight;
        for (const TexImage& level : chain) {
            EXPECT_EQ(level.width, w) << c.width << "x" << c.height;
            EXPECT_EQ(level.height, h) << c.width << "x" << c.height;
            EXPECT_EQ(level.pixels, std::vector<uint8_t>(size_t(w) * h * 3, 99));
            w = w > 1 ? w / 2 : 1;
            h = h > 1 ? h / 2 : 1;
        }
    }
}

TEST(TexScale, KeepsCornersAndBlendsBetweenNeighbours)
{
    // One row 0, 90, 255 grows to four texels; the ends are kept exactly and
    // every texel lies between the source texels it was blended from.
    TexImage row{3, 1, 1, {0, 90, 255}};
    const TexImage out = texScaleToPowerOfTwo(row);
    ASSERT_EQ(out.width, 4);
    EXPECT_EQ(out.pixels.front(), 0);
    EXPECT_EQ(out.pixels.back(), 255);
    for (int i = 1; i < 4; ++i) {
        EXPECT_GE(out.pixels[i], out.pixels[i - 1]);
    }
    // Texel 1 samples source x = 0.625: 0 + 90 * 0.625 = 56.25, rounded to 56.
    EXPECT_EQ(out.pixels[1], 56);
}

TEST(TexMipChain, AveragesBlocksRoundingHalvesUp)
{
    // 4 x 2 grey: the left block sums to 2 (0.5, up to 1), the right to 10
    // (2.5, up to 3); the last level averages the pair 1, 3 to 2.
    TexImage base{4, 2, 1, {0, 0, 2, 3,
                            1, 1, 2, 3}};
    const std::vector<TexImage> chain = texBuildMipChain(base);
    ASSERT_EQ(chain.size(), 3u);
    EXPECT_EQ(chain[1].pixels, (std::vector<uint8_t>{1, 3}));
    EXPECT_EQ(chain[2].pixels, (std::vector<uint8_t>{2}));
    // A one-texel-wide column averages pairs only: (10 + 11 + 1) / 2.
    TexImage column{1, 2, 1, {10, 11}};
    EXPECT_EQ(texBuildMipChain(column)[1].pixels, (std::vector<uint8_t>{11}));
}
