// The frame pipeline's threads. Every hand-off is a blocking wait on a
// condition variable (spinning made frames several times slower on a loaded
// machine); bands are claimed under the lock, a few times a frame. The workers
// only read the list being filled and write its rows of the pixels; the
// caller's thread alone touches the scene's mesh, clock and the other list.
#include "pipeline.h"

#include "cores.h"

#include <algorithm>
#include <cassert>
#include <system_error>

namespace {

// Beyond three threads the set-up of the next frame, which is not split,
// takes longer than the fill of the current one.
constexpr int32_t kMaxPipelineThreads = 3;
// Five bands a frame: enough that the calling thread finds bands left to
// fill where the fill is the longer job (on processors without AVX-512),
// few enough that the triangles cut by band edges, set up once per band,
// cost little (the tube's triangles are 40 rows high on average).
constexpr int32_t kPipelineBandRows = 96;

// Under the lock: the next band of frame `frame` to fill, or false when that
// frame has none left or is no longer the one handed out.
bool claimBand(FramePipeline& p, int64_t frame, int32_t& band)
{
    if (p.handedOut != frame || p.nextBand >= drawListBands(p.lists[p.filling])) {
        return false;
    }
    band = p.nextBand++;
    return true;
}

// Under the lock, released while filling: bands of frame `frame` until none is left.
void fillClaimedBands(FramePipeline& p, std::unique_lock<std::mutex>& held, int64_t frame)
{
    const DrawList& list = p.lists[p.filling];
    const int32_t bands = drawListBands(list);
    int32_t band = 0;
    while (claimBand(p, frame, band)) {
        held.unlock();
        sceneFillBand(p.scene->pixels.data(), list, band);
        held.lock();
        if (++p.bandsDone == bands) {
            p.bandsFilled.notify_one();
        }
    }
}

void workerLoop(FramePipeline& p)
{
    std::unique_lock<std::mutex> held(p.lock);
    int64_t seen = 0;
    for (;;) {
        p.bandsReady.wait(held, [&] { return p.stopping || p.handedOut != seen; });
        if (p.stopping) {
            return;
        }
        seen = p.handedOut;
        fillClaimedBands(p, held, seen);
    }
}

// The next frame's geometry into the list not being filled, from the clock of
// the newest set-up; the scene is left on the clock of the frame being filled.
void setUpAhead(FramePipeline& p)
{
    SceneState& scene = *p.scene;
    const SceneClock filled = p.setUpClock;
    sceneSetClock(scene, filled);
    sceneSetUpFrame(scene, p.lists[1 - p.filling]);
    p.setUpClock = sceneClock(scene);
    sceneSetClock(scene, filled);
}

} // namespace

int32_t framePipelineThreads()
{
    return std::clamp(coresAvailable(), 1, kMaxPipelineThreads);
}

void framePipelineStart(FramePipeline& p, SceneState& scene, int32_t threads)
{
    assert(p.workers.empty() && threads >= 1);
    p.scene = &scene;
    p.threads = threads;
    if (threads == 1) {
        return;
    }
    p.stopping = false;
    p.handedOut = 0;
    for (DrawList& list : p.lists) {
        list.bandRows = kPipelineBandRows;
    }
    // The first frame's set-up goes into lists[0], the one filled first.
    p.filling = 1;
    p.setUpClock = sceneClock(scene);
    setUpAhead(p);
    p.filling = 0;
    p.nextBand = 0;
    p.bandsDone = 0;
    for (int32_t i = 1; i < threads; ++i) {
        try {
            p.workers.emplace_back(workerLoop, std::ref(p));
        } catch (const std::system_error&) {
            break;  // no more threads to be had: the calling thread fills what they would
        }
    }
}

void framePipelineRenderNext(FramePipeline& p)
{
    if (p.threads == 1) {
        sceneRenderFrame(*p.scene);
        return;
    }
    std::unique_lock<std::mutex> held(p.lock);
    p.bandsDone = 0;
    p.nextBand = 0;
    const int64_t frame = ++p.handedOut;
    held.unlock();
    p.bandsReady.notify_all();
    setUpAhead(p);
    held.lock();
    fillClaimedBands(p, held, frame);
    const int32_t bands = drawListBands(p.lists[p.filling]);
    p.bandsFilled.wait(held, [&] { return p.bandsDone == bands; });
    p.filling = 1 - p.filling;
}

void framePipelineStop(FramePipeline& p)
{
    {
        const std::lock_guard<std::mutex> held(p.lock);
        p.stopping = true;
    }
    p.bandsReady.notify_all();
    for (std::thread& worker : p.workers) {
        worker.join();
    }
    p.workers.clear();
}
