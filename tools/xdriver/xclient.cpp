// What a user or a window manager does to a running program: look at the
// screen, press keys, ask windows to close. Each call opens its own short-lived
// connection, so callers need not manage X state.
#include "xdriver.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xrandr.h>
#include <X11/extensions/XTest.h>

#include "captureoutput.h"

#include <bit>
#include <chrono>
#include <thread>

namespace {

// Windows of the program under test come and go at any moment: one can vanish
// between listing it and looking at it. Xlib's default handler would end this
// process for that; here such a request just fails and the caller moves on.
int ignoreRequestError(Display*, XErrorEvent*)
{
    return 0;
}

struct ServerConnection {
    Display* display = nullptr;
    explicit ServerConnection(const std::string& name) : display(XOpenDisplay(name.c_str()))
    {
        XSetErrorHandler(ignoreRequestError);
    }
    ServerConnection(const ServerConnection&) = delete;
    ServerConnection& operator=(const ServerConnection&) = delete;
    ~ServerConnection()
    {
        if (display != nullptr) {
            XCloseDisplay(display);
        }
    }
};

// Places a channel's bits at the top of an 8-bit byte, low bits left zero.
uint32_t expandChannel(uint32_t raw, uint32_t mask)
{
    if (mask == 0) {
        return 0;
    }
    const int shift = std::countr_zero(mask);
    const int bits = std::popcount(mask);
    const uint32_t value = (raw & mask) >> shift;
    return bits >= 8 ? value >> (bits - 8) : value << (8 - bits);
}

void fillRgbFromMasks(Screenshot& shot)
{
    shot.rgb.resize(shot.raw.size());
    for (size_t i = 0; i < shot.raw.size(); ++i) {
        const uint32_t p = shot.raw[i];
        shot.rgb[i] = expandChannel(p, shot.redMask) << 16 |
                      expandChannel(p, shot.greenMask) << 8 | expandChannel(p, shot.blueMask);
    }
}

// Palette visuals: look every index up in the default colour map.
void fillRgbFromColormap(Display* display, Screenshot& shot)
{
    const int screen = DefaultScreen(display);
    const int entries = DisplayCells(display, screen);
    std::vector<XColor> colours(static_cast<size_t>(entries));
    for (int i = 0; i < entries; ++i) {
        colours[static_cast<size_t>(i)].pixel = static_cast<unsigned long>(i);
    }
    XQueryColors(display, DefaultColormap(display, screen), colours.data(), entries);
    shot.rgb.resize(shot.raw.size());
    for (size_t i = 0; i < shot.raw.size(); ++i) {
        const uint32_t index = shot.raw[i];
        if (index >= colours.size()) {
            shot.rgb[i] = 0;
            continue;
        }
        const XColor& c = colours[index];
        shot.rgb[i] = uint32_t(c.red >> 8) << 16 | uint32_t(c.green >> 8) << 8 | (c.blue >> 8);
    }
}

bool windowAcceptsDelete(Display* display, Window window, Atom deleteAtom)
{
    Atom* protocols = nullptr;
    int count = 0;
    bool accepts = false;
    if (XGetWMProtocols(display, window, &protocols, &count) != 0) {
        for (int i = 0; i < count; ++i) {
            accepts = accepts || protocols[i] == deleteAtom;
        }
        XFree(protocols);
    }
    return accepts;
}

std::vector<Window> topLevelWindows(Display* display)
{
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    std::vector<Window> windows;
    if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count) != 0) {
        windows.assign(children, children + count);
        XFree(children);
    }
    return windows;
}

bool isViewable(Display* display, Window window, XWindowAttributes& attributes)
{
    return XGetWindowAttributes(display, window, &attributes) != 0 &&
           attributes.map_state == IsViewable;
}

std::string windowTitle(Display* display, Window window)
{
    char* name = nullptr;
    XFetchName(display, window, &name);
    const std::string title = name != nullptr ? name : "";
    if (name != nullptr) {
        XFree(name);
    }
    return title;
}

// The CRTC that shows the primary output, else the first one with a mode.
RRCrtc shownCrtc(Display* display, XRRScreenResources* resources)
{
    const RROutput primary = XRRGetOutputPrimary(display, DefaultRootWindow(display));
    XRROutputInfo* output = primary != None ? XRRGetOutputInfo(display, resources, primary) : nullptr;
    RRCrtc crtc = output != nullptr ? output->crtc : None;
    if (output != nullptr) {
        XRRFreeOutputInfo(output);
    }
    for (int i = 0; crtc == None && i < resources->ncrtc; ++i) {
        XRRCrtcInfo* info = XRRGetCrtcInfo(display, resources, resources->crtcs[i]);
        crtc = info != nullptr && info->mode != None ? resources->crtcs[i] : None;
        if (info != nullptr) {
            XRRFreeCrtcInfo(info);
        }
    }
    return crtc;
}

bool randrMode(Display* display, int& width, int& height)
{
    int eventBase = 0;
    int errorBase = 0;
    if (!XRRQueryExtension(display, &eventBase, &errorBase)) {
        return false;
    }
    XRRScreenResources* resources = XRRGetScreenResourcesCurrent(display, DefaultRootWindow(display));
    if (resources == nullptr) {
        return false;
    }
    const RRCrtc crtc = shownCrtc(display, resources);
    XRRCrtcInfo* info = crtc != None ? XRRGetCrtcInfo(display, resources, crtc) : nullptr;
    const bool found = info != nullptr && info->mode != None;
    if (found) {
        width = static_cast<int>(info->width);
        height = static_cast<int>(info->height);
    }
    if (info != nullptr) {
        XRRFreeCrtcInfo(info);
    }
    XRRFreeScreenResources(resources);
    return found;
}

}  // namespace

