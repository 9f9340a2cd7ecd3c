// The frame pipeline: what start-up makes of any spin and of the random
// start, and the counter's wrap. The frames themselves are pinned by whole
// runs of the capture tool (tools tests).
#include "scene.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

namespace {

SceneState startScene(int32_t spin)
{
    SceneState scene{};
    sceneStartup(scene, SceneStart{false, spin});
    return scene;
}

TEST(Frame, StartupTakesAnySpinIntoATurnAndTheCounterWraps)
{
    EXPECT_EQ(startScene(-1).spinAngle, 359);
    EXPECT_EQ(startScene(725).spinAngle, 5);
    SceneState scene = startScene(0);
    scene.frameCounter = INT32_MAX;  // wraps rather than overflowing
    sceneRenderFrame(scene);
    EXPECT_EQ(scene.frameCounter, INT32_MIN);
}

TEST(Frame, RandomStartupDrawsTheSpinAfterTheFaceBits)
{
    std::srand(42);
    SceneState scene{};
    sceneStartup(scene, SceneStart{true, 0});
    std::srand(42);
    for (int i = 0; i < 1980; ++i) {
        std::rand();
    }
    const double r = (std::rand() % 32768) / 32768.0;
    EXPECT_EQ(scene.spinAngle, static_cast<int32_t>(std::floor(r * 360)));
}

} // namespace
