// Desktop platforms: the processor's hardware threads, 1 when unknown.
#include "cores.h"

#include <thread>

int32_t coresAvailable()
{
    const unsigned cores = std::thread::hardware_concurrency();
    return cores == 0 ? 1 : static_cast<int32_t>(cores);
}
