// Start-up order and the per-frame steps of the GL demo, shared by every
// program that shows it, so that a captured frame N is the program's frame N.
#include "glframe.h"

#include "conventions.h"
#include "glscene.h"
#include "presentarea.h"

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

void glDemoFit(GlDemo& demo, int32_t width, int32_t height)
{
    if (width == demo.fittedWidth && height == demo.fittedHeight) {
        return;
    }
    const PresentArea area = presentAreaFit(width, height, kScreenWidth, kScreenHeight, false);
    // GL counts rows from the bottom.
    setViewportArea(area.x, height - area.y - area.height, area.width, area.height);
    demo.fittedWidth = width;
    demo.fittedHeight = height;
}
