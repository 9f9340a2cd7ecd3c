// helixsoft: the software-rendered tube shown full screen until a key (or a
// close request) ends it. Exit status 0 after a run, -1 without a word when
// the window cannot be opened. The scene owns the arrays and the frame stages;
// this file only orders start-up, the frame loop and shutdown.
#include "scene.h"
#include "keyqueue.h"
#include "screen.h"

#include <cstdlib>
#include <ctime>

namespace {

constexpr const char* kWindowTitle = "Spindra by (Quelmot)";
constexpr int kOpenFailedStatus = -1;

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
    // Seconds, truncated toward zero; the first value of a fresh seed is discarded.
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    std::rand();
    sceneStartup(scene, SceneStart{true, 0});
    for (;;) {
        sceneRenderFrame(scene);
        screenUpdate(scene.pixels.data());
        if (!keyInputPoll().empty() || screenCloseRequested() != 0) {
            break;
        }
    }
    screenClose();
    return 0;
}
