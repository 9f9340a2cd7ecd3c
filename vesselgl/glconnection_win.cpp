// The connection watch on Windows: the window system lives in the process's own
// session and cannot go away under it, so there is nothing to watch.
#include "glconnection.h"

void connectionWatchStart() {}

void connectionWatchStop() {}

bool connectionLost()
{
    return false;
}
