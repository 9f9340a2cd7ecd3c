// The GL demo as the program, the capture tool and the web page all run it:
// start-up, one frame, shutdown, over whichever GL path is linked (glscene.h).
// The caller owns the context and presents each frame.
#pragma once

#include "tubeanimation.h"

struct GlDemo {
    TubeAnimation tube;
    int32_t fittedWidth = 0;  // the drawable the viewport was last fitted to
    int32_t fittedHeight = 0;
};

enum class GlDemoStart {
    started,
    noProgram,  // the GL cannot build the shader path's program
    noTexture,  // the texture file is missing or unusable
};

// setupGL, the first mesh build (twist 0, time 0), the triangle list, the
// texture from texturePath, then material and light. On noTexture the mesh is
// built and the GL path must still be closed with glDemoStop.
GlDemoStart glDemoStart(GlDemo& demo, const char* texturePath);

// One frame: the clock moves on, the tube is rebuilt for it and drawn.
void glDemoFrame(GlDemo& demo);

void glDemoStop();

// Sets the viewport to the 4:3 area centred in a drawable of width x height,
// when it differs from the last; the frame's clear leaves black bars around it.
void glDemoFit(GlDemo& demo, int32_t width, int32_t height);
