// Opening the GL demo's GLFW window, shared by the desktop and the browser.
#include "glfwopen.h"

#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr const char* kWindowTitle = "GLFW Window";

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

bool glfwDemoStart()
{
    if (glfwInit() == GLFW_FALSE) {
        std::fputs("Failed to initialize GLFW!\n", stdout);
        std::fflush(stdout);
        return false;  // GLFW is not terminated on this path: it never started
    }
    return true;
}

GLFWwindow* glfwDemoOpen(const WindowSettings& s)
{
    hintBitDepths(s);
    GLFWmonitor* monitor = s.fullScreen ? glfwGetPrimaryMonitor() : nullptr;
    GLFWwindow* window = glfwCreateWindow(s.width, s.height, kWindowTitle, monitor, nullptr);
    if (window == nullptr) {
        glfwTerminate();
        return nullptr;
    }
    glfwMakeContextCurrent(window);
    return window;
}

void glfwDemoEnd()
{
    std::fflush(stdout);
    std::exit(0);
}
