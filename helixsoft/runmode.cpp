// The desktop has no host that asks for a fixed run.
#include "runmode.h"

RunMode runModeRequested()
{
    return RunMode{};
}
