// The web page has no program file: its texture lies in the page's own file
// system, in the working directory, and nowhere else.
#include "programdir.h"

std::string programDataDir()
{
    return {};
}
