// The program's data folder on Linux, from /proc/self/exe: the kernel's own
// record of the program file, with every link resolved, so a program started
// through a link finds the data of the installation it really belongs to.
#include "programdir.h"

#include <filesystem>
#include <system_error>

std::string programDataDir()
{
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error || !program.is_absolute()) {
        return {};
    }
    // The program's folder is a real one (no links left), so ".." may be
    // resolved by the name alone.
    return (program.parent_path() / TUBE_DATA_FROM_PROGRAM_DIR).lexically_normal().string();
}
