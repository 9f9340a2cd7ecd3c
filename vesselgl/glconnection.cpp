// The connection watch over X11: Xlib is told to neither print nor exit when
// the display goes away, and the loop ends instead.
#include "glconnection.h"

#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>
#define GLFW_EXPOSE_NATIVE_X11
#include <GLFW/glfw3native.h>

namespace {

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

}  // namespace

void connectionWatchStart()
{
    Display* display = glfwGetX11Display();
    if (display == nullptr) {
        return;  // not on X11: nothing of Xlib's to quiet
    }
    connection.savedHandler = XSetIOErrorHandler(ignoreConnectionLoss);
    XSetIOErrorExitHandler(display, noteConnectionLoss, nullptr);
}

void connectionWatchStop()
{
    XSetIOErrorHandler(connection.savedHandler);  // the connection it watched is closed
    connection = ConnectionWatch{};
}

bool connectionLost()
{
    return connection.lost;
}
