// The GL demo's window: one full-screen 640x480 GLFW window with its OpenGL
// context current on the calling thread, the cursor hidden and captured.
// Opening either succeeds or ends the process itself with status 0. One
// implementation is linked per platform: glwindow.cpp on an X11 desktop,
// glwindow_web.cpp on a web page's canvas (a window there, full screen on the
// visitor's request; presenting yields to the page).
#pragma once

struct GLFWwindow;

// On a failed glfwInit prints "Failed to initialize GLFW!", waits up to
// 1000 ms for a console key and exits; on a failed window, exits silently.
GLFWwindow* openDisplay();
void closeDisplay(GLFWwindow* window);

// Presents the frame and processes pending window and keyboard events.
void displaySwap(GLFWwindow* window);
// Escape is down, or the window manager asked the window to close.
bool displayWantsQuit(GLFWwindow* window);
