// The platform's answer to how many threads can run at once: one file per
// platform, linked by the build (cores.cpp, cores_web.cpp).
#pragma once

#include <cstdint>

// At least 1; exactly 1 where the platform runs no threads.
int32_t coresAvailable();
