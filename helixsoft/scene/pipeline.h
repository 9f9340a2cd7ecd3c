// The frame loop on several cores, frame for frame the pixels of
// sceneRenderFrame. While the caller's thread sets up frame N + 1's geometry,
// the other threads clear and fill frame N's rows, band by band; the caller's
// thread then takes whatever bands are left. Bands are claimed one at a time,
// so a thread that gets less of the processor simply fills fewer of them.
// Nothing runs between calls: the frame returned is finished, as soon as it
// would be on one thread, and no extra frame of latency is added.
#pragma once

#include "scene.h"

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

struct FramePipeline {
    SceneState* scene = nullptr;
    int32_t threads = 1;
    DrawList lists[2];          // the frame being filled and the next one being set up
    int32_t filling = 0;        // lists[filling] is the next frame to fill
    SceneClock setUpClock{};    // the clock after the newest set-up

    // The hand-off between the caller's thread and the workers, all under `lock`.
    std::mutex lock;
    std::condition_variable bandsReady;
    std::condition_variable bandsFilled;
    int64_t handedOut = 0;      // frames handed to the workers so far
    int32_t nextBand = 0;       // the next band of that frame to claim
    int32_t bandsDone = 0;      // bands of that frame filled
    bool stopping = false;
    std::vector<std::thread> workers;
};

// Threads worth running the frame on here: up to the cores the machine has,
// no more than the frame can use, and 1 where the platform has no threads.
int32_t framePipelineThreads();

// Takes over scene (started with sceneStartup) until framePipelineStop; with
// threads = 1 every frame is simply sceneRenderFrame. Sets up the first frame
// and starts threads - 1 workers, or as many as the system gives: the calling
// thread fills whatever bands no worker takes.
void framePipelineStart(FramePipeline& pipeline, SceneState& scene, int32_t threads);

// Renders the next frame into scene.pixels. Afterwards the scene's spin,
// counter, twist and frame matrix are those of that frame, as after
// sceneRenderFrame; its mesh arrays already hold the next frame's geometry.
void framePipelineRenderNext(FramePipeline& pipeline);

// Ends the workers. The scene stays at the last frame rendered: a
// sceneRenderFrame afterwards gives the frame after it.
void framePipelineStop(FramePipeline& pipeline);
