// Argument lists for the trigonometry's checks and benchmark, the same on every
// platform: every argument the two demos pass to sine and cosine, frame by
// frame, from their own formulas and constants (the frames' twists from
// trigSin, as the demos take them), and random arguments of every size. The
// hashes of their correctly rounded results (checked against MPFR on the build
// machine) let platforms without MPFR check that they compute the same bits.
#pragma once

#include <cstdint>
#include <vector>

// helixsoft: the twist, ripple, helix and point angles of frames 1 to
// `frames`, the points of every `pointFrameStep`-th frame only, and the
// frame matrix's rotations.
std::vector<double> helixsoftTrigArguments(int32_t frames, int32_t pointFrameStep);

// vesselgl: the same for the GL demo's 42 x 32 tube, start-up call included.
std::vector<double> vesselglTrigArguments(int32_t frames, int32_t pointFrameStep);

// Both demos' arguments, each value once, in increasing order.
std::vector<double> demoTrigArguments(int32_t frames, int32_t pointFrameStep);

// `count` doubles of random sign in [2^low, 2^high): uniform exponents and
// mantissas from a fixed generator.
std::vector<double> randomTrigArguments(int count, int low, int high, uint64_t seed);

// Random arguments of every size, from below 2^-27 to the largest double.
std::vector<double> rangeTrigArguments();

// FNV-1a over the bits of sin x and cos x, in the order given, as `sinCos`
// computes them; hashSinCosBits adds one pair to a hash begun at kHashStart.
inline constexpr uint64_t kHashStart = 0xcbf29ce484222325u;
void hashSinCosBits(uint64_t& hash, double s, double c);
uint64_t sinCosBitsHash(const std::vector<double>& arguments,
                        void (*sinCos)(double, double&, double&));

// sinCosBitsHash of the correctly rounded results of demoTrigArguments(2100,
// 100) and of rangeTrigArguments().
inline constexpr uint64_t kDemoSinCosHash = 0x13b2791b7d7ed8fd;
inline constexpr uint64_t kRangeSinCosHash = 0xb5d9f1986116a3ca;
