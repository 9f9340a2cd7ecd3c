// Frame checksums taken on the machine's cores while the next frames render.
// A frame's checksum takes several times as long as its rendering and cannot
// be split (each byte's step needs the previous one), so whole frames are
// handed to a ring of buffers and summed by whichever thread is free: the
// workers, and the calling thread whenever it waits for a line. Lines leave in
// frame order.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

struct ChecksumSlot {
    std::vector<uint32_t> pixels;  // kFramePixels words
    int32_t frame = 0;
    bool summed = false;
    uint64_t checksum = 0;
};

struct ChecksumRing {
    // The n-th frame handed in (from 0) is in slots[n % size].
    std::vector<ChecksumSlot> slots;
    int64_t handedIn = 0;             // frames handed in so far
    int64_t taken = 0;                // of those, taken out again
    int64_t nextToSum = 0;            // the first that no thread has started summing

    // Everything above after start, under `lock`; a slot's pixels and
    // checksum belong to the thread that took its frame until it is summed.
    std::mutex lock;
    std::condition_variable toSum;     // a frame to sum, or stopping
    std::condition_variable summedOne;
    bool stopping = false;
    std::vector<std::thread> workers;
};

// threads - 1 workers (or as many as the system gives) and twice as many
// slots as threads, so that no thread waits for a free buffer.
void checksumRingStart(ChecksumRing& ring, int32_t threads);
void checksumRingStop(ChecksumRing& ring);

bool checksumRingFull(const ChecksumRing& ring);
bool checksumRingEmpty(const ChecksumRing& ring);

// Hands a frame over: pixels are swapped with a free slot's buffer, whose old
// contents the caller overwrites. The ring must not be full.
void checksumRingHandIn(ChecksumRing& ring, std::vector<uint32_t>& pixels, int32_t frame);

// The oldest frame handed in, with its checksum, summing frames on this thread while
// it is not ready; its slot becomes free. The ring must not be empty.
void checksumRingTakeOldest(ChecksumRing& ring, int32_t& frame, uint64_t& checksum);

// True when the oldest frame is summed already, so taking it will not wait.
bool checksumRingOldestReady(ChecksumRing& ring);
