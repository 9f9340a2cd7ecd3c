// The frame pipeline's threads. Every hand-off is a blocking wait on a
// condition variable (spinning made frames several times slower on a loaded
// machine); set-ups and bands are claimed under the lock, a few times a frame.
// One thread at a time sets up, on the pipeline's own copy of the mesh, into a
// slot whose frame has been returned; the threads filling read only the slot
// handed out and write its rows of the pixels; the caller's thread alone
// touches the caller's scene.
#include "pipeline.h"

#include "cores.h"

#include <algorithm>
#include <cassert>
#include <system_error>

namespace {

// Beyond three threads the set-ups, one frame after the other, take longer
// than the fills.
constexpr int32_t kMaxPipelineThreads = 3;
// Five bands a frame: enough that a thread done with its set-up finds bands
// left to fill, few enough that the triangles cut by band edges, set up once
// per band, cost little (the tube's triangles are 40 rows high on average).
constexpr int32_t kPipelineBandRows = 96;

size_t slotOf(int64_t frame)
{
    return static_cast<size_t>(frame % kPipelineSlots);
}

// Under the lock: whether the next frame's set-up may start, its slot's frame
// being returned and no other thread setting up.
bool setUpPossible(const FramePipeline& p)
{
    return !p.settingUp && p.setUp < p.filled + kPipelineSlots;
}

// Under the lock, released meanwhile: sets up frame p.setUp.
void setUpNext(FramePipeline& p, std::unique_lock<std::mutex>& held)
{
    const int64_t frame = p.setUp;
    p.settingUp = true;
    held.unlock();
    sceneSetUpFrame(p.geometry, p.lists[slotOf(frame)]);
    p.clocks[slotOf(frame)] = sceneClock(p.geometry);
    held.lock();
    p.settingUp = false;
    p.setUp = frame + 1;
    p.progress.notify_all();
}

// Under the lock: the next band of the frame handed out, or false when it has
// none left (or none is handed out). The caller's thread takes bands from the
// top, the workers from the bottom: a band then tends to go to the same core
// as in the frame before, whose cache may still hold its rows. A worker leaves
// the last band to the caller's thread: waiting for a worker that had just
// started it cost the caller a twelfth of each frame.
bool claimBand(FramePipeline& p, bool fromTop, int32_t& band)
{
    const int32_t unclaimed = p.bottomBand - p.topBand + 1;
    if (p.filling < 0 || unclaimed < (fromTop ? 1 : 2)) {
        return false;
    }
    band = fromTop ? p.topBand++ : p.bottomBand--;
    return true;
}

// Under the lock, released meanwhile: fills a claimed band.
void fillBand(FramePipeline& p, std::unique_lock<std::mutex>& held, int32_t band)
{
    const DrawList& list = p.lists[slotOf(p.filling)];
    held.unlock();
    sceneFillBand(p.scene->pixels.data(), list, band);
    held.lock();
    if (++p.bandsDone == drawListBands(list)) {
        p.progress.notify_all();
    }
}

// Under the lock: whether the frame after the one being filled is set up.
bool nextFrameReady(const FramePipeline& p)
{
    return p.setUp > p.filled + 1;
}

// The frame being filled comes first while the next one is ready; otherwise
// the next set-up does, or the caller would wait for it.
void workerLoop(FramePipeline& p)
{
    std::unique_lock<std::mutex> held(p.lock);
    int32_t band = 0;
    while (!p.stopping) {
        if (nextFrameReady(p) && claimBand(p, false, band)) {
            fillBand(p, held, band);
        } else if (setUpPossible(p)) {
            setUpNext(p, held);
        } else if (claimBand(p, false, band)) {
            fillBand(p, held, band);
        } else {
            p.workReady.wait(held);
        }
    }
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
    sceneCopyGeometry(p.geometry, scene);
    for (DrawList& list : p.lists) {
        list.bandRows = kPipelineBandRows;
    }
    p.setUp = 0;
    p.settingUp = false;
    p.filled = 0;
    p.filling = -1;
    p.stopping = false;
    for (int32_t i = 1; i < threads; ++i) {
        try {
            p.workers.emplace_back(workerLoop, std::ref(p));
        } catch (const std::system_error&) {
            break;  // no more threads to be had: the calling thread does what they would
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
    const int64_t frame = p.filled;
    while (p.setUp <= frame) {
        if (p.settingUp) {
            p.progress.wait(held);
        } else {
            setUpNext(p, held);  // no worker got to it (or there is none)
        }
    }
    p.filling = frame;
    p.topBand = 0;
    p.bottomBand = drawListBands(p.lists[slotOf(frame)]) - 1;
    p.bandsDone = 0;
    p.workReady.notify_all();
    int32_t band = 0;
    while (claimBand(p, true, band)) {
        fillBand(p, held, band);
    }
    const int32_t bands = drawListBands(p.lists[slotOf(frame)]);
    p.progress.wait(held, [&] { return p.bandsDone == bands; });
    p.filling = -1;
    p.filled = frame + 1;
    sceneSetClock(*p.scene, p.clocks[slotOf(frame)]);
    p.workReady.notify_all();  // its slot is free for a set-up
}

void framePipelineStop(FramePipeline& p)
{
    {
        const std::lock_guard<std::mutex> held(p.lock);
        p.stopping = true;
    }
    p.workReady.notify_all();
    for (std::thread& worker : p.workers) {
        worker.join();
    }
    p.workers.clear();
}
