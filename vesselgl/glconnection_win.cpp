// The connection watch on Windows: the window system lives in the process's own
// session and cannot go away under it, so there is nothing to watch. What needs
// care is GLFW's end instead: glfwTerminate unloads the XInput library that
// glfwInit loaded, while Wine's XInput runs a thread of its own in it. When the
// program ends right after start-up (a texture that will not load), that thread
// may still be starting and then executes unmapped code: a crash on the way
// out. Pinned, the library stays until the process ends, which stops its
// threads before it unmaps anything.
#include "glconnection.h"

#include <windows.h>

namespace {

// Every XInput library GLFW may load; it loads the first it finds.
constexpr const char* kXInputLibraries[] = {"xinput1_4.dll", "xinput1_3.dll", "xinput9_1_0.dll",
                                            "xinput1_2.dll", "xinput1_1.dll"};

}  // namespace

void connectionWatchStart()
{
    for (const char* name : kXInputLibraries) {
        HMODULE module = nullptr;
        GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_PIN, name, &module);  // only if loaded
    }
}

void connectionWatchStop() {}

bool connectionLost()
{
    return false;
}
