// helixsoft: the software-rendered tube shown full screen until a key (or a
// close request) ends it. Exit status 0 after a run, -1 without a word when
// the window cannot be opened. The scene owns the arrays and the frame stages;
// this file only orders start-up, the frame loop and shutdown. The same file
// is the program in the browser, where the screen's sleep yields to the page.
#include "fixedrunpace.h"
#include "keyqueue.h"
#include "pipeline.h"
#include "runmode.h"
#include "scene.h"
#include "screen.h"

#include <cstdlib>
#include <ctime>

namespace {

constexpr const char* kWindowTitle = "Spindra by (Quelmot)";
constexpr int kOpenFailedStatus = -1;

void runUntilKey(SceneState& scene, FramePipeline& pipeline)
{
    for (;;) {
        framePipelineRenderNext(pipeline);
        screenUpdate(scene.pixels.data());
        if (!keyInputPoll().empty() || screenCloseRequested() != 0) {
            return;
        }
    }
}

// Frames 1 to N, one shown as progress whenever the pace says so, which hands
// the browser control; then frame N. While the application is inactive the
// update skips it, so it is offered again until it has been shown.
void runFixed(SceneState& scene, FramePipeline& pipeline, int32_t frames)
{
    FixedRunPace pace = fixedRunPaceStart(fixedRunClockMs());
    while (scene.frameCounter < frames) {
        framePipelineRenderNext(pipeline);
        if (fixedRunPaceFrameDone(pace, fixedRunClockMs()) && scene.frameCounter < frames) {
            screenUpdate(scene.pixels.data());
            fixedRunPaceResumed(pace, fixedRunClockMs());
        }
    }
    do {
        screenUpdate(scene.pixels.data());
    } while (screenActive() == 0 && screenCloseRequested() == 0);
}

}  // namespace

int main()
{
    static SceneState scene;  // static: the arrays outlive every frame and stay off the stack
    if (screenOpen(kWindowTitle, kFrameWidth, kFrameHeight) == 0) {
        // A failed open may already have changed the display mode, and X keeps
        // a mode change after the process ends: hand back whatever was taken.
        screenClose();
        return kOpenFailedStatus;
    }
    const RunMode mode = runModeRequested();
    if (!mode.fixed) {
        // Seconds, truncated toward zero; the first value of a fresh seed is discarded.
        std::srand(static_cast<unsigned>(std::time(nullptr)));
        std::rand();
    }
    sceneStartup(scene, SceneStart{!mode.fixed, mode.startSpin});
    static FramePipeline pipeline;
    framePipelineStart(pipeline, scene, framePipelineThreads());
    if (mode.fixed) {
        runFixed(scene, pipeline, mode.frames);
    } else {
        runUntilKey(scene, pipeline);
    }
    framePipelineStop(pipeline);
    screenClose();
    return 0;
}
