// Shaded drawing. Screen positions and colour channels are rounded half to
// even; the light is evaluated at the corners only and the rasterizer blends
// between them.
#include "draw.h"

#include "raster.h"
#include "rounding.h"

#include <algorithm>
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

// Room for every face in every band; keeps what the arrays already hold.
void reserveDrawList(DrawList& list, size_t faceCount)
{
    const auto bands = static_cast<size_t>(drawListBands(list));
    if (list.triangles.size() < faceCount) {
        list.triangles.resize(faceCount);
    }
    list.bandOrder.resize(list.triangles.size() * bands);
    list.bandCount.resize(bands);
}

// Each band lists, in drawing order, the triangles that have a row in it.
void sortIntoBands(DrawList& list, size_t capacity)
{
    const int32_t bands = drawListBands(list);
    const int32_t rows = list.bandRows <= 0 ? kFrameHeight : list.bandRows;
    std::fill(list.bandCount.begin(), list.bandCount.end(), 0);
    // Every triangle listed has a row on the screen (triangleReachesScreen).
    for (int32_t i = 0; i < list.count; ++i) {
        const RowOrderedTriangle& t = list.triangles[i];
        const int32_t first = std::max(t.top.y, 0) / rows;
        const int32_t last = std::min(t.bottom.y, kFrameHeight - 1) / rows;
        for (int32_t band = first; band <= last && band < bands; ++band) {
            list.bandOrder[band * capacity + list.bandCount[band]++] = static_cast<uint32_t>(i);
        }
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

int32_t drawListBands(const DrawList& list)
{
    if (list.bandRows <= 0) {
        return 1;
    }
    return (kFrameHeight + list.bandRows - 1) / list.bandRows;
}

RowBand drawListBand(const DrawList& list, int32_t band)
{
    assert(band >= 0 && band < drawListBands(list));
    if (list.bandRows <= 0) {
        return kAllRows;
    }
    const int32_t first = band * list.bandRows;
    return RowBand{first, std::min(first + list.bandRows, kFrameHeight) - 1};
}

namespace {

// The faces in drawOrder that are turned to the viewer, into corners.facing;
// returns their count. Half the faces go either way in depth order, at
// random: the count, not a branch, decides whether one stays.
int32_t facingFaces(const std::vector<Face>& faces, [[maybe_unused]] size_t vertexCount,
                    CornerCache& corners)
{
    if (corners.facing.size() < faces.size()) {
        corners.facing.resize(faces.size());
    }
    const ScreenCorner* positions = corners.positions.data();
    int32_t* facing = corners.facing.data();
    int32_t count = 0;
    for (const Face& slot : faces) {
        assert(slot.drawOrder >= 0 && static_cast<size_t>(slot.drawOrder) < faces.size());
        const Face& face = faces[slot.drawOrder];
        assert(static_cast<size_t>(face.i0) < vertexCount &&
               static_cast<size_t>(face.i1) < vertexCount &&
               static_cast<size_t>(face.i2) < vertexCount);
        const ScreenCorner c0 = positions[face.i0];
        const ScreenCorner c1 = positions[face.i1];
        const ScreenCorner c2 = positions[face.i2];
        facing[count] = slot.drawOrder;
        // Zero is turned away too: edge-on or degenerate.
        count += cullValueOf(c0.x, c0.y, c1.x, c1.y, c2.x, c2.y) > 0 ? 1 : 0;
    }
    return count;
}

} // namespace

void buildDrawList(const std::vector<Vertex>& vertices, const std::vector<Face>& faces,
                   float lightX, float lightY, float lightZ, CornerCache& corners,
                   DrawList& list)
{
    fillCornerCache(corners, vertices, lightX, lightY, lightZ);
    reserveDrawList(list, faces.size());
    const int32_t facing = facingFaces(faces, vertices.size(), corners);
    const ScreenCorner* positions = corners.positions.data();
    const uint32_t* colours = corners.colours.data();
    RowOrderedTriangle* triangles = list.triangles.data();
    int32_t count = 0;
    for (int32_t i = 0; i < facing; ++i) {
        const Face& face = faces[corners.facing[i]];
        const ScreenCorner c0 = positions[face.i0];
        const ScreenCorner c1 = positions[face.i1];
        const ScreenCorner c2 = positions[face.i2];
        // Stored either way, kept by the count: count <= i, so the store fits.
        triangles[count] = orderTriangle(c0.x, c0.y, c1.x, c1.y, c2.x, c2.y, colours[face.i0],
                                         colours[face.i1], colours[face.i2]);
        count += triangleReachesScreen(triangles[count]) ? 1 : 0;
    }
    list.count = count;
    sortIntoBands(list, list.triangles.size());
}

void drawListFill(uint32_t* pixels, const DrawList& list, int32_t band)
{
    const size_t start = static_cast<size_t>(band) * list.triangles.size();
    fillOrderedTriangles(pixels, list.triangles.data(), list.bandOrder.data() + start,
                         list.bandCount[band], drawListBand(list, band));
}

void drawMesh(uint32_t* pixels, const std::vector<Vertex>& vertices,
              const std::vector<Face>& faces, float lightX, float lightY, float lightZ,
              CornerCache& corners, DrawList& list)
{
    buildDrawList(vertices, faces, lightX, lightY, lightZ, corners, list);
    for (int32_t band = 0; band < drawListBands(list); ++band) {
        drawListFill(pixels, list, band);
    }
}
