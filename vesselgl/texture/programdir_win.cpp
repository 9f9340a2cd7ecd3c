// The program's data folder on Windows: the folder of the .exe itself, where
// the zip puts the texture, wherever the program is started from. The ANSI
// path is the one CreateFileA (filebytes_win.cpp) reads the texture through.
#include "programdir.h"

#include <windows.h>

#include <string>

std::string programDataDir()
{
    std::string path(MAX_PATH, '\0');
    for (;;) {
        const DWORD length = GetModuleFileNameA(nullptr, path.data(), DWORD(path.size()));
        if (length == 0) {
            return {};
        }
        if (length < path.size()) {  // a path that filled the buffer may have been cut short
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    const std::string::size_type slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}
