// Shaded drawing: the cull sign, rounding of colours, the clamped light, and
// faces far off the screen. (The walk in sorted order with later faces on top
// is every pinned run's.)
#include "draw.h"

#include "raster.h"

#include <gtest/gtest.h>

#include <climits>
#include <limits>

namespace {

CornerCache corners;
DrawList drawList;

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

TEST(Draw, IntensityIsClampedNanIsDarkAndChannelsRoundHalfToEven)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const std::pair<Vec3, float> cases[] = {
        {{0.0f, -0.3f, 0.0f}, 0.0f}, {{0.0f, 1.0000001f, 0.0f}, 1.0f},
        {{nan, 0.0f, 0.0f}, 0.0f},   {{0.0f, 0.5f, 0.0f}, 0.5f},
    };
    for (const auto& [normal, expected] : cases) {
        EXPECT_EQ(cornerIntensity(0.0f, 1.0f, 0.0f, normal), expected);
    }
    EXPECT_EQ(shadeColour(255.0f, 0.0f, 254.0f, 0.5f), 0x0080007Fu);
    EXPECT_EQ(shadeColour(255.0f, 255.0f, 255.0f, 1.0f), 0x00FFFFFFu);
    EXPECT_EQ(shadeColour(252.0f, 0.0f, 255.0f, 0.0f), 0u);
    EXPECT_EQ(shadeColour(5.0f, 3.0f, 1.0f, 0.5f), 0x00020200u);  // 2.5, 1.5, 0.5
}

// Corners saturate to the 32-bit range, so face 0 covers y >= x on screen;
// face 1 has a corner that is not a number. Faces 2-4 are edge-on (V = 0):
// lines where y < x, along which the rasterizer would fill a pixel a row.
TEST(Draw, FarOffCornersAreClippedAndEdgeOnFacesCulled)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float at[][2] = {{-3e9f, -3e9f}, {-3e9f, 3e9f}, {3e9f, 3e9f}, {nan, 0},
                           {400, 100},     {500, 200},    {600, 300},   {300, 50},
                           {300, 200},     {300, 120},    {350, 10},    {550, 110}, {450, 60}};
    std::vector<Vertex> vertices;
    for (const auto& [x, y] : at) {
        Vertex v{};
        v.screenX = x, v.screenY = y, v.red = 255.0f;
        v.normal = Vec3{0.0f, 1.0f, 0.0f};
        vertices.push_back(v);
    }
    std::vector<Face> faces(5, Face{});
    for (int32_t k = 0; k < 5; ++k) {
        faces[k].i0 = k < 2 ? 3 * k : 3 * k - 2, faces[k].i1 = faces[k].i0 + 1;
        faces[k].i2 = faces[k].i0 + 2, faces[k].drawOrder = k;
    }
    faces[1].i1 = 1, faces[1].i2 = 2;
    std::vector<uint32_t> pixels(kFramePixels, 0u);
    drawMesh(pixels.data(), vertices, faces, 0.0f, 1.0f, 0.0f, corners, drawList);
    for (int32_t i = 0; i < kFramePixels; ++i) {
        const int32_t x = i % kFrameWidth, y = i / kFrameWidth;
        ASSERT_EQ(pixels[i], y >= x ? 255u << 16 : 0u) << x << "," << y;
    }
}

} // namespace
