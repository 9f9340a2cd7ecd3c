// Shaded drawing. Screen positions and colour channels are rounded half to
// even; the light is evaluated at the corners only and the rasterizer blends
// between them.
#include "draw.h"

#include "raster.h"
#include "rounding.h"

#include <cassert>

namespace {

constexpr int kChannelShiftRed = 16;
constexpr int kChannelShiftGreen = 8;

void fillCornerCache(CornerCache& corners, const std::vector<Vertex>& vertices, float lightX,
                     float lightY, float lightZ)
{
    if (corners.positions.size() < vertices.size()) {
        corners.positions.resize(vertices.size());
        corners.colours.resize(vertices.size());
    }
    for (size_t i = 0; i < vertices.size(); ++i) {
        const Vertex& v = vertices[i];
        corners.positions[i] = ScreenCorner{roundToInt32(v.screenX), roundToInt32(v.screenY)};
        corners.colours[i] =
            shadeColour(v.red, v.green, v.blue, cornerIntensity(lightX, lightY, lightZ, v.normal));
    }
}

constexpr int64_t kNarrowLimit = int64_t{1} << 31;

// A value of up to 65 bits and a sign: a product of two differences of 32-bit
// positions, or the difference of two such products.
struct WideValue {
    bool negative;
    uint64_t magnitude;
};

uint64_t magnitudeOf(int64_t v)
{
    return v < 0 ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
}

// Each difference is below 2^32 in size, so the product's magnitude fits 64 bits.
WideValue wideProduct(int64_t a, int64_t b)
{
    return WideValue{(a < 0) != (b < 0), magnitudeOf(a) * magnitudeOf(b)};
}

// a - b; a magnitude that carries past 64 bits is held at the top, which
// saturates below anyway.
WideValue wideDifference(WideValue a, WideValue b)
{
    b.negative = !b.negative;
    if (a.negative == b.negative) {
        const uint64_t sum = a.magnitude + b.magnitude;
        return WideValue{a.negative, sum < a.magnitude ? UINT64_MAX : sum};
    }
    if (a.magnitude >= b.magnitude) {
        return WideValue{a.negative, a.magnitude - b.magnitude};
    }
    return WideValue{b.negative, b.magnitude - a.magnitude};
}

int64_t saturateToInt64(WideValue v)
{
    constexpr uint64_t kLargest = static_cast<uint64_t>(INT64_MAX);
    if (v.magnitude > kLargest) {
        return v.negative ? INT64_MIN : INT64_MAX;
    }
    const auto value = static_cast<int64_t>(v.magnitude);
    return v.negative ? -value : value;
}

// Inlined into the face loop: the wide form is the rare case.
[[gnu::always_inline]] inline int64_t cullValueOf(int32_t x0, int32_t y0, int32_t x1, int32_t y1,
                                                  int32_t x2, int32_t y2)
{
    const int64_t dx1 = int64_t{x1} - x0;
    const int64_t dy2 = int64_t{y0} - y2;
    const int64_t dy1 = int64_t{y1} - y0;
    const int64_t dx2 = int64_t{x0} - x2;
    // Differences below 2^31 in size, as every face near the screen has, keep
    // each product below 2^62 and their difference exact in 64 bits.
    const auto narrow = [](int64_t d) { return d > -kNarrowLimit && d < kNarrowLimit; };
    if (narrow(dx1) && narrow(dy2) && narrow(dy1) && narrow(dx2)) {
        return dx1 * dy2 - dy1 * dx2;
    }
    // Differences of 32-bit positions need 33 bits and their products 66, so
    // the exact value is formed as a sign and a 64-bit magnitude.
    return saturateToInt64(wideDifference(wideProduct(dx1, dy2), wideProduct(dy1, dx2)));
}

} // namespace

int64_t cullValue(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    return cullValueOf(x0, y0, x1, y1, x2, y2);
}

float cornerIntensity(float lightX, float lightY, float lightZ, const Vec3& normal)
{
    const float intensity = static_cast<float>(static_cast<double>(lightX) * normal.x +
                                               static_cast<double>(lightY) * normal.y +
                                               static_cast<double>(lightZ) * normal.z);
    if (!(intensity >= 0.0f)) {
        return 0.0f;  // negative or NaN
    }
    return intensity > 1.0f ? 1.0f : intensity;
}

uint32_t shadeColour(float red, float green, float blue, float intensity)
{
    const int32_t r = roundToInt32(static_cast<double>(red) * intensity);
    const int32_t g = roundToInt32(static_cast<double>(green) * intensity);
    const int32_t b = roundToInt32(static_cast<double>(blue) * intensity);
    // No masking: channels in 0..255 never overlap.
    return (static_cast<uint32_t>(r) << kChannelShiftRed) |
           (static_cast<uint32_t>(g) << kChannelShiftGreen) | static_cast<uint32_t>(b);
}

void drawMesh(uint32_t* pixels, const std::vector<Vertex>& vertices,
              const std::vector<Face>& faces, float lightX, float lightY, float lightZ,
              CornerCache& corners)
{
    fillCornerCache(corners, vertices, lightX, lightY, lightZ);
    const ScreenCorner* positions = corners.positions.data();
    const uint32_t* colours = corners.colours.data();
    for (const Face& slot : faces) {
        assert(slot.drawOrder >= 0 && static_cast<size_t>(slot.drawOrder) < faces.size());
        const Face& face = faces[slot.drawOrder];
        assert(static_cast<size_t>(face.i0) < vertices.size() &&
               static_cast<size_t>(face.i1) < vertices.size() &&
               static_cast<size_t>(face.i2) < vertices.size());
        const ScreenCorner c0 = positions[face.i0];
        const ScreenCorner c1 = positions[face.i1];
        const ScreenCorner c2 = positions[face.i2];
        if (cullValueOf(c0.x, c0.y, c1.x, c1.y, c2.x, c2.y) <= 0) {
            continue;  // turned away, edge-on or degenerate
        }
        fillTriangleShaded(pixels, c0.x, c0.y, c1.x, c1.y, c2.x, c2.y, colours[face.i0],
                           colours[face.i1], colours[face.i2]);
    }
}
