// GLFW 3 behind the GL demo's window operations on the desktop. GLFW reports
// errors to no callback, so nothing but the demo's own message ever reaches
// the console. A display that goes away is the window's end, not the process's.
#include "glwindow.h"

#include "console.h"
#include "glconnection.h"
#include "glfwopen.h"
#include "presentarea.h"

#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>

#include <unistd.h>

namespace {

constexpr int kInitFailureWaitMs = 1000;

// The window was made hidden at 1x: it is sized and centred in the work area
// before anyone sees it. A monitor GLFW cannot tell leaves it at 1x.
void showAtLargestMultiple(GLFWwindow* window)
{
    int areaX = 0;
    int areaY = 0;
    int areaWidth = 0;
    int areaHeight = 0;
    GLFWmonitor* monitor = glfwGetPrimaryMonitor();
    if (monitor != nullptr) {
        glfwGetMonitorWorkarea(monitor, &areaX, &areaY, &areaWidth, &areaHeight);
    }
    const int scale = windowScaleFor(areaWidth, areaHeight, kScreenWidth, kScreenHeight);
    const int width = kScreenWidth * scale;
    const int height = kScreenHeight * scale;
    glfwSetWindowSize(window, width, height);
    glfwSetWindowPos(window, areaX + (areaWidth > width ? (areaWidth - width) / 2 : 0),
                     areaY + (areaHeight > height ? (areaHeight - height) / 2 : 0));
    glfwShowWindow(window);
}

}  // namespace

GLFWwindow* openDisplay(bool windowed)
{
    if (!glfwDemoStart()) {
        consoleWaitKey(STDIN_FILENO, kInitFailureWaitMs);
        glfwDemoEnd();
    }
    connectionWatchStart();
    WindowSettings settings = kWindowSettings;
    settings.fullScreen = !windowed;
    glfwWindowHint(GLFW_VISIBLE, windowed ? GLFW_FALSE : GLFW_TRUE);
    GLFWwindow* window = glfwDemoOpen(settings);
    if (window == nullptr) {
        glfwDemoEnd();
    }
    if (windowed) {
        showAtLargestMultiple(window);
    } else {
        glfwSetInputMode(window, GLFW_CURSOR, GLFW_CURSOR_DISABLED);
    }
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

void displayDrawableSize(GLFWwindow* window, int& width, int& height)
{
    glfwGetFramebufferSize(window, &width, &height);
}
