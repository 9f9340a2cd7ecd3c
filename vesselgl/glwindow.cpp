// GLFW 3 behind the GL demo's window operations on the desktop. GLFW reports
// errors to no callback, so nothing but the demo's own message ever reaches
// the console. A display that goes away is the window's end, not the process's.
#include "glwindow.h"

#include "console.h"
#include "glconnection.h"
#include "glfwopen.h"

#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>

#include <unistd.h>

namespace {

constexpr int kInitFailureWaitMs = 1000;

}  // namespace

GLFWwindow* openDisplay()
{
    if (!glfwDemoStart()) {
        consoleWaitKey(STDIN_FILENO, kInitFailureWaitMs);
        glfwDemoEnd();
    }
    connectionWatchStart();
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
    connectionWatchStop();
}

void displaySwap(GLFWwindow* window)
{
    glfwSwapBuffers(window);
    glfwPollEvents();
}

bool displayWantsQuit(GLFWwindow* window)
{
    return connectionLost() || glfwGetKey(window, GLFW_KEY_ESCAPE) == GLFW_PRESS ||
           glfwWindowShouldClose(window) == GLFW_TRUE;
}
