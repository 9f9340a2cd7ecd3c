// The slow, exact side of the trigonometry: arguments reduced with as many
// bits of 2/pi as they need, sine and cosine summed as Taylor series in wide
// fixed point (integer arithmetic, the same digits on every platform). It
// decides the rounding the fast path in trig.cpp cannot, fills that path's
// table and reduces its huge arguments.
#pragma once

#include <cstdint>

// sin x and cos x rounded to nearest (ties to even) for finite |x| >= 2^-30.
// The precision grows (128, 384 and 1,024 fraction bits) until the rounding is
// decided: a few microseconds at first, under a millisecond at the widest.
double trigExactSin(double x);
double trigExactCos(double x);

// sin and cos of step * pi / 2^(log2Steps + 1), 0 <= step <= 2^log2Steps,
// each as hi + lo within 2^-106 of the value relative to it.
void trigExactStep(int32_t step, int log2Steps, double& sinHi, double& sinLo, double& cosHi,
                   double& cosLo);

// ax (finite, >= 1) = step * pi / 2^(log2Steps + 1) + hi + lo, with
// 0 <= step < 2^(log2Steps + 2), |hi + lo| <= pi / 2^(log2Steps + 2) and
// hi + lo within the returned absolute bound of the true remainder, or within
// 2^-104 of it relative to hi.
double trigExactReduce(double ax, int log2Steps, int32_t& step, double& hi, double& lo);
