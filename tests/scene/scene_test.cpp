// The frame pipeline: start-up, the per-frame counters, frames that do not
// depend on the span kernel, and checksums of frames whose arithmetic was
// verified by hand, which any later optimisation must reproduce bit for bit.
#include "scene.h"
#include "trig.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

namespace {

// FNV-1a over the pixel words.
uint64_t frameChecksum(const std::vector<uint32_t>& pixels)
{
    uint64_t hash = 14695981039346656037ull;
    for (const uint32_t p : pixels) {
        for (int byte = 0; byte < 4; ++byte) {
            hash = (hash ^ ((p >> (8 * byte)) & 0xFFu)) * 1099511628211ull;
        }
    }
    return hash;
}

SceneState startScene(int32_t spin)
{
    SceneState scene{};
    sceneStartup(scene, SceneStart{false, spin});
    return scene;
}

TEST(Frame, StartupBuildsTheTubeAndTheLight)
{
    const SceneState scene = startScene(123);
    EXPECT_EQ(scene.pixels.size(), static_cast<size_t>(kFramePixels));
    EXPECT_EQ(scene.vertices.size(), 1025u);
    EXPECT_EQ(scene.faces.size(), 2113u);
    EXPECT_EQ(scene.spinAngle, 123);
    EXPECT_EQ(scene.frameCounter, 0);
    EXPECT_NEAR(scene.light.x, 0.0652328f, 1e-7f);
    EXPECT_NEAR(scene.light.y, 0.9784921f, 1e-7f);
    EXPECT_NEAR(scene.light.z, 0.1956984f, 1e-7f);
    EXPECT_EQ(startScene(-1).spinAngle, 359);
    EXPECT_EQ(startScene(725).spinAngle, 5);
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

TEST(Frame, CountersTwistAndSpinAdvancePerFrame)
{
    SceneState scene = startScene(358);
    sceneRenderFrame(scene);
    EXPECT_EQ(scene.frameCounter, 1);
    EXPECT_EQ(scene.spinAngle, 359);
    EXPECT_EQ(scene.twist, static_cast<float>(trigSin(3.141593 / 180) * 0.3171));
    EXPECT_NEAR(scene.twist, 0.0055343f, 1e-6f);
    sceneRenderFrame(scene);
    EXPECT_EQ(scene.spinAngle, 0);
    for (int frame = 3; frame <= 180; ++frame) {
        sceneRenderFrame(scene);
        if (frame == 90) {
            EXPECT_NEAR(scene.twist, 0.3171f, 1e-6f);
        }
    }
    EXPECT_LT(scene.twist, 0.0f);  // sin(3.141593) is a hair below zero
    EXPECT_GT(scene.twist, -1e-6f);
    EXPECT_EQ(scene.vertices[1024].pos.x, 0.0f);
}

TEST(Frame, FrameCounterWrapsInsteadOfOverflowing)
{
    SceneState scene = startScene(0);
    scene.frameCounter = INT32_MAX;
    sceneRenderFrame(scene);
    EXPECT_EQ(scene.frameCounter, INT32_MIN);
}

TEST(Frame, EverySpanKernelDrawsTheSameFrames)
{
    std::vector<uint64_t> sums[3];
    const SpanKernel kernels[] = {SpanKernel::Scalar, SpanKernel::Sse2, SpanKernel::Avx2};
    for (int k = 0; k < 3; ++k) {
        rasterSelectSpanKernel(kernels[k]);
        SceneState scene = startScene(200);
        for (int frame = 1; frame <= 120; ++frame) {
            sceneRenderFrame(scene);
            if (frame % 17 == 0) {
                sums[k].push_back(frameChecksum(scene.pixels));
            }
        }
    }
    rasterSelectSpanKernel(rasterBestSpanKernel());
    EXPECT_EQ(sums[0], sums[1]);
    EXPECT_EQ(sums[0], sums[2]);
}

struct GoldenFrame {
    int32_t startSpin;
    int32_t frame;
    uint64_t checksum;
};

TEST(Frame, GoldenFramesAreReproducedExactly)
{
    const GoldenFrame golden[] = {
        {0, 1, 0x4a10ab70dee18710ull},
        {0, 90, 0xf3a4379acc87c368ull},
        {0, 1000, 0x90f758110a78f8dbull},
        {123, 1, 0x5f0bf9b982ebf51bull},
        {123, 1000, 0x40edd6383bd8620cull},
        {300, 2500, 0x8b2a231b17dd724full},
    };
    for (const GoldenFrame& g : golden) {
        SceneState scene = startScene(g.startSpin);
        for (int frame = 1; frame <= g.frame; ++frame) {
            sceneRenderFrame(scene);
        }
        EXPECT_EQ(frameChecksum(scene.pixels), g.checksum)
            << "start spin " << g.startSpin << " frame " << g.frame << " checksum 0x" << std::hex
            << frameChecksum(scene.pixels);
    }
}

} // namespace
