// helixsoft: the software-rendered tube shown full screen (or, with --window,
// in a window) until a key, a close request or an end signal ends it. Exit
// status 0 after a run, 128 + n after signal n, -1 when the window cannot be
// opened: silently, unless the display lacks a 640x480 mode, which is said in
// one line. The scene owns the arrays and the frame stages; this file only
// orders start-up, the frame loop and shutdown. The same file is the program
// in the browser, where the screen's sleep yields to the page.
#include "endsignal.h"
#include "fixedrunpace.h"
#include "framerun.h"
#include "keyqueue.h"
#include "pipeline.h"
#include "runmode.h"
#include "runoptions.h"
#include "scene.h"
#include "screen.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

constexpr const char* kWindowTitle = "Spindra by (Quelmot)";
constexpr int kOpenFailedStatus = -1;

constexpr const char* kNoModeMessage =
    "helixsoft: the display offers no 640x480 mode; helixsoft --window runs it in a window\n";

void runUntilKey(SceneState& scene, FramePipeline& pipeline, FrameRun& run)
{
    for (;;) {
        framePipelineRenderNext(pipeline);
        screenUpdate(scene.pixels.data());
        frameRunShown(run);
        if (!keyInputPoll().empty() || screenCloseRequested() != 0 || endSignalNumber() != 0) {
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

int main(int argc, char** argv)
{
    RunOptions options;
    if (runOptionsRead(kHelixsoftProgram, argc, argv, options)) {
        return 0;  // --help or --version answered
    }
    endSignalsWatch();
    static SceneState scene;  // static: the arrays outlive every frame and stay off the stack
    if (screenOpen(kWindowTitle, kFrameWidth, kFrameHeight,
                   ScreenOptions{options.window, options.paced}) == 0) {
        if (screenModeSizeMissing() != 0) {
            std::fputs(kNoModeMessage, stderr);
        }
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
        FrameRun run;
        frameRunStart(run, options, screenRefreshRate(), screenRetraceWaits() != 0);
        runUntilKey(scene, pipeline, run);
    }
    framePipelineStop(pipeline);
    screenClose();
    return endSignalExitStatus(0);
}
