// Shaded drawing: the cull sign, rounding of colours, the clamped light, and
// faces far off the screen. (The walk in sorted order with later faces on top
// is every golden frame's.)
#include "draw.h"

#include "raster.h"

#include <gtest/gtest.h>

#include <climits>
#include <limits>

namespace {

CornerCache corners;

struct CullCase {
    int32_t x0, y0, x1, y1, x2, y2;
    int64_t expected;
};

TEST(Draw, CullValueIsExactAndSignedLikeTheScreen)
{
    const CullCase cases[] = {
        {0, 0, 10, 0, 0, 10, -100},
        {0, 0, 0, 10, 10, 0, 100},
        {0, 0, 5, 5, 10, 10, 0},
        {INT_MIN, INT_MIN, INT_MAX, INT_MIN, INT_MIN, INT_MAX, INT64_MIN},
        {INT_MIN, INT_MIN, INT_MIN, INT_MAX, INT_MAX, INT_MIN, INT64_MAX},
        {0, 0, 65536, 0, 0, -65536, int64_t{1} << 32},
        {INT_MIN, 0, INT_MAX, 0, INT_MIN, 1, 1 - (int64_t{1} << 32)},  // wide, not saturated
    };
    for (const CullCase& c : cases) {
        EXPECT_EQ(cullValue(c.x0, c.y0, c.x1, c.y1, c.x2, c.y2), c.expected)
            << c.x0 << "," << c.y0 << " " << c.x1 << "," << c.y1 << " " << c.x2 << "," << c.y2;
    }
}

TEST(Draw, IntensityIsClampedAndNanIsDark)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct IntensityCase {
        Vec3 normal;
        float expected;
    };
    const IntensityCase cases[] = {
        {{0.0f, -0.3f, 0.0f}, 0.0f},
        {{0.0f, 1.0000001f, 0.0f}, 1.0f},
        {{nan, 0.0f, 0.0f}, 0.0f},
        {{0.0f, 0.5f, 0.0f}, 0.5f},
        {{0.0f, 0.0f, 0.0f}, 0.0f},
    };
    for (const IntensityCase& c : cases) {
        EXPECT_EQ(cornerIntensity(0.0f, 1.0f, 0.0f, c.normal), c.expected);
    }
}

TEST(Draw, ColourChannelsRoundHalfToEven)
{
    EXPECT_EQ(shadeColour(255.0f, 0.0f, 254.0f, 0.5f), 0x0080007Fu);
    EXPECT_EQ(shadeColour(255.0f, 255.0f, 255.0f, 1.0f), 0x00FFFFFFu);
    EXPECT_EQ(shadeColour(252.0f, 0.0f, 255.0f, 0.0f), 0u);
    EXPECT_EQ(shadeColour(5.0f, 3.0f, 1.0f, 0.5f), 0x00020200u);  // 2.5, 1.5, 0.5
}

Vertex screenVertex(float x, float y, float red)
{
    Vertex v{};
    v.screenX = x;
    v.screenY = y;
    v.normal = Vec3{0.0f, 1.0f, 0.0f};
    v.red = red;
    return v;
}

Face face(int32_t i0, int32_t i1, int32_t i2, int32_t drawOrder)
{
    Face f{};
    f.i0 = i0, f.i1 = i1, f.i2 = i2, f.drawOrder = drawOrder;
    return f;
}

TEST(Draw, FarOffCornersAreCulledAndClippedWithoutOverflow)
{
    // Corners saturate to the 32-bit range; the face covers y >= x on screen.
    std::vector<Vertex> vertices = {
        screenVertex(-3e9f, -3e9f, 255.0f),
        screenVertex(-3e9f, 3e9f, 255.0f),
        screenVertex(3e9f, 3e9f, 255.0f),
        screenVertex(std::numeric_limits<float>::quiet_NaN(), 0.0f, 255.0f),
    };
    std::vector<Face> faces = {face(0, 1, 2, 0), face(3, 1, 2, 1)};
    std::vector<uint32_t> pixels(kFramePixels, 0u);
    drawMesh(pixels.data(), vertices, faces, 0.0f, 1.0f, 0.0f, corners);
    EXPECT_EQ(pixels[0], 255u << 16);
    EXPECT_EQ(pixels[1], 0u);
    EXPECT_EQ(pixels[479 * kFrameWidth + 479], 255u << 16);
    EXPECT_EQ(pixels[479 * kFrameWidth + 480], 0u);
}

} // namespace
