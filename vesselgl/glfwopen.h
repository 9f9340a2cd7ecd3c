// The GL demo's GLFW window as every platform opens it: the frame buffer's bit
// depths asked for, 640x480, the library's default title "GLFW Window", the
// context made current. What surrounds it (the console wait, X11's error
// handling, the browser's page) is each platform's window unit's.
#pragma once

#include "conventions.h"

struct GLFWwindow;

struct WindowSettings {
    int width;
    int height;
    int redBits;
    int greenBits;
    int blueBits;
    int alphaBits;
    int depthBits;
    int stencilBits;
    bool fullScreen;  // on the primary monitor, in the video mode closest to the size
};

inline constexpr WindowSettings kWindowSettings{kScreenWidth, kScreenHeight, 8, 8, 8, 8, 32, 8,
                                                true};

// glfwInit; on failure prints "Failed to initialize GLFW!" and returns false.
bool glfwDemoStart();

// The window with its context current; nullptr, with GLFW terminated, when
// it cannot be opened.
GLFWwindow* glfwDemoOpen(const WindowSettings& settings);

// Ends the process with status 0, standard output flushed.
[[noreturn]] void glfwDemoEnd();
