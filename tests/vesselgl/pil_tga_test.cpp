// The texture decoder against a TGA codec that is not ours: PIL writes a file
// of every mode, origin and packing it writes and reads it back, and reads the
// kinds that only the tests' writer makes (16-bit pixels and palettes, files
// stored right to left); each must decode here to the pixels PIL reads.
#include "process.h"
#include "tga.h"
#include "tga_writer.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr int kScriptTimeoutMs = 60000;
constexpr int kScriptNoPil = 3;

// PIL refuses 15-bit pixels and palettes and 16-bit indices; it reads 16-bit
// pixels and palette entries with the attribute bit ignored. Top-first
// run-length files are left out: PIL 9.4 stops at a packet that crosses a row
// end in them ("buffer overrun"), though the format allows it.
const TgaKind kOwnKinds[] = {
    {"own_true16", 2, 16, 0, 0, false, false},
    {"own_true16_rle_rtl", 2, 16, 0, 0, true, false, true},
    {"own_pal16_rle", 1, 8, 16, 0, true, false},
    {"own_pal16_first3_rtl_top", 1, 8, 16, 3, false, true, true},
    {"own_true24_rtl_top", 2, 24, 0, 0, false, true, true},
    {"own_true32_rle_rtl", 2, 32, 0, 0, true, false, true},
    {"own_grey8_rtl_top", 3, 8, 0, 0, false, true, true},
    {"own_grey16_rle_rtl", 3, 16, 0, 0, true, false, true},
    {"own_pal24_rle_rtl", 1, 8, 24, 0, true, false, true},
};

// No row reads the same both ways; runs cross the row end.
const TgaPicture kPicture{7, 2, {0, 0, 1, 2, 2, 2, 3,
                                 3, 4, 5, 5, 5, 0, 1}};

// The decoded image as PIL hands pixels over: RGBA, top row first.
std::vector<uint8_t> topFirstRgba(const TexImage& image)
{
    const int c = image.components;
    std::vector<uint8_t> out;
    if (image.pixels.size() != size_t(image.width) * image.height * c || c == 2 || c > 4) {
        return out;
    }
    for (int y = image.height - 1; y >= 0; --y) {
        for (int x = 0; x < image.width; ++x) {
            const uint8_t* p = image.pixels.data() + (size_t(y) * image.width + x) * c;
            out.insert(out.end(), {p[0], p[c == 1 ? 0 : 1], p[c == 1 ? 0 : 2],
                                   c == 4 ? p[3] : uint8_t(255)});
        }
    }
    return out;
}

// PIL widens a 5-bit channel v to v * 255 / 31, this decoder repeats its top
// bits: the two must agree on v.
std::vector<uint8_t> fiveBitValues(std::vector<uint8_t> rgba, bool widenedByPil)
{
    for (uint8_t& c : rgba) {
        c = widenedByPil ? uint8_t((c * 31 + 127) / 255) : uint8_t(c >> 3);
    }
    return rgba;
}

bool hasFiveBitChannels(const TgaKind& kind)
{
    const int bits = kind.paletteBits != 0 ? kind.paletteBits : kind.pixelBits;
    return kind.imageType != 3 && bits == 16;
}

struct ScratchDir {
    std::string path;
    ~ScratchDir() { std::filesystem::remove_all(path); }
};

// Decodes dir/name.tga here and compares it with dir/name.rgba, PIL's reading.
void expectSameAsPil(const std::string& dir, const std::string& name, bool fiveBits)
{
    TexImage image;
    EXPECT_TRUE(tgaLoadFile((dir + "/" + name + ".tga").c_str(), image)) << name;
    const std::string pil = readFile(dir + "/" + name + ".rgba");
    const std::vector<uint8_t> theirs(pil.begin(), pil.end());
    ASSERT_FALSE(theirs.empty()) << name;
    if (fiveBits) {
        EXPECT_EQ(fiveBitValues(topFirstRgba(image), false), fiveBitValues(theirs, true)) << name;
    } else {
        EXPECT_EQ(topFirstRgba(image), theirs) << name;
    }
}

}  // namespace

TEST(TgaDecode, GivesThePixelsPilReadsInEveryKindItWritesOrReads)
{
    const std::string python = VESSELGL_PIL_PYTHON;
    if (access(python.c_str(), X_OK) != 0) {
        GTEST_SKIP() << "no python3 to run PIL with (looked for " << python << ")";
    }
    char pattern[] = "/tmp/vesselgl_pil_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const ScratchDir scratch{pattern};
    const std::string& dir = scratch.path;
    for (const TgaKind& kind : kOwnKinds) {
        ASSERT_TRUE(writeFile(dir + "/" + kind.name + ".tga", tgaWrite(kind, kPicture)));
    }
    ChildProcess child;
    int status = -1;
    ASSERT_TRUE(childStart(child, {python, VESSELGL_PIL_SCRIPT, dir}, ChildOptions{}));
    const bool ended = childWait(child, kScriptTimeoutMs, status);
    childKill(child);
    ASSERT_TRUE(ended) << "PIL did not finish";
    if (status == kScriptNoPil) {
        GTEST_SKIP() << child.out;
    }
    ASSERT_EQ(status, 0) << child.out << child.err;

    int pilFiles = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        const std::string name = entry.path().stem().string();
        if (name.rfind("pil_", 0) == 0 && entry.path().extension() == ".tga") {
            expectSameAsPil(dir, name, false);
            ++pilFiles;
        }
    }
    EXPECT_EQ(pilFiles, 20) << "L, LA, P, RGB and RGBA; both origins; raw and run-length";
    for (const TgaKind& kind : kOwnKinds) {
        expectSameAsPil(dir, kind.name, hasFiveBitChannels(kind));
    }
}
