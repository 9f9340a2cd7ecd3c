// The display interface over an HTML5 canvas. The display is the page's canvas
// at the mode's size; its one back buffer is RGBA bytes in our memory, shown by
// the flip. The program's single thread is the page's: the sleep is where it
// yields, until the next animation frame, and the browser's events wait in a
// small queue until the screen asks for them. Several DirectDraw steps have
// nothing to do here and succeed at once. The only file of the window layer
// that includes Emscripten's headers; its JavaScript half is webdisplay.js.
#include "fbplatform.h"
#include "keyqueue.h"
#include "webinput.h"

#include <emscripten/html5.h>

#include <array>
#include <cstddef>
#include <vector>

extern "C" {
int32_t webDisplayProbe();
int32_t webDisplayAttach();
void webDisplaySetSize(int32_t width, int32_t height);
void webDisplaySetTitle(const char* title);
void webDisplayPresent(const uint8_t* rgba, int32_t width, int32_t height);
void webDisplayKeepAwake(int32_t awake);
// The page programs' shared half (web/webframe.js).
void webShowCursor(int32_t shown);
void webLeaveFullscreen();
void webFrameWait(int32_t milliseconds);
}

namespace {

constexpr int32_t kCanvasBits = 32;  // an RGBA canvas takes nothing else
constexpr int32_t kBytesPerPixel = 4;
constexpr size_t kEventSlots = 64;   // a full queue drops its oldest event
constexpr uint32_t kOpaque = 0xFF000000u;
// R, G, B in memory order: the canvas' byte order, read as little-endian words.
constexpr DisplayPixelFormat kCanvasFormat{32, 0x000000FF, 0x0000FF00, 0x00FF0000, true};
constexpr const char* kCanvasTarget = "!canvas";  // registered by webDisplayAttach

struct WebDisplay {
    bool loaded = false;
    bool windowUp = false;
    int32_t width = 0;   // the mode: the canvas' size
    int32_t height = 0;
    int32_t backBuffers = -1;
    std::vector<uint32_t> backBuffer;  // empty until displayGetBackBuffer
    std::array<DisplayEvent, kEventSlots> events{};
    size_t eventHead = 0;  // oldest unread
    size_t eventCount = 0;
    WebActivation activation;
};

WebDisplay web;

void queueEvent(const DisplayEvent& event)
{
    if (web.eventCount == kEventSlots) {
        web.eventHead = (web.eventHead + 1) % kEventSlots;
        --web.eventCount;
    }
    web.events[(web.eventHead + web.eventCount) % kEventSlots] = event;
    ++web.eventCount;
}

// The browser's default action (scrolling, leaving the page by Backspace, a
// reload by F5) is prevented only for the keys that reach the program.
EM_BOOL onKeyDown(int, const EmscriptenKeyboardEvent* key, void*)
{
    const DisplayEvent event = webTranslateKeyDown(
        WebKeyDown{key->key, key->ctrlKey != 0, key->altKey != 0, key->metaKey != 0});
    queueEvent(event);
    return translateKeyDown(event.virtualKey, event.layoutChar) != 0 ? EM_TRUE : EM_FALSE;
}

EM_BOOL onFocus(int eventType, const EmscriptenFocusEvent*, void*)
{
    DisplayEvent event;
    if (webActivationFocus(web.activation, eventType == EMSCRIPTEN_EVENT_FOCUS, event)) {
        queueEvent(event);
    }
    return EM_FALSE;
}

EM_BOOL onVisibility(int, const EmscriptenVisibilityChangeEvent* change, void*)
{
    DisplayEvent event;
    if (webActivationVisibility(web.activation, change->hidden == 0, event)) {
        queueEvent(event);
    }
    return EM_FALSE;
}

EM_BOOL onPointer(int, const EmscriptenMouseEvent*, void*)
{
    queueEvent(DisplayEvent{DisplayEventType::SetCursor, 0, 0, 0});
    return EM_FALSE;
}

// One switch for every listener, so that closing removes exactly what opening added.
void listen(bool on)
{
    const auto* window = EMSCRIPTEN_EVENT_TARGET_WINDOW;
    emscripten_set_keydown_callback(window, nullptr, EM_FALSE, on ? onKeyDown : nullptr);
    emscripten_set_focus_callback(window, nullptr, EM_FALSE, on ? onFocus : nullptr);
    emscripten_set_blur_callback(window, nullptr, EM_FALSE, on ? onFocus : nullptr);
    emscripten_set_visibilitychange_callback(nullptr, EM_FALSE, on ? onVisibility : nullptr);
    emscripten_set_mousemove_callback(kCanvasTarget, nullptr, EM_FALSE, on ? onPointer : nullptr);
}

}  // namespace

