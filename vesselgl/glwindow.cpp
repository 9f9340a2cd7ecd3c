// GLFW 3 behind the GL demo's window operations. GLFW reports errors to no
// callback, so nothing but the demo's own message ever reaches the console.
// GLFW runs over X11 here; a display that goes away is the window's end, not
// the process's: Xlib is told to neither print nor exit, and the loop ends.
#include "glwindow.h"

#include "console.h"
#include "glfwdemo.h"

#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>
#define GLFW_EXPOSE_NATIVE_X11
#include <GLFW/glfw3native.h>

#include <unistd.h>

namespace {

constexpr int kInitFailureWaitMs = 1000;

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

}  // namespace

GLFWwindow* openDisplay()
{
    if (!glfwDemoStart()) {
        consoleWaitKey(STDIN_FILENO, kInitFailureWaitMs);
        glfwDemoEnd();
    }
    watchConnection();
    GLFWwindow* window = glfwDemoOpen(kWindowSettings);
    if (window == nullptr) {
        glfwDemoEnd();
    }
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
