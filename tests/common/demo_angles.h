// Every argument the two demos pass to sine and cosine, frame by frame, from
// their own formulas and constants (the frames' twists from trigSin, as the
// demos take them).
#pragma once

#include <cstdint>
#include <vector>

// helixsoft: the twist, ripple, helix and point angles of frames 1 to
// `frames`, the points of every `pointFrameStep`-th frame only, and the
// frame matrix's rotations.
std::vector<double> helixsoftTrigArguments(int32_t frames, int32_t pointFrameStep);

// vesselgl: the same for the GL demo's 42 x 32 tube, start-up call included.
std::vector<double> vesselglTrigArguments(int32_t frames, int32_t pointFrameStep);
