// vesselgl: a textured, lit tube spinning full screen until Escape. Start-up,
// frame loop and shutdown run once; every exit has status 0.
#include "glwindow.h"
#include "frameclock.h"
#include "gltexture.h"
#include "glscene.h"
#include "tube.h"

#include <GL/gl.h>

#include <cstdio>

namespace {

constexpr float kTubeRadius = 3.5f;
constexpr int kTubeRings = 42;
constexpr int kTubeSegments = 32;
constexpr const char* kTextureFile = "artery.tga";

// The mesh and the texture live for the whole run.
struct DemoState {
    TubeMesh mesh;
    FrameClock clock;
    GLuint tubeTexture = 0;
};

DemoState demo;

void rebuildTube(float twist, float time)
{
    buildTube(demo.mesh, kTubeRadius, float(kTubeRings), float(kTubeSegments), twist, time);
}

}  // namespace

int main()
{
    GLFWwindow* window = openDisplay();
    setupGL();
    rebuildTube(0.0f, 0.0f);
    buildTriangles(demo.mesh, kTubeRings, kTubeSegments);

    glEnable(GL_TEXTURE_2D);
    glGenTextures(1, &demo.tubeTexture);
    glBindTexture(GL_TEXTURE_2D, demo.tubeTexture);
    if (!loadTexture(kTextureFile)) {
        closeDisplay(window);
        std::fputs("Failed to load image!!!\n", stdout);
        return 0;
    }
    setupMaterialAndLight();

    // One whole frame is drawn and shown before the first look at the keys.
    do {
        frameClockAdvance(demo.clock);
        rebuildTube(demo.clock.twist, demo.clock.frameTime);
        drawTube(demo.mesh, demo.clock.spinAngle);
        displaySwap(window);
    } while (!displayWantsQuit(window));

    glDeleteTextures(1, &demo.tubeTexture);
    closeDisplay(window);
    return 0;
}
