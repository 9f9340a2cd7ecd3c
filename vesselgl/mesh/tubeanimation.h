// The GL demo's tube as its frames show it: the tube's size, the build at
// start-up and the rebuild for each frame of the clock. Nothing here calls
// OpenGL, so every platform's build can be checked to make the same mesh.
#pragma once

#include "frameclock.h"
#include "tube.h"

// The tube's size: its radius and its counts of rings and of segments around.
inline constexpr float kGlTubeRadius = 3.5f;
inline constexpr int kGlTubeRings = 42;
inline constexpr int kGlTubeSegments = 32;

struct TubeAnimation {
    TubeMesh mesh;
    FrameClock clock;
};

// The first build (twist 0, time 0) and the triangle list, on a fresh clock.
void tubeAnimationStart(TubeAnimation& tube);

// One frame: the clock moves on and the tube is rebuilt for it.
void tubeAnimationFrame(TubeAnimation& tube);
