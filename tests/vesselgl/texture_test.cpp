#include "bigtga.h"
#include "teximage.h"
#include "tga.h"
#include "tga_writer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
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
    {"true32_rle", 2, 32, 0, 0, true, false},  {"true32_rle_top", 2, 32, 0, 0, true, true},
    {"grey8", 3, 8, 0, 0, false, false},       {"grey8_top", 3, 8, 0, 0, false, true},
    {"grey8_rle", 3, 8, 0, 0, true, false},    {"grey8_rle_top", 3, 8, 0, 0, true, true},
    {"pal24", 1, 8, 24, 0, false, false},      {"pal24_top", 1, 8, 24, 0, false, true},
    {"pal24_rle", 1, 8, 24, 0, true, false},   {"pal24_rle_top", 1, 8, 24, 0, true, true},
    {"pal32", 1, 8, 32, 0, false, false},      {"pal32_rle_top", 1, 8, 32, 0, true, true},
    {"pal24_idx16", 1, 16, 24, 0, false, false}, {"pal32_idx16_rle", 1, 16, 32, 0, true, true},
    {"pal24_first7", 1, 8, 24, 7, false, false}, {"pal32_first300_rle", 1, 16, 32, 300, true, false},
};

int componentsOf(const TgaKind& kind)
{
    const int bits = kind.paletteBits != 0 ? kind.paletteBits : kind.pixelBits;
    return bits / 8;
}