bool xCurrentMode(const std::string& display, int& width, int& height)
{
    ServerConnection c{display};
    if (c.display == nullptr) {
        return false;
    }
    if (!randrMode(c.display, width, height)) {
        width = DisplayWidth(c.display, DefaultScreen(c.display));
        height = DisplayHeight(c.display, DefaultScreen(c.display));
    }
    return true;
}

bool xScreenshot(const std::string& display, Screenshot& shot)
{
    ServerConnection c{display};
    if (c.display == nullptr) {
        return false;
    }
    const int screen = DefaultScreen(c.display);
    const int width = DisplayWidth(c.display, screen);
    const int height = DisplayHeight(c.display, screen);
    XImage* image = XGetImage(c.display, DefaultRootWindow(c.display), 0, 0,
                              static_cast<unsigned>(width), static_cast<unsigned>(height),
                              AllPlanes, ZPixmap);
    if (image == nullptr) {
        return false;
    }
    shot.width = width;
    shot.height = height;
    shot.depth = image->depth;
    shot.raw.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            shot.raw[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] =
                static_cast<uint32_t>(XGetPixel(image, x, y));
        }
    }
    const Visual* visual = DefaultVisual(c.display, screen);
    const bool trueColour = visual->c_class == TrueColor || visual->c_class == DirectColor;
    shot.redMask = trueColour ? static_cast<uint32_t>(visual->red_mask) : 0;
    shot.greenMask = trueColour ? static_cast<uint32_t>(visual->green_mask) : 0;
    shot.blueMask = trueColour ? static_cast<uint32_t>(visual->blue_mask) : 0;
    XDestroyImage(image);
    if (trueColour) {
        fillRgbFromMasks(shot);
    } else {
        fillRgbFromColormap(c.display, shot);
    }
    return true;
}

bool writeScreenshotPng(const Screenshot& shot, const std::string& path)
{
    if (shot.width <= 0 || shot.height <= 0 ||
        shot.rgb.size() != static_cast<size_t>(shot.width) * static_cast<size_t>(shot.height)) {
        return false;
    }
    std::string reason;
    return captureWritePng(path, shot.rgb.data(), shot.width, shot.height, reason);
}

bool xSendKey(const std::string& display, const std::string& keysymName)
{
    ServerConnection c{display};
    if (c.display == nullptr) {
        return false;
    }
    int eventBase = 0;
    int errorBase = 0;
    int major = 0;
    int minor = 0;
    if (!XTestQueryExtension(c.display, &eventBase, &errorBase, &major, &minor)) {
        return false;
    }
    const KeySym keysym = XStringToKeysym(keysymName.c_str());
    const KeyCode keycode = keysym == NoSymbol ? 0 : XKeysymToKeycode(c.display, keysym);
    if (keycode == 0) {
        return false;
    }
    XTestFakeKeyEvent(c.display, keycode, True, CurrentTime);
    XSync(c.display, False);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    XTestFakeKeyEvent(c.display, keycode, False, CurrentTime);
    XSync(c.display, False);
    return true;
}

bool xRequestClose(const std::string& display)
{
    ServerConnection c{display};
    if (c.display == nullptr) {
        return false;
    }
    const Atom protocolsAtom = XInternAtom(c.display, "WM_PROTOCOLS", False);
    const Atom deleteAtom = XInternAtom(c.display, "WM_DELETE_WINDOW", False);
    int asked = 0;
    for (Window window : topLevelWindows(c.display)) {
        // Programs keep hidden helper windows too; only what the user sees is closed.
        XWindowAttributes attributes;
        if (!isViewable(c.display, window, attributes) ||
            !windowAcceptsDelete(c.display, window, deleteAtom)) {
            continue;
        }
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = protocolsAtom;
        event.xclient.format = 32;
        event.xclient.data.l[0] = static_cast<long>(deleteAtom);
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(c.display, window, False, NoEventMask, &event);
        ++asked;
    }
    XSync(c.display, False);
    return asked > 0;
}

bool xWaitForMappedWindow(const std::string& display, int timeoutMs)
{
    ServerConnection c{display};
    if (c.display == nullptr) {
        return false;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    do {
        XWindowAttributes attributes;
        for (Window window : topLevelWindows(c.display)) {
            if (isViewable(c.display, window, attributes)) {
                return true;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    } while (std::chrono::steady_clock::now() < deadline);
    return false;
}

std::vector<XWindowInfo> xMappedWindows(const std::string& display)
{
    std::vector<XWindowInfo> found;
    ServerConnection c{display};
    if (c.display == nullptr) {
        return found;
    }
    XWindowAttributes a;
    for (Window window : topLevelWindows(c.display)) {
        if (isViewable(c.display, window, a)) {
            const std::string title = windowTitle(c.display, window);
            found.push_back(XWindowInfo{a.x, a.y, a.width, a.height, title});
        }
    }
    return found;
}
