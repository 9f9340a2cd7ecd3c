// The checksum ring's threads. Every wait blocks on a condition variable; a
// frame is claimed under the lock, summed outside it.
#include "checksum_ring.h"

#include "captureoutput.h"
#include "raster.h"

#include <cassert>
#include <system_error>

namespace {

// Under the lock, released while summing: the next frame nobody has started,
// if there is one.
bool sumOneFrame(ChecksumRing& ring, std::unique_lock<std::mutex>& held)
{
    if (ring.nextToSum == ring.handedIn) {
        return false;
    }
    ChecksumSlot& slot = ring.slots[ring.nextToSum++ % ring.slots.size()];
    held.unlock();
    const uint64_t checksum = captureChecksum(slot.pixels.data(), kFramePixels);
    held.lock();
    slot.checksum = checksum;
    slot.summed = true;
    ring.summedOne.notify_all();
    return true;
}

void workerLoop(ChecksumRing& ring)
{
    std::unique_lock<std::mutex> held(ring.lock);
    for (;;) {
        ring.toSum.wait(held, [&] { return ring.stopping || ring.nextToSum != ring.handedIn; });
        if (ring.stopping) {
            return;
        }
        sumOneFrame(ring, held);
    }
}

ChecksumSlot& oldestSlot(ChecksumRing& ring)
{
    return ring.slots[ring.taken % ring.slots.size()];
}

} // namespace

void checksumRingStart(ChecksumRing& ring, int32_t threads)
{
    assert(ring.workers.empty() && threads >= 1);
    ring.slots.resize(static_cast<size_t>(threads) * 2);
    for (ChecksumSlot& slot : ring.slots) {
        slot.pixels.assign(kFramePixels, 0u);
    }
    ring.handedIn = ring.taken = ring.nextToSum = 0;
    ring.stopping = false;
    for (int32_t i = 1; i < threads; ++i) {
        try {
            ring.workers.emplace_back(workerLoop, std::ref(ring));
        } catch (const std::system_error&) {
            break;  // no more threads to be had: the calling thread sums what they would
        }
    }
}

void checksumRingStop(ChecksumRing& ring)
{
    {
        const std::lock_guard<std::mutex> held(ring.lock);
        ring.stopping = true;
    }
    ring.toSum.notify_all();
    for (std::thread& worker : ring.workers) {
        worker.join();
    }
    ring.workers.clear();
}

bool checksumRingFull(const ChecksumRing& ring)
{
    return ring.handedIn - ring.taken == static_cast<int64_t>(ring.slots.size());
}

bool checksumRingEmpty(const ChecksumRing& ring)
{
    return ring.handedIn == ring.taken;
}

void checksumRingHandIn(ChecksumRing& ring, std::vector<uint32_t>& pixels, int32_t frame)
{
    {
        const std::lock_guard<std::mutex> held(ring.lock);
        assert(!checksumRingFull(ring));
        ChecksumSlot& slot = ring.slots[ring.handedIn % ring.slots.size()];
        slot.pixels.swap(pixels);
        slot.frame = frame;
        slot.summed = false;
        ++ring.handedIn;
    }
    ring.toSum.notify_one();
}

void checksumRingTakeOldest(ChecksumRing& ring, int32_t& frame, uint64_t& checksum)
{
    std::unique_lock<std::mutex> held(ring.lock);
    assert(!checksumRingEmpty(ring));
    while (!oldestSlot(ring).summed) {
        if (!sumOneFrame(ring, held)) {
            ring.summedOne.wait(held);
        }
    }
    frame = oldestSlot(ring).frame;
    checksum = oldestSlot(ring).checksum;
    ++ring.taken;
}

bool checksumRingOldestReady(ChecksumRing& ring)
{
    const std::lock_guard<std::mutex> held(ring.lock);
    return !checksumRingEmpty(ring) && oldestSlot(ring).summed;
}
