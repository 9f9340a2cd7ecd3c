// Shaded drawing: the cull sign, rounding of screen positions and colours,
// the clamped light, and the walk in sorted order with later faces on top.
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

TEST(Draw, DrawsCounterClockwiseFacesInDrawOrderWithRoundedCorners)
{
    std::vector<Vertex> vertices = {
        screenVertex(10.5f, 10.5f, 100.0f),   // rounds to (10, 10)
        screenVertex(10.5f, 40.5f, 100.0f),   // (10, 40)
        screenVertex(41.5f, 10.5f, 100.0f),   // (42, 10)
        screenVertex(9.5f, 9.5f, 200.0f),     // (10, 10)
        screenVertex(9.5f, 39.5f, 200.0f),    // (10, 40)
        screenVertex(41.5f, 9.5f, 200.0f),    // (42, 10)
    };
    std::vector<Face> faces = {
        face(3, 4, 5, 1),  // slot 0 draws face 1 (red 100)
        face(0, 1, 2, 0),  // slot 1 draws face 0 (red 200), which ends on top
        face(0, 2, 1, 3),  // slot 2 draws face 3: degenerate, skipped
        face(0, 0, 0, 2),  // slot 3 draws face 2: clockwise, skipped
    };
    std::vector<uint32_t> pixels(kFramePixels, 0u);
    drawMesh(pixels.data(), vertices, faces, 0.0f, 1.0f, 0.0f, corners);
    EXPECT_EQ(pixels[10 * kFrameWidth + 10], 200u << 16);
    EXPECT_EQ(pixels[10 * kFrameWidth + 42], 200u << 16);
    EXPECT_EQ(pixels[10 * kFrameWidth + 43], 0u);
    EXPECT_EQ(pixels[9 * kFrameWidth + 10], 0u);
    EXPECT_EQ(pixels[40 * kFrameWidth + 10], 200u << 16);
    EXPECT_EQ(pixels[41 * kFrameWidth + 10], 0u);

    // Clockwise alone: nothing at all.
    std::vector<Face> backFacing = {face(0, 2, 1, 0)};
    std::vector<uint32_t> blank(kFramePixels, 0u);
    drawMesh(blank.data(), vertices, backFacing, 0.0f, 1.0f, 0.0f, corners);
    for (const uint32_t p : blank) {
        ASSERT_EQ(p, 0u);
    }
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
