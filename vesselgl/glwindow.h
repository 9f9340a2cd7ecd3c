// The GL demo's window: one full-screen 640x480 GLFW window (or a normal one)
// with its OpenGL context current on the calling thread, the cursor hidden and
// captured in full screen.
// Opening either succeeds or ends the process itself with status 0. One
// implementation is linked per platform: glwindow.cpp on an X11 desktop,
// glwindow_web.cpp on a web page's canvas (a window there, full screen on the
// visitor's request; presenting yields to the page).
#pragma once

struct GLFWwindow;

// On a failed glfwInit prints "Failed to initialize GLFW!", waits up to
// 1000 ms for a console key and exits; on a failed window, exits silently.
// windowed: a normal window at the largest whole multiple of 640x480 that fits
// the work area (at least 1x), the display mode left alone and the cursor shown.
GLFWwindow* openDisplay(bool windowed);
void closeDisplay(GLFWwindow* window);

// The size of the window's drawable in pixels, for the picture's viewport.
void displayDrawableSize(GLFWwindow* window, int& width, int& height);

// Presents the frame and processes pending window and keyboard events.
void displaySwap(GLFWwindow* window);
// Escape is down, or the window manager asked the window to close.
bool displayWantsQuit(GLFWwindow* window);
