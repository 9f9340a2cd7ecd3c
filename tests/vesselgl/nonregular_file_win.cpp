// A file that is no regular one, for the texture tests on Windows: the NUL device, which
// opens anywhere and is a character device, not a disk file.
#include "tga_writer.h"

std::string makeNonRegularFile(const std::string&)
{
    return "NUL";
}
