// Unsigned fixed-point numbers of many 32-bit digits for the exact trigonometry.
// Digit 0 is the integer part, digits 1..limbs the fraction, most significant
// first: value = sum of digit[i] * 2^(-32 i). Integer arithmetic only, so every
// platform computes the same digits. Every operation truncates towards zero
// (one unit of the last digit at most) and wraps modulo 2^32 in the integer
// digit; callers count both in their error bounds.
#pragma once

#include <cstdint>

constexpr int kWideMaxLimbs = 34;

struct WideFixed {
    int limbs;  // fraction digits in use, 1 to kWideMaxLimbs
    uint32_t digit[kWideMaxLimbs + 1];
};

// Zero, or the given whole number, with `limbs` fraction digits.
WideFixed wideInteger(uint32_t whole, int limbs);

// d (0 <= d < 2^32) exactly where its bits fit in the fraction, else truncated.
WideFixed wideFromDouble(double d, int limbs);

// The nearest double, ties to even. Values below 2^-1000 are outside its use.
double wideToDouble(const WideFixed& a);

// Digits from a constant, digit 0 included, padded with zeros: `source` holds
// `count` digits.
WideFixed wideFromDigits(const uint32_t* source, int count, int limbs);

// The same value with another number of fraction digits (truncated or padded).
WideFixed wideResize(const WideFixed& a, int limbs);

bool wideIsZero(const WideFixed& a);
bool wideLess(const WideFixed& a, const WideFixed& b);

WideFixed wideAdd(const WideFixed& a, const WideFixed& b);
WideFixed wideSub(const WideFixed& a, const WideFixed& b);
WideFixed wideMul(const WideFixed& a, const WideFixed& b);
WideFixed wideMulSmall(const WideFixed& a, uint32_t m);
WideFixed wideDivSmall(const WideFixed& a, uint32_t d);

// Multiplication or division by 2^bits, 0 <= bits < 32 * (limbs + 1).
WideFixed wideShiftLeft(const WideFixed& a, int bits);
WideFixed wideShiftRight(const WideFixed& a, int bits);
