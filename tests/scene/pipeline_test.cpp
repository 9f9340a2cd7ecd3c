// The frame pipeline on several threads: every frame as one thread draws it
// (whose whole runs the capture tool's tests pin), the scene's clock naming the
// frame shown, and the scene handed back so that one-thread frames carry on
// from it, also when the same pipeline is started again.
#include "pipeline.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

constexpr int32_t kStartSpin = 0;
constexpr int32_t kFrames = 300;

// Renders `frames` frames through the pipeline and checks each against the
// same frame rendered alone.
void expectSameFrames(FramePipeline& pipeline, SceneState& scene, SceneState& alone,
                      int32_t frames, int32_t threads)
{
    for (int32_t i = 0; i < frames; ++i) {
        sceneRenderFrame(alone);
        framePipelineRenderNext(pipeline);
        ASSERT_EQ(std::memcmp(scene.pixels.data(), alone.pixels.data(), kFramePixels * 4), 0)
            << threads << " threads, frame " << alone.frameCounter;
        ASSERT_EQ(scene.frameCounter, alone.frameCounter);
        ASSERT_EQ(scene.spinAngle, alone.spinAngle);
        ASSERT_EQ(scene.twist, alone.twist);
        ASSERT_EQ(scene.wavePhase, alone.wavePhase);
    }
}

TEST(Pipeline, EveryFrameIsTheOneThreadFrameAndTheClockNamesIt)
{
    for (const int32_t threads : {2, 3}) {
        SceneState alone{};
        sceneStartup(alone, SceneStart{false, kStartSpin});
        SceneState scene{};
        sceneStartup(scene, SceneStart{false, kStartSpin});
        FramePipeline pipeline;
        framePipelineStart(pipeline, scene, threads);
        expectSameFrames(pipeline, scene, alone, kFrames, threads);
        framePipelineStop(pipeline);
        sceneRenderFrame(alone);
        sceneRenderFrame(scene);
        EXPECT_EQ(scene.frameCounter, kFrames + 1);
        EXPECT_TRUE(scene.pixels == alone.pixels) << threads << " threads, after the stop";
    }
}

// The workers set up frames ahead of the one shown: a stop throws that work
// away, and a new start, on the same pipeline, carries on from the frame shown
// (here after one-thread frames in between), however few frames each run has.
TEST(Pipeline, StartedAgainItCarriesOnFromTheFrameShown)
{
    SceneState alone{};
    sceneStartup(alone, SceneStart{false, kStartSpin});
    SceneState scene{};
    sceneStartup(scene, SceneStart{false, kStartSpin});
    FramePipeline pipeline;
    for (const int32_t frames : {1, 2, 7, 0, 3}) {
        framePipelineStart(pipeline, scene, 2);
        expectSameFrames(pipeline, scene, alone, frames, 2);
        framePipelineStop(pipeline);
        sceneRenderFrame(alone);
        sceneRenderFrame(scene);
        ASSERT_TRUE(scene.pixels == alone.pixels) << "one thread after " << frames << " frames";
    }
    EXPECT_EQ(scene.frameCounter, 1 + 2 + 7 + 0 + 3 + 5);
}

} // namespace