// The expected decoded bytes: rows bottom first, RGB(A) or grey.
std::vector<uint8_t> expectedPixels(const TgaKind& kind)
{
    const int c = componentsOf(kind);
    std::vector<uint8_t> out;
    for (int row = 0; row < kPicture.height; ++row) {
        const int y = kPicture.height - 1 - row;
        for (int x = 0; x < kPicture.width; ++x) {
            const int index = kPicture.indices[size_t(y) * kPicture.width + x];
            const uint32_t rgba = testColor(index);
            const uint8_t all[4] = {uint8_t(rgba >> 24), uint8_t(rgba >> 16), uint8_t(rgba >> 8),
                                    uint8_t(rgba)};
            if (c == 1) {
                out.push_back(testGrey(index));
            } else {
                out.insert(out.end(), all, all + c);
            }
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

TEST(TgaDecode, MalformedOrAbsurdFilesFailCleanly)
{
    const std::vector<uint8_t> true24 = tgaWrite(kKinds[0], kPicture);
    const std::vector<uint8_t> true24rle = tgaWrite(kKinds[2], kPicture);
    const std::vector<uint8_t> pal24 = tgaWrite(kKinds[12], kPicture);
    const std::vector<uint8_t> pal24rle = tgaWrite(kKinds[14], kPicture);
    const size_t paletteStart = 18 + 3;
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
    };
    std::vector<Case> cases = {
        {"empty", {}},
        {"header only, short", std::vector<uint8_t>(true24.begin(), true24.begin() + 17)},
        {"uncompressed one byte short", std::vector<uint8_t>(true24.begin(), true24.end() - 1)},
        {"run-length stream ends early", std::vector<uint8_t>(true24rle.begin(), true24rle.end() - 1)},
        {"run-length palette stream ends early",
         std::vector<uint8_t>(pal24rle.begin(), pal24rle.end() - 2)},
        {"palette shorter than declared",
         std::vector<uint8_t>(pal24.begin(), pal24.begin() + paletteStart + 10)},
        {"declared 65535 x 65535", true24},
        {"declared 65535 x 65535, run-length", true24rle},
        {"declared 16384 x 16384, run-length", true24rle},
        {"unknown image type 4", true24},
        {"image type 32", true24},
        {"colour map type 2", true24},
        {"zero width", true24},
        {"true colour of 16 bits", true24},
        {"palette of 16-bit entries", pal24},
        {"index outside the palette", pal24},
        {"palette declared without a colour map", true24},
        {"palette beyond 65535 entries", pal24},
    };
    auto at = [&cases](const char* name) -> std::vector<uint8_t>& {
        for (Case& c : cases) {
            if (std::string(c.name) == name) return c.bytes;
        }
        std::abort();
    };
    putU16(at("declared 65535 x 65535"), 12, 65535);
    putU16(at("declared 65535 x 65535"), 14, 65535);
    putU16(at("declared 65535 x 65535, run-length"), 12, 65535);
    putU16(at("declared 65535 x 65535, run-length"), 14, 65535);
    putU16(at("declared 16384 x 16384, run-length"), 12, 16384);
    putU16(at("declared 16384 x 16384, run-length"), 14, 16384);
    at("unknown image type 4")[2] = 4;
    at("image type 32")[2] = 32;
    at("colour map type 2")[1] = 2;
    putU16(at("zero width"), 12, 0);
    at("true colour of 16 bits")[16] = 16;
    at("palette of 16-bit entries")[7] = 16;
    at("index outside the palette").back() = 6;
    putU16(at("palette declared without a colour map"), 5, 4);
    putU16(at("palette beyond 65535 entries"), 3, 65533);
    for (const Case& c : cases) {
        TexImage image{1, 1, 1, {7}};
        EXPECT_FALSE(tgaDecode(c.bytes.data(), c.bytes.size(), image)) << c.name;
        EXPECT_TRUE(image.pixels.empty()) << c.name;
        EXPECT_EQ(image.width, 0) << c.name;
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

    // A FIFO with no writer would block a plain open; it must fail at once instead.
    const std::string special = makeSpecialFile(dir);
    ASSERT_FALSE(special.empty());
    const std::string empty = dir + "/empty.tga";
    ASSERT_TRUE(writeFile(empty, {}));
    const std::string sub = dir + "/directory.tga";
    ASSERT_TRUE(std::filesystem::create_directory(sub));
    const std::string refused[] = {dir + "/missing.tga", special, empty, sub, ""};
    for (const std::string& path : refused) {
        EXPECT_FALSE(tgaLoadFile(path.c_str(), image)) << path;
    }
    EXPECT_FALSE(tgaLoadFile(nullptr, image));
    std::filesystem::remove_all(dir);
}

TEST(TexScale, SidesGrowToTheNextPowerOfTwo)
{
    const struct {
        int width, height, wantWidth, wantHeight;
    } cases[] = {{5, 3, 8, 4}, {1, 1, 1, 1}, {256, 256, 256, 256}, {257, 1, 512, 1},
                 {64, 100, 64, 128}, {3, 2, 4, 2}};
    for (const auto& c : cases) {
        const TexImage out = texScaleToPowerOfTwo(solidImage(c.width, c.height, 3, 99));
        EXPECT_EQ(out.width, c.wantWidth) << c.width << "x" << c.height;
        EXPECT_EQ(out.height, c.wantHeight) << c.width << "x" << c.height;
        ASSERT_EQ(out.pixels.size(), size_t(c.wantWidth) * c.wantHeight * 3);
        for (uint8_t v : out.pixels) {
            ASSERT_EQ(v, 99) << "a uniform image stays uniform";
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

TEST(TexMipChain, HalvesDownToOneByOne)
{
    const struct {
        int width, height;
        size_t levels;
    } cases[] = {{1, 1, 1}, {4, 2, 3}, {1, 8, 4}, {256, 256, 9}, {512, 4, 10}};
    for (const auto& c : cases) {
        const std::vector<TexImage> chain = texBuildMipChain(solidImage(c.width, c.height, 4, 7));
        ASSERT_EQ(chain.size(), c.levels) << c.width << "x" << c.height;
        int w = c.width;
        int h = c.height;
        for (const TexImage& level : chain) {
            EXPECT_EQ(level.width, w);
            EXPECT_EQ(level.height, h);
            EXPECT_EQ(level.pixels, std::vector<uint8_t>(size_t(w) * h * 4, 7));
            w = w > 1 ? w / 2 : 1;
            h = h > 1 ? h / 2 : 1;
        }
    }
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

TEST(TexPrepareFile, GivesTheWholeChainOrNothing)
{
    const std::string dir = tempDir();
    const std::string path = dir + "/artery.tga";
    ASSERT_TRUE(writeFile(path, tgaWrite(kKinds[5], kPicture)));
    std::vector<TexImage> levels;
    ASSERT_TRUE(texPrepareFile(path.c_str(), levels));
    ASSERT_EQ(levels.size(), 4u);
    EXPECT_EQ(levels[0].width, 8);
    EXPECT_EQ(levels[0].height, 4);
    EXPECT_EQ(levels[3].width, 1);
    EXPECT_EQ(levels[3].height, 1);
    std::filesystem::remove(path);
    EXPECT_FALSE(texPrepareFile(path.c_str(), levels));
    EXPECT_TRUE(levels.empty());
    std::filesystem::remove_all(dir);
}

namespace {

// This process's resident memory in bytes: "VmRSS:" now, "VmHWM:" at its highest.
size_t residentBytes(const std::string& field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field, 0) == 0) {
            return size_t(std::strtoull(line.c_str() + field.size(), nullptr, 10)) * 1024;
        }
    }
    return 0;
}

// Runs in a child of its own, so the high-water mark is this preparation's alone.
[[noreturn]] void prepareAndJudgeGrowth(const std::string& path, size_t limit)
{
    const size_t before = residentBytes("VmRSS:");
    std::vector<TexImage> levels;
    const bool ok = texPrepareFile(path.c_str(), levels);
    const size_t growth = residentBytes("VmHWM:") - before;
    std::fprintf(stderr, "prepared %d, grew %zu MB\n", int(ok), growth >> 20);
    std::exit(ok && growth < limit ? 0 : 1);
}

}  // namespace

TEST(TexPrepareFile, AHugeImageCostsOneCopyOfItsMipChain)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer's shadow memory and quarantine swell resident memory";
#endif
    constexpr size_t kSide = 4096;  // a 256 KB file that decodes to 48 MB
    constexpr size_t kChainBytes = kSide * kSide * 3 * 4 / 3;
    constexpr size_t kSlack = size_t(8) << 20;
    const std::string dir = tempDir();
    const std::string path = dir + "/huge.tga";
    ASSERT_TRUE(writeFile(path, bigTgaEncode(int(kSide), int(kSide))));
    EXPECT_EXIT(prepareAndJudgeGrowth(path, kChainBytes + kSlack), testing::ExitedWithCode(0), "");
    unlink(path.c_str());
    rmdir(dir.c_str());
}

namespace {

// Mean absolute difference between two columns (or rows) of an RGB image.
double lineDifference(const TexImage& image, bool columns, int a, int b)
{
    const int n = columns ? image.height : image.width;
    double sum = 0.0;
    for (int i = 0; i < n; ++i) {
        const size_t pa = columns ? size_t(i) * image.width + a : size_t(a) * image.width + i;
        const size_t pb = columns ? size_t(i) * image.width + b : size_t(b) * image.width + i;
        for (int c = 0; c < 3; ++c) {
            sum += std::abs(int(image.pixels[pa * 3 + c]) - int(image.pixels[pb * 3 + c]));
        }
    }
    return sum / (n * 3);
}

}  // namespace

TEST(TheDemosAsset, IsAWarmRedTextureThatTilesWithoutASeam)
{
    TexImage image;
    ASSERT_TRUE(tgaLoadFile(VESSELGL_ASSET, image));
    ASSERT_EQ(image.width, 256);
    ASSERT_EQ(image.height, 256);
    ASSERT_EQ(image.components, 3);
    double red = 0.0, green = 0.0, blue = 0.0;
    for (size_t i = 0; i < image.pixels.size(); i += 3) {
        red += image.pixels[i];
        green += image.pixels[i + 1];
        blue += image.pixels[i + 2];
    }
    EXPECT_GT(red, 2.0 * green);
    EXPECT_GT(red, 2.0 * blue);
    // Across the wrap the picture changes no more than between neighbours inside.
    for (const bool columns : {true, false}) {
        double inside = 0.0;
        for (int k = 1; k < 255; ++k) {
            inside += lineDifference(image, columns, k - 1, k) / 254.0;
        }
        EXPECT_LT(lineDifference(image, columns, 255, 0), 1.5 * inside)
            << (columns ? "left and right edges" : "top and bottom edges");
    }
}
