// What both demos share besides Vec3: the full-screen mode they take, the
// constants their formulas use exactly as written (3.141593 and its multiples
// are not full-precision pi), and the C library's random numbers reduced to
// 15 bits.
#pragma once

#include <cstdint>

constexpr int32_t kScreenWidth = 640;
constexpr int32_t kScreenHeight = 480;

constexpr double kPi = 3.141593;       // half a turn in radians
constexpr double kTwoPi = 6.283186;    // a whole turn
constexpr double kThreePi = 9.424779;  // a turn and a half
constexpr double kDegreesPerHalfTurn = 180.0;
constexpr int32_t kDegreesPerTurn = 360;

// rand() mod 32768, divided by 32768: uniform in [0, 1), 15-bit resolution.
double randomUnit();
