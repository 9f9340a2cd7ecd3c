// Shaded drawing of the sorted tube: walks the faces farthest first, drops the
// ones turned away from the viewer, lights each corner against a fixed light in
// object space and hands the triangle to the rasterizer. No depth buffer: a
// later face simply paints over an earlier one.
#pragma once

#include "mesh.h"
#include "raster.h"

#include <cstdint>
#include <vector>

struct ScreenCorner {
    int32_t x, y;
};

// What a vertex contributes to every face it belongs to: its rounded screen
// position and its lit colour, computed once per vertex rather than once per
// corner. Grows to the largest vertex array once and is then reused, so drawing
// a frame allocates nothing.
struct CornerCache {
    std::vector<ScreenCorner> positions;
    std::vector<uint32_t> colours;
    std::vector<int32_t> facing;  // the faces turned to the viewer, in drawing order
};

// Twice the signed screen area of corners 0, 1, 2 (y downwards): positive when
// they run counter-clockwise on the screen, the only faces that are drawn.
// Computed exactly for any 32-bit positions and saturated to the 64-bit range,
// so its sign is always right.
int64_t cullValue(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t x2, int32_t y2);

// Clamped dot product of light and normal: NaN and negatives give 0, over 1 gives 1.
float cornerIntensity(float lightX, float lightY, float lightZ, const Vec3& normal);

// 0x00RRGGBB of a vertex colour scaled by an intensity in 0..1, each channel
// rounded half to even.
uint32_t shadeColour(float red, float green, float blue, float intensity);

// A frame's drawing, set up once and filled in bands of rows: the faces that
// pass the cull and may reach the screen, lit and ordered by row, farthest
// first, with each band's share of them. Bands are bandRows rows high (the
// last may be lower); 0 stands for one band of the whole screen. Grows to the
// largest face array once and is then reused.
struct DrawList {
    int32_t bandRows = 0;
    int32_t count = 0;                        // triangles in use
    std::vector<RowOrderedTriangle> triangles;
    std::vector<uint32_t> bandOrder;          // band b's triangles from b * capacity on
    std::vector<int32_t> bandCount;
};

int32_t drawListBands(const DrawList& list);
RowBand drawListBand(const DrawList& list, int32_t band);

// Culls, lights and orders the faces in drawOrder into list, with corners as
// the caller's scratch; list.bandRows stays as the caller set it.
void buildDrawList(const std::vector<Vertex>& vertices, const std::vector<Face>& faces,
                   float lightX, float lightY, float lightZ, CornerCache& corners,
                   DrawList& list);
// Fills band's triangles over whatever its rows hold.
void drawListFill(uint32_t* pixels, const DrawList& list, int32_t band);

// Draws the faces in drawOrder into pixels (kFramePixels words), with corners
// and list as the caller's scratch.
void drawMesh(uint32_t* pixels, const std::vector<Vertex>& vertices,
              const std::vector<Face>& faces, float lightX, float lightY, float lightZ,
              CornerCache& corners, DrawList& list);
