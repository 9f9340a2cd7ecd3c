// Start-up order and the per-frame steps of the GL demo, shared by every
// program that shows it, so that a captured frame N is the program's frame N.
#include "glframe.h"

#include "glscene.h"

namespace {

constexpr float kTubeRadius = 3.5f;
constexpr int kTubeRings = 42;
constexpr int kTubeSegments = 32;

void rebuildTube(GlDemo& demo, float twist, float time)
{
    buildTube(demo.mesh, kTubeRadius, float(kTubeRings), float(kTubeSegments), twist, time);
}

}  // namespace

GlDemoStart glDemoStart(GlDemo& demo, const char* texturePath)
{
    demo = GlDemo{};
    if (!setupGL()) {
        return GlDemoStart::noProgram;
    }
    rebuildTube(demo, 0.0f, 0.0f);
    buildTriangles(demo.mesh, kTubeRings, kTubeSegments);
    if (!setupTexture(texturePath)) {
        return GlDemoStart::noTexture;
    }
    setupMaterialAndLight();
    return GlDemoStart::started;
}

void glDemoFrame(GlDemo& demo)
{
    frameClockAdvance(demo.clock);
    rebuildTube(demo, demo.clock.twist, demo.clock.frameTime);
    drawTube(demo.mesh, demo.clock.spinAngle);
}

void glDemoStop()
{
    closeGL();
}
