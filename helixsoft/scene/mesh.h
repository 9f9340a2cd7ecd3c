// The tube's mesh records and the three builders that size, connect and reshape
// them. Arrays belong to the caller and have inclusive bounds: an array "0 to N"
// holds N + 1 records, all zero when (re-)created. Geometry is float; every
// formula is evaluated in double and rounded to float where it is stored.
#pragma once

#include "vec3.h"

#include <cstdint>
#include <vector>

struct Vertex {
    Vec3 pos;       // object space, rebuilt every frame
    Vec3 view;      // pos through the frame matrix
    float screenX;  // pixels, growing to the right; kept while the vertex is behind the eye
    float screenY;  // pixels, growing downwards
    Vec3 normal;    // unit, object space
    float red;      // colour channels, 0 to 255
    float green;
    float blue;
};

struct Face {
    int32_t i0, i1, i2;                               // corner vertex indices, in drawing order
    int32_t texU0, texV0, texU1, texV1, texU2, texV2;  // 0 or 1; read by no stage
    int32_t depthKey;                                 // sort key, written by the sort
    int32_t drawOrder;                                // face index travelling with depthKey
    int32_t randomBit;                                // 0 or 1; read by no stage
};

// The demo's fixed tube: radius 100, 32 rings of 32 points.
constexpr int32_t kTubeRadius = 100;
constexpr int32_t kTubeRings = 32;
constexpr int32_t kTubePointsPerRing = 32;

// Re-creates vertices with indices 0 to rings * pointsPerRing, zero-filled.
void initTube(std::vector<Vertex>& vertices, int32_t rings, int32_t pointsPerRing);

// Re-creates faces with indices 0 to 2 * (pointsPerRing + 1) * rings, fills the
// first 2 * (pointsPerRing + 1) * (rings - 2) of them and colours one vertex per
// quad. With drawRandom each face's randomBit comes from std::rand() in build
// order (as the program's start-up does); without it no random number is drawn
// and every randomBit is 0, since no stage reads them. Needs rings >= 2 and
// initTube first.
void buildFaces(std::vector<Vertex>& vertices, std::vector<Face>& faces, int32_t rings,
                int32_t pointsPerRing, bool drawRandom);

// Rewrites pos and normal of vertices 0 to rings * pointsPerRing - 1. wavePhase
// is the tube's persistent ripple phase: it starts at 0 with the program, is
// advanced by 0.1 (rounded to float) on every call and is never reset.
void twistTube(std::vector<Vertex>& vertices, int32_t radius, int32_t rings,
               int32_t pointsPerRing, float twistStep, int32_t frameCounter, float& wavePhase);
