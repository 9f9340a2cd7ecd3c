// The demos' random source: whatever generator the C library has, cut to the
// 15 bits that every rand() offers.
#include "conventions.h"

#include <cstdlib>

namespace {

constexpr int kRandomResolution = 32768;

}  // namespace

double randomUnit()
{
    return static_cast<double>(std::rand() % kRandomResolution) / kRandomResolution;
}
