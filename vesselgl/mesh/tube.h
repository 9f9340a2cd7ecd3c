// The tube of the GL demo: rings of points stacked along z, rebuilt every frame,
// and the triangle list that connects them, built once. Geometry is stored in
// 32-bit floats; every formula is evaluated in double, on every platform, and
// rounded to float where a value is kept. Nothing here calls OpenGL.
#pragma once

#include "trig.h"
#include "vec3.h"

#include <cstdint>
#include <vector>

struct TexCoord {
    float s;
    float t;
};

// Drawing reads only a, b and c; the texture pairs and the random number are
// part of the record but read by nothing.
struct Triangle {
    int32_t a;
    int32_t b;
    int32_t c;
    float sA, tA;
    float sB, tB;
    float sC, tC;
    float random;
};

// vertices, normals and texCoords are parallel: vertex n is point k of ring i
// with n = i * (segments + 1) + k; point `segments` is a seam point lying on
// point 0 with its own texture coordinate. phase advances by 0.1 per build.
// The builder keeps the angles around a ring with their sines and cosines
// (only the segment count changes them) and room for one ring's results.
struct TubeMesh {
    std::vector<Vec3> vertices;
    std::vector<Vec3> normals;
    std::vector<TexCoord> texCoords;
    std::vector<Triangle> triangles;
    float phase = 0.0f;
    std::vector<TrigAngle> around;
    double aroundStep = 0.0;  // 6.283186 / segments, for which around was made
    std::vector<TrigPair> ringTrig;
};

// Rewrites every entry of vertices, normals and texCoords (sized to the counts,
// keeping their storage) and advances phase. rings and segments are whole numbers in floats;
// counts below 1, non-finite values or more than kTubeMaxVertices vertices
// leave the three arrays empty (phase still advances).
void buildTube(TubeMesh& mesh, float radius, float rings, float segments, float twist,
               float time);

// Refills triangles with 2N + 1 records, N = rings * (segments + 1); pairs are
// written for the first rings - 3 strips and the rest stay all zero (corners on
// vertex 0). Invalid counts, as for buildTube, leave the list empty.
void buildTriangles(TubeMesh& mesh, int rings, int segments);

inline constexpr long kTubeMaxVertices = 1L << 22;
