// vesselgl: a textured, lit tube spinning full screen until Escape. Start-up,
// frame loop and shutdown run once; every exit has status 0.
#include "glframe.h"
#include "glwindow.h"
#include "texturefind.h"

#include <cstdio>

namespace {

// The mesh and the clock live for the whole run.
GlDemo demo;

}  // namespace

int main()
{
    GLFWwindow* window = openDisplay();
    const GlDemoStart start = glDemoStart(demo, textureLocate(kTextureFile).c_str());
    if (start != GlDemoStart::started) {
        glDemoStop();
        closeDisplay(window);
        if (start == GlDemoStart::noTexture) {
            std::fputs("Failed to load image!!!\n", stdout);
        }
        return 0;
    }

    // One whole frame is drawn and shown before the first look at the keys.
    do {
        glDemoFrame(demo);
        displaySwap(window);
    } while (!displayWantsQuit(window));

    glDemoStop();
    closeDisplay(window);
    return 0;
}
