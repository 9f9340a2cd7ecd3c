// A file that is no regular one, for the texture tests on POSIX systems: a FIFO.
#include "tga_writer.h"

#include <sys/stat.h>

std::string makeNonRegularFile(const std::string& dir)
{
    const std::string fifo = dir + "/fifo.tga";
    return mkfifo(fifo.c_str(), 0600) == 0 ? fifo : std::string();
}
