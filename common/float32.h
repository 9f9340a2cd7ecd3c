// Rounding to a 32-bit float that no optimiser can undo. The geometry of both
// demos rounds named intermediates to float and then widens them again; a
// compiler that folds such a narrowing and widening away (GCC 12 does, once it
// has vectorised the pair) computes with the unrounded double instead.
#pragma once

// The value passes through a volatile float: the read is a float the compiler
// cannot know, so the rounding happens on every compiler and with any flags.
// About a store and a load each: for values computed once per ring, not per point.
inline float roundToFloat32(double value)
{
    volatile float stored = static_cast<float>(value);
    return stored;
}
