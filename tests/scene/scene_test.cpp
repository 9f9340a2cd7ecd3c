// The frame pipeline: what start-up makes of any spin and of the random
// start, the counter's wrap, and checksums (FNV-1a, as the capture tool writes
// them) of frames whose arithmetic was verified by hand, which any later
// optimisation must reproduce bit for bit; they cover the tube, the light, the
// twist and the spin of every frame up to theirs.
#include "capture.h"
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

struct GoldenFrame {
    int32_t startSpin;
    int32_t frame;
    uint64_t checksum;
};

TEST(Frame, GoldenFramesAreReproducedExactly)
{
    const GoldenFrame golden[] = {
        {0, 1, 0x4a10ab70dee18710ull},      {0, 90, 0xf3a4379acc87c368ull},
        {0, 1000, 0x90f758110a78f8dbull},   {123, 1, 0x5f0bf9b982ebf51bull},
        {123, 1000, 0x40edd6383bd8620cull}, {300, 2500, 0x8b2a231b17dd724full},
    };
    for (const GoldenFrame& g : golden) {
        SceneState scene = startScene(g.startSpin);
        for (int frame = 1; frame <= g.frame; ++frame) {
            sceneRenderFrame(scene);
        }
        const uint64_t checksum = captureChecksum(scene.pixels.data(), scene.pixels.size());
        EXPECT_EQ(checksum, g.checksum) << "start spin " << g.startSpin << " frame " << g.frame
                                        << " checksum 0x" << std::hex << checksum;
    }
}

} // namespace
