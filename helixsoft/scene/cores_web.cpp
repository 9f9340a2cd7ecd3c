// The web build runs without threads (no shared memory between workers), so
// the frame stays on the page's one thread.
#include "cores.h"

int32_t coresAvailable()
{
    return 1;
}
