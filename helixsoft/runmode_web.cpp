// The page passes its checked ?spin=S&frames=N as Module.fixedRun.
#include "runmode.h"

#include "conventions.h"

#include <emscripten/emscripten.h>

// clang-format off
EM_JS(int32_t, webFixedRun, (int32_t* spin, int32_t* frames), {
    var run = Module['fixedRun'];
    if (!run) return 0;
    HEAP32[spin >> 2] = run.spin;
    HEAP32[frames >> 2] = run.frames;
    return 1;
});
// clang-format on

RunMode runModeRequested()
{
    RunMode mode;
    if (webFixedRun(&mode.startSpin, &mode.frames) == 0 || mode.startSpin < 0 ||
        mode.startSpin >= kDegreesPerTurn || mode.frames < 1) {
        return RunMode{};
    }
    mode.fixed = true;
    return mode;
}