int32_t displayLoad()
{
    web.loaded = webDisplayProbe() != 0;  // a page without a 2D canvas has no display
    return web.loaded ? 1 : 0;
}

int32_t displayCreate()
{
    return web.loaded ? 1 : 0;
}

void displayCreateWindow(const char* title, int32_t, int32_t)
{
    if (!web.loaded || web.windowUp || webDisplayAttach() == 0) {
        return;
    }
    webDisplaySetTitle(title);
    EmscriptenVisibilityChangeEvent visibility{};
    emscripten_get_visibility_status(&visibility);
    DisplayEvent event;
    if (webActivationVisibility(web.activation, visibility.hidden == 0, event)) {
        queueEvent(event);
    }
    listen(true);
    web.windowUp = true;
}

int32_t displaySetExclusive()
{
    return web.windowUp ? 1 : 0;  // the page is the program's alone
}

int32_t displaySetMode(int32_t width, int32_t height, int32_t bitsPerPixel)
{
    if (!web.windowUp || bitsPerPixel != kCanvasBits) {
        return 0;
    }
    webDisplaySetSize(width, height);
    web.width = width;
    web.height = height;
    return 1;
}

// The page is a window already, scaled and paced by the page itself: the
// program never asks for these there.
int32_t displayOffersSize(int32_t, int32_t)
{
    return web.windowUp ? 1 : 0;  // a canvas takes any size
}

int32_t displayUsableArea(int32_t&, int32_t&)
{
    return 0;
}

int32_t displayShowWindow(int32_t, int32_t)
{
    return 0;
}

int32_t displayWaitRetrace()
{
    return 0;
}

int32_t displayRefreshRate()
{
    return 0;
}

int32_t displayCreateFlipChain(int32_t backBuffers)
{
    // One back buffer is all a canvas has: a deeper chain is refused, and a
    // lone primary has nothing that the screen could lock.
    if (web.width == 0 || backBuffers != 1) {
        return 0;
    }
    web.backBuffers = backBuffers;
    return 1;
}

int32_t displayGetBackBuffer()
{
    if (web.backBuffers != 1) {
        return 0;
    }
    web.backBuffer.assign(static_cast<size_t>(web.width) * static_cast<size_t>(web.height), kOpaque);
    return 1;
}

int32_t displayGetPixelFormat(DisplayPixelFormat& format)
{
    if (web.backBuffer.empty()) {
        return 0;
    }
    format = kCanvasFormat;
    return 1;
}

void displaySetScreenSaver(bool enabled)
{
    if (web.loaded) {
        webDisplayKeepAwake(enabled ? 0 : 1);
    }
}

void displayReleaseFlipChain()
{
    web.backBuffer = {};
    web.backBuffers = -1;
}

void displayDestroy()
{
    webLeaveFullscreen();  // the desktop's mode, as far as a page has one
    web.width = 0;
    web.height = 0;
}

void displayDestroyWindow()
{
    if (!web.windowUp) {
        return;
    }
    listen(false);
    webShowCursor(1);
    web.windowUp = false;  // the canvas keeps the last frame: the page decides what follows
}

void displayUnload()
{
    web = WebDisplay{};
}

int32_t displayPeekEvent(DisplayEvent& event)
{
    if (web.eventCount == 0) {
        return 0;
    }
    event = web.events[web.eventHead];
    web.eventHead = (web.eventHead + 1) % kEventSlots;
    --web.eventCount;
    return 1;
}

void displayHideCursor()
{
    webShowCursor(0);
}

void displayRestore()
{
    // Nothing is ever lost: the back buffer is ordinary memory.
}

int32_t displayLock(DisplayLockedBuffer& buffer)
{
    if (web.backBuffer.empty()) {
        return 0;
    }
    buffer = DisplayLockedBuffer{reinterpret_cast<uint8_t*>(web.backBuffer.data()),
                                 web.width * kBytesPerPixel, web.width, web.height};
    return 1;
}

void displayUnlock(const DisplayLockedBuffer&)
{
}

void displayFlip()
{
    if (web.backBuffer.empty()) {
        return;
    }
    // The canvas drops the colour of every pixel whose alpha is 0, and the
    // converter leaves that pad byte 0: the flip makes every pixel opaque.
    for (uint32_t& pixel : web.backBuffer) {
        pixel |= kOpaque;
    }
    webDisplayPresent(reinterpret_cast<const uint8_t*>(web.backBuffer.data()), web.width,
                      web.height);
}

void displaySleep(int32_t milliseconds)
{
    webFrameWait(milliseconds > 0 ? milliseconds : 0);
}
