// The narrow platform interface under the screen: a display device with an
// exclusive full-screen mode or a normal window, a flip chain whose back buffer
// can be locked, the window's events, cursor and screen saver. Exactly one implementation is linked
// into a program (the SDL2 backend, or the tests' scriptable double). Calls that
// can fail return 1 on success and 0 on failure; none of them prints anything.
#pragma once

#include <cstdint>

enum class DisplayEventType : uint8_t {
    Other,         // anything the screen leaves to default handling
    Activate,      // active: 1 when the application gained activation, 0 when it lost it
    SetCursor,     // the pointer is over the window and wants a cursor
    KeyDown,       // a key went down (auto-repeat included)
    CloseRequest,  // the window manager or the user asks the window to close
};

struct DisplayEvent {
    DisplayEventType type = DisplayEventType::Other;
    int32_t active = 0;      // Activate only
    int32_t virtualKey = 0;  // KeyDown: a kVirtualKey* value of keyqueue.h, or kVirtualKeyNone
    int32_t layoutChar = 0;  // KeyDown: the layout's single character 1..255, or 0 for none
};

// The front buffer's format. bitCount is bytes per pixel x 8, so 15-bit modes
// report 16 and differ from 5-6-5 only in their masks.
struct DisplayPixelFormat {
    uint32_t bitCount = 0;
    uint32_t redMask = 0;
    uint32_t greenMask = 0;
    uint32_t blueMask = 0;
    bool isRgb = false;  // false for palette-indexed and other non-RGB formats
};

// A locked back buffer: rows of pitch bytes from pixels, row 0 at the top.
struct DisplayLockedBuffer {
    uint8_t* pixels = nullptr;
    int32_t pitch = 0;
    int32_t width = 0;   // the buffer's size in pixels, as the device reports it now
    int32_t height = 0;
};

// Acquisition, in the order the screen uses it; each pair is undone by the
// matching release below, which is safe when the acquisition never happened.
int32_t displayLoad();       // the platform's display services
int32_t displayCreate();     // the display device on the primary display
void displayCreateWindow(const char* title, int32_t width, int32_t height);  // hidden
int32_t displaySetExclusive();                                       // needs the window
int32_t displaySetMode(int32_t width, int32_t height, int32_t bitsPerPixel);
// 1 when the display has a mode of that size at any depth (a palette mode too).
int32_t displayOffersSize(int32_t width, int32_t height);

// In place of exclusive mode and a mode change: the largest client area a
// normal window can have on the primary display's work area, and the hidden
// window shown as a normal one (decorated, resizable, centred) with a client
// area of width x height. The flip chain is then one back buffer of the size
// given to displayCreateWindow, which the flip shows scaled into the window:
// by whole multiples where they fit, else nearest-neighbour, 4:3 with black bars.
int32_t displayUsableArea(int32_t& width, int32_t& height);
int32_t displayShowWindow(int32_t width, int32_t height);
// Asked once the flip chain is made: flips wait for the display's retrace.
// 1 when the chain offers such a wait, which may still not hold frames back
// (a virtual display has no retrace); 0 when its flips never wait.
int32_t displayWaitRetrace();
// The display's refresh rate in Hz, 0 when it reports none.
int32_t displayRefreshRate();
int32_t displayCreateFlipChain(int32_t backBuffers);  // 2 or 1; 0 asks for a lone primary
int32_t displayGetBackBuffer();                       // fails for a lone primary
int32_t displayGetPixelFormat(DisplayPixelFormat& format);
void displaySetScreenSaver(bool enabled);

void displayReleaseFlipChain();
void displayDestroy();        // restores the desktop mode and leaves exclusive mode
void displayDestroyWindow();
void displayUnload();

// Per frame.
int32_t displayPeekEvent(DisplayEvent& event);  // 1 and the next event, or 0 when none is left
void displayHideCursor();
void displayRestore();        // brings back lost surfaces; no result
int32_t displayLock(DisplayLockedBuffer& buffer);
void displayUnlock(const DisplayLockedBuffer& buffer);
void displayFlip();           // a refused flip loses the frame; waits only as displayWaitRetrace asked
void displaySleep(int32_t milliseconds);  // 0 gives up the rest of the time slice
