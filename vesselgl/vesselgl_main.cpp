// vesselgl: a textured, lit tube spinning full screen (or, with --window, in a
// window) until Escape, a close request or an end signal. Start-up, frame loop
// and shutdown run once; every exit has status 0 but after signal n, 128 + n.
#include "endsignal.h"
#include "framerun.h"
#include "glframe.h"
#include "glwindow.h"
#include "runoptions.h"
#include "texturefind.h"

#include <cstdio>

namespace {

// The mesh and the clock live for the whole run.
GlDemo demo;

// The picture keeps its 4:3 shape in whatever drawable it gets.
void fitPicture(GLFWwindow* window)
{
    int width = 0;
    int height = 0;
    displayDrawableSize(window, width, height);
    glDemoFit(demo, width, height);
}

}  // namespace

int main(int argc, char** argv)
{
    RunOptions options;
    if (runOptionsRead(kVesselglProgram, argc, argv, options)) {
        return 0;  // --help or --version answered
    }
    endSignalsWatch();
    GLFWwindow* window = openDisplay(options.window);
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
    FrameRun run;
    frameRunStart(run, options, 0, false);  // the swap interval paces it
    do {
        fitPicture(window);
        glDemoFrame(demo);
        displaySwap(window);
        frameRunShown(run);
    } while (!displayWantsQuit(window) && endSignalNumber() == 0);

    glDemoStop();
    closeDisplay(window);
    return endSignalExitStatus(0);
}
