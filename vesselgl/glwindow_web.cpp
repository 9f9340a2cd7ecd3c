// The GL demo's window in a web page: Emscripten's GLFW 3 on the page's canvas
// with a WebGL context. The browser owns the main loop, so presenting a frame
// is where the program yields to the page until the next animation frame.
// Full screen is the page's business (browsers grant it only to a gesture), so
// the window opens on the canvas as it is. Emscripten's GLFW has no sticky
// keys, so a callback latches Escape; it never reports a close request. A
// fixed run (?frames=N, Module.fixedRun) draws frames 1 to N, yields only when
// its pace says so, and ends after frame N with the canvas showing it. The
// JavaScript half is glwindow_web.js, with the page programs' shared
// web/webframe.js.
#include "glwindow.h"

#include "fixedrunpace.h"
#include "glfwopen.h"

#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>

#include <cstdint>

extern "C" {
// N of the page's fixed run, or 0 for a free run.
int32_t glWindowFixedFrames();
// Resumes on the first animation frame at least that long after the call;
// the program's stack is unwound and rewound around it (Asyncify).
void webFrameWait(int32_t milliseconds);
void webFramePresented();
void webShowCursor(int32_t shown);
void webLeaveFullscreen();
}

namespace {

struct WebWindow {
    bool escape = false;
    int32_t fixedFrames = 0;
    int32_t framesShown = 0;
    FixedRunPace pace;
};

WebWindow webWindow;

void latchEscape(GLFWwindow*, int key, int, int action, int)
{
    if (key == GLFW_KEY_ESCAPE && action == GLFW_PRESS) {
        webWindow.escape = true;
    }
}

}  // namespace

GLFWwindow* openDisplay(bool)
{
    if (!glfwDemoStart()) {
        glfwDemoEnd();  // no console to wait for a key on
    }
    WindowSettings onCanvas = kWindowSettings;
    onCanvas.fullScreen = false;
    GLFWwindow* window = glfwDemoOpen(onCanvas);
    if (window == nullptr) {
        glfwDemoEnd();
    }
    glfwSetKeyCallback(window, latchEscape);
    webShowCursor(0);
    webWindow = WebWindow{false, glWindowFixedFrames(), 0, fixedRunPaceStart(fixedRunClockMs())};
    return window;
}

void closeDisplay(GLFWwindow* window)
{
    webShowCursor(1);
    webLeaveFullscreen();
    glfwDestroyWindow(window);  // GLFW's page handlers do nothing without a window
    // Terminating shrinks the canvas to 1x1, and a fixed run's canvas keeps
    // frame N; GLFW then stays initialised until the page goes.
    if (webWindow.fixedFrames == 0) {
        glfwTerminate();
    }
}

void displaySwap(GLFWwindow* window)
{
    glfwSwapBuffers(window);
    webFramePresented();
    ++webWindow.framesShown;
    // A fixed run's last frame is shown when the program ends and returns
    // control to the page; on the way, a frame now and then hands the page
    // control, so that a long run neither freezes it nor looks stuck.
    if (webWindow.fixedFrames == 0) {
        webFrameWait(0);
    } else if (fixedRunPaceFrameDone(webWindow.pace, fixedRunClockMs()) &&
               webWindow.framesShown < webWindow.fixedFrames) {
        webFrameWait(0);
        fixedRunPaceResumed(webWindow.pace, fixedRunClockMs());
    }
}

bool displayWantsQuit(GLFWwindow*)
{
    return webWindow.fixedFrames > 0 ? webWindow.framesShown >= webWindow.fixedFrames
                                     : webWindow.escape;
}

void displayDrawableSize(GLFWwindow* window, int& width, int& height)
{
    glfwGetFramebufferSize(window, &width, &height);
}
