// The frame pipeline on several threads: every frame as one thread draws it
// (whose whole runs the capture tool's tests pin), the scene's clock naming the
// frame shown, and the scene handed back so that one-thread frames carry on
// from it.
#include "pipeline.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

constexpr int32_t kStartSpin = 0;
constexpr int32_t kFrames = 300;

TEST(Pipeline, EveryFrameIsTheOneThreadFrameAndTheClockNamesIt)
{
    for (const int32_t threads : {2, 3}) {
        SceneState alone{};
        sceneStartup(alone, SceneStart{false, kStartSpin});
        SceneState scene{};
        sceneStartup(scene, SceneStart{false, kStartSpin});
        FramePipeline pipeline;
        framePipelineStart(pipeline, scene, threads);
        for (int32_t frame = 1; frame <= kFrames; ++frame) {
            sceneRenderFrame(alone);
            framePipelineRenderNext(pipeline);
            ASSERT_EQ(std::memcmp(scene.pixels.data(), alone.pixels.data(), kFramePixels * 4), 0)
                << threads << " threads, frame " << frame;
            ASSERT_EQ(scene.frameCounter, frame);
            ASSERT_EQ(scene.spinAngle, alone.spinAngle);
            ASSERT_EQ(scene.wavePhase, alone.wavePhase);
        }
        framePipelineStop(pipeline);
        sceneRenderFrame(alone);
        sceneRenderFrame(scene);
        EXPECT_EQ(scene.frameCounter, kFrames + 1);
        EXPECT_TRUE(scene.pixels == alone.pixels) << threads << " threads, after the stop";
    }
}

} // namespace
