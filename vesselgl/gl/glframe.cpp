// Start-up order and the per-frame steps of the GL demo, shared by every
// program that shows it, so that a captured frame N is the program's frame N.
#include "glframe.h"

#include "glscene.h"

GlDemoStart glDemoStart(GlDemo& demo, const char* texturePath)
{
    demo = GlDemo{};
    if (!setupGL()) {
        return GlDemoStart::noProgram;
    }
    tubeAnimationStart(demo.tube);
    if (!setupTexture(texturePath)) {
        return GlDemoStart::noTexture;
    }
    setupMaterialAndLight();
    return GlDemoStart::started;
}

void glDemoFrame(GlDemo& demo)
{
    tubeAnimationFrame(demo.tube);
    drawTube(demo.tube.mesh, demo.tube.clock.spinAngle);
}

void glDemoStop()
{
    closeGL();
}
