// The GL demo's fixed-function OpenGL 1.1 state and its drawing. Every call
// here needs the window's context current; nothing queries GL errors.
#pragma once

#include "tube.h"

#include <cstdint>

// Viewport, projection and fixed state, in the order the picture relies on.
void setupGL();
// The front material and the one positional light, fixed in eye coordinates
// because the model-view matrix is still the identity when it is placed.
void setupMaterialAndLight();
// Clears and draws every triangle record, the trailing all-zero ones included.
void drawTube(const TubeMesh& mesh, int32_t spinAngle);
