// GLFW 3 behind the GL demo's window operations. GLFW reports errors to no
// callback, so nothing but the demo's own message ever reaches the console.
// GLFW runs over X11 here; a display that goes away is the window's end, not
// the process's: Xlib is told to neither print nor exit, and the loop ends.
#include "glwindow.h"

#include "console.h"

#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>
#define GLFW_EXPOSE_NATIVE_X11
#include <GLFW/glfw3native.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kInitFailureWaitMs = 1000;

struct WindowSettings {
    int width;
    int height;
    int redBits;
    int greenBits;
    int blueBits;
    int alphaBits;
    int depthBits;
    int stencilBits;
    bool fullScreen;
};

constexpr WindowSettings kWindowSettings{640, 480, 8, 8, 8, 8, 32, 8, true};
constexpr const char* kWindowTitle = "GLFW Window";

struct ConnectionWatch {
    XIOErrorHandler savedHandler = nullptr;
    bool lost = false;  // the connection to the X server broke; Xlib's calls now do nothing
};

ConnectionWatch connection;

// Xlib's own handler prints the broken connection; the loop reports it instead.
int ignoreConnectionLoss(Display*)
{
    return 0;
}

// Replaces Xlib's exit: returning leaves the connection dead but the process running.
void noteConnectionLoss(Display*, void*)
{
    connection.lost = true;
}

void watchConnection()
{
    Display* display = glfwGetX11Display();
    if (display == nullptr) {
        return;  // not on X11: nothing of Xlib's to quiet
    }
    connection.savedHandler = XSetIOErrorHandler(ignoreConnectionLoss);
    XSetIOErrorExitHandler(display, noteConnectionLoss, nullptr);
}

[[noreturn]] void endProcess()
{
    std::fflush(stdout);
    std::exit(0);
}

void hintBitDepths(const WindowSettings& s)
{
    glfwWindowHint(GLFW_RED_BITS, s.redBits);
    glfwWindowHint(GLFW_GREEN_BITS, s.greenBits);
    glfwWindowHint(GLFW_BLUE_BITS, s.blueBits);
    glfwWindowHint(GLFW_ALPHA_BITS, s.alphaBits);
    glfwWindowHint(GLFW_DEPTH_BITS, s.depthBits);
    glfwWindowHint(GLFW_STENCIL_BITS, s.stencilBits);
}

}  // namespace

GLFWwindow* openDisplay()
{
    const WindowSettings& s = kWindowSettings;
    if (glfwInit() == GLFW_FALSE) {
        std::fputs("Failed to initialize GLFW!\n", stdout);
        std::fflush(stdout);
        consoleWaitKey(STDIN_FILENO, kInitFailureWaitMs);
        endProcess();  // GLFW is not terminated on this path: it never started
    }
    watchConnection();
    hintBitDepths(s);
    GLFWmonitor* monitor = s.fullScreen ? glfwGetPrimaryMonitor() : nullptr;
    GLFWwindow* window = glfwCreateWindow(s.width, s.height, kWindowTitle, monitor, nullptr);
    if (window == nullptr) {
        glfwTerminate();
        endProcess();
    }
    glfwMakeContextCurrent(window);
    glfwSetInputMode(window, GLFW_CURSOR, GLFW_CURSOR_DISABLED);
    // A tap of Escape that is pressed and released between two polls must
    // still end the loop: sticky keys report it as pressed at the next poll.
    glfwSetInputMode(window, GLFW_STICKY_KEYS, GLFW_TRUE);
    glfwSwapInterval(1);
    return window;
}

void closeDisplay(GLFWwindow* window)
{
    glfwDestroyWindow(window);
    glfwTerminate();
    XSetIOErrorHandler(connection.savedHandler);  // the connection it watched is closed
    connection = ConnectionWatch{};
}

void displaySwap(GLFWwindow* window)
{
    glfwSwapBuffers(window);
    glfwPollEvents();
}

bool displayWantsQuit(GLFWwindow* window)
{
    return connection.lost || glfwGetKey(window, GLFW_KEY_ESCAPE) == GLFW_PRESS ||
           glfwWindowShouldClose(window) == GLFW_TRUE;
}
