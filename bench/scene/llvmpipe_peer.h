// Mesa's llvmpipe drawing the software demo's triangles, for the benchmark to
// time against. llvmpipe reads LP_NUM_THREADS once per process, so each
// thread count runs in a child process of its own: this same program, started
// with kLlvmpipePeerArg, which serves timed runs over a pipe.
#pragma once

#include <cstdint>
#include <string>

constexpr const char* kLlvmpipePeerArg = "--llvmpipe-peer";
// Frames 1 to 360 of start spin 0: a whole turn of the spin and of the twist.
constexpr int32_t kPeerStartSpin = 0;
constexpr int32_t kPeerFrames = 360;

struct LlvmpipePeer {
    int toPeer = -1;
    int fromPeer = -1;
    int pid = -1;
    std::string renderer;  // GL_RENDERER, or why the peer could not start
};

// Starts the peer with LP_NUM_THREADS=threads; false with the reason in
// peer.renderer when it cannot.
bool llvmpipePeerStart(LlvmpipePeer& peer, int32_t threads);
struct LlvmpipeRun {
    int64_t nanoseconds;     // to draw frames 1 to kPeerFrames, each cleared, drawn and finished
    int64_t cpuNanoseconds;  // processor time of all the peer's threads meanwhile
    int64_t litPixels;       // pixels of the last frame that are not black
};

// False when the peer has gone.
bool llvmpipePeerRun(LlvmpipePeer& peer, LlvmpipeRun& run);
// The peer's side: serves runs on standard input and output until it closes.
int llvmpipePeerServe();
