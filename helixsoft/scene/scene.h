// The software demo's frame: the state its main routine owns and the single
// frame pipeline that both the program and the capture tool run. Pixels are
// 0x00RRGGBB, row 0 at the top, pixel (x, y) at y * 640 + x. The stages keep no
// pointer into this state between calls and allocate nothing per frame.
#pragma once

#include "draw.h"
#include "matrix.h"
#include "mesh.h"
#include "raster.h"
#include "sort.h"
#include "vec3.h"

#include <cstdint>
#include <vector>

struct SceneState {
    std::vector<uint32_t> pixels;  // kFramePixels words: hand pixels.data() to the display
    Matrix4 frameMatrix;           // T(0, 0, 60) * Rz(spinAngle) * Rx(90) of the current frame
    Matrix4 stepMatrix;            // one elementary transform at a time
    std::vector<Vertex> vertices;  // 0 to 1024 after start-up
    std::vector<Face> faces;       // 0 to 2112 after start-up
    int32_t spinAngle;             // degrees, 0 to 359
    int32_t frameCounter;          // frames begun; the first frame drawn is 1
    float twist;                   // radians between neighbouring rings, this frame
    float wavePhase;               // the tube's ripple phase, 0 at start-up
    Vec3 light;                    // unit vector along (1, 15, 3)
    DepthSortBuffer sortScratch;   // the sort's working arrays, reused every frame
    CornerCache corners;           // drawing's per-vertex positions and colours, reused
    DrawList drawList;             // the frame's triangles as set up for the rasterizer
};

// How start-up picks its random values.
//  - drawRandom = true (the program): the caller has already seeded std::rand()
//    (srand of the clock in seconds, one value discarded); start-up then draws
//    one value per face for buildFaces, in build order, and then one more for
//    the start spin: floor(rand() / 32768 * 360). startSpin is ignored.
//  - drawRandom = false (the capture tool, and any caller that wants repeatable
//    frames): no random number is drawn at all; spinAngle = startSpin (taken
//    modulo 360 into 0..359) and every face's randomBit is 0, which no stage reads.
struct SceneStart {
    bool drawRandom;
    int32_t startSpin;
};

// Start-up after the window is open: creates every array zero-filled, builds the
// tube (initTube, buildFaces), sets the start spin and normalises the light.
// frameCounter and wavePhase start at 0. Calling it again restarts the scene.
void sceneStartup(SceneState& scene, const SceneStart& start);

// One pass of the frame loop up to and including drawing: clear, compose the
// frame matrix, advance spin, counter and twist, rebuild the tube, project,
// sort and draw into scene.pixels. Presenting the pixels and polling the keys
// are the caller's. Needs sceneStartup first.
void sceneRenderFrame(SceneState& scene);

// The same pass in two halves, for a caller that overlaps them (pipeline.h):
// the next frame's geometry (spin, counter, twist, tube, projection, sort,
// light) set up into list, which reads nothing of scene's afterwards; and
// one band of a list's rows cleared and filled.
void sceneSetUpFrame(SceneState& scene, DrawList& list);
void sceneFillBand(uint32_t* pixels, const DrawList& list, int32_t band);

// The values that say which frame the scene is at; the mesh arrays follow them.
struct SceneClock {
    Matrix4 frameMatrix;
    int32_t spinAngle;
    int32_t frameCounter;
    float twist;
    float wavePhase;
};

SceneClock sceneClock(const SceneState& scene);
void sceneSetClock(SceneState& scene, const SceneClock& clock);

// Into `to`, all that sceneSetUpFrame reads of `from`: the mesh arrays, the
// light and the clock. Pixels and scratch arrays are not copied.
void sceneCopyGeometry(SceneState& to, const SceneState& from);
