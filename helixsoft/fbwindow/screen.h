// The framebuffer window: shows a caller's buffer of 32-bit pixels full screen
// in the display's own format (or scaled in a normal window) and feeds the
// keyboard into the key queue. The
// buffer is width x height pixels 0x00RRGGBB, row-major, row 0 at the top; it is
// read only during screenUpdate. Results are 1 for success and 0 for failure,
// with no message. Single-threaded: events are handled only inside the calls.
#pragma once

#include "fbplatform.h"

#include <cstdint>
#include <string>

struct ScreenOptions {
    // A normal window at the largest whole multiple of the size that fits the
    // work area (at least 1x), the picture scaled into it; the display mode is
    // left alone and the cursor is not hidden.
    bool windowed = false;
    // Flips wait for the display's retrace where the platform offers that.
    bool retraceWait = false;
};

// Opens the window and the display at width x height, 32, 24 or 16 bits per
// pixel (or in a window, as options ask), and installs the key hooks as its
// last step. title names the window. A failure returns 0 at once and keeps
// whatever the steps before acquired; screenClose releases it. A null title
// or a size below 1 x 1 fails first.
int32_t screenOpen(const char* title, int32_t width, int32_t height,
                   const ScreenOptions& options = {});

// 1 when the last open failed because the display has no mode of the size at
// all, at any depth (where a window would still do); 0 otherwise.
int32_t screenModeSizeMissing();

// The display's refresh rate in Hz, 0 when it reports none or no screen is open.
int32_t screenRefreshRate();

// 1 when the open screen's flips wait for the retrace (asked for and offered).
int32_t screenRetraceWaits();

// Handles the window's events, then converts pixels into the back buffer and
// flips it. 1 when the frame was shown or skipped because the application is
// inactive; 0 when the frame was dropped: no open display, a null buffer, a
// failed lock, or a back buffer now smaller than the frame.
int32_t screenUpdate(const uint32_t* pixels);

// Restores the display and releases everything that exists, then removes the
// key hooks. Safe after a failed or partial screenOpen, and twice.
void screenClose();

// The window's event handler, run by screenUpdate for every pending event.
void screenWindowProc(const DisplayEvent& event);

// 1 once the window has been asked to close (the program ends as on a key).
int32_t screenCloseRequested();

// 1 while the application is active, so that updates draw; 0 after it lost
// activation (on the web: the page is hidden or has no keyboard focus).
int32_t screenActive();

// The three key hooks that screenOpen installs. screenPollKey takes the oldest
// queued key as its string (keyCodeString), "" when none; screenKeyWaiting says
// whether a key is queued and leaves it there.
std::string screenPollKey();
int32_t screenKeyWaiting();
// The wait takes the next key code, handling window events between attempts
// so that keys can arrive at all; every attempt ends with a 20 ms sleep.
// Returns 0 at once when no screen is open or after a close request.
int32_t screenWaitKey();
