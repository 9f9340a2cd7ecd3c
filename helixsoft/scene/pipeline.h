// The frame loop on several cores, frame for frame the pixels of
// sceneRenderFrame. A frame's geometry depends on nothing but its number, so
// the workers set up the coming frames' geometry, on a copy of the scene's
// mesh, up to two frames ahead of the one being filled; the frame itself is
// cleared and filled band by band, by the caller's thread and by any worker
// with no set-up to do. Bands are claimed one at a time, so a thread that gets
// less of the processor simply fills fewer of them. The frame returned is
// finished and is the frame that comes next, as on one thread: working ahead
// adds no frame of latency, only geometry that the last frames never show.
#pragma once

#include "scene.h"

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

// The frame being filled and up to two set up ahead of it.
constexpr int32_t kPipelineSlots = 3;

struct FramePipeline {
    SceneState* scene = nullptr;  // the caller's: its pixels and its clock
    int32_t threads = 1;
    SceneState geometry;          // the copy of the mesh that the set-ups advance
    DrawList lists[kPipelineSlots];     // frame k (counted from the start) in lists[k % slots]
    SceneClock clocks[kPipelineSlots];  // and its clock in clocks[k % slots]

    // The hand-offs, all under `lock`.
    std::mutex lock;
    std::condition_variable workReady;  // bands handed out, a slot freed, or the stop
    std::condition_variable progress;   // a frame set up, or the last band of one filled
    int64_t setUp = 0;                  // frames set up so far
    bool settingUp = false;             // a thread is setting up frame `setUp`
    int64_t filled = 0;                 // frames filled and returned so far
    int64_t filling = -1;               // the frame whose bands are handed out, or -1
    int32_t topBand = 0;                // its bands not yet claimed: topBand..bottomBand
    int32_t bottomBand = -1;
    int32_t bandsDone = 0;              // bands of that frame filled
    bool stopping = false;
    std::vector<std::thread> workers;
};

// Threads worth running the frame on here: up to the cores the machine has,
// no more than the frame can use, and 1 where the platform has no threads.
int32_t framePipelineThreads();

// Takes over scene (started with sceneStartup) until framePipelineStop; with
// threads = 1 every frame is simply sceneRenderFrame. Starts threads - 1
// workers, or as many as the system gives: the calling thread sets up and
// fills whatever no worker takes.
void framePipelineStart(FramePipeline& pipeline, SceneState& scene, int32_t threads);

// Renders the next frame into scene.pixels. Afterwards the scene's spin,
// counter, twist, wave phase and frame matrix are those of that frame, as after
// sceneRenderFrame; its mesh arrays stay as they were at the start.
void framePipelineRenderNext(FramePipeline& pipeline);

// Ends the workers. The scene stays at the last frame rendered: a
// sceneRenderFrame afterwards gives the frame after it.
void framePipelineStop(FramePipeline& pipeline);
