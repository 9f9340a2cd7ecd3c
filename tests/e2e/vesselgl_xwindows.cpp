// Lists the root window's mapped children with their geometry and title.
#include "vesselgl_xwindows.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

WindowInfo describe(Display* display, Window window, const XWindowAttributes& a)
{
    char* name = nullptr;
    XFetchName(display, window, &name);
    WindowInfo info{a.x, a.y, a.width, a.height, name != nullptr ? name : ""};
    if (name != nullptr) {
        XFree(name);
    }
    return info;
}

}  // namespace

std::vector<WindowInfo> mappedWindows(const std::string& displayName)
{
    std::vector<WindowInfo> found;
    Display* display = XOpenDisplay(displayName.c_str());
    if (display == nullptr) {
        return found;
    }
    // A window may vanish between the listing and the look: its request fails
    // quietly instead of Xlib's default handler ending the test.
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) {
        for (unsigned int i = 0; i < count; ++i) {
            XWindowAttributes a{};
            if (XGetWindowAttributes(display, children[i], &a) && a.map_state == IsViewable) {
                found.push_back(describe(display, children[i], a));
            }
        }
        XFree(children);
    }
    XCloseDisplay(display);
    return found;
}
