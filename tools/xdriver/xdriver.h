// Drives a real X server the way a user would, for the end-to-end tests and the
// demo script: starts a private Xvfb (or Xorg with the dummy video driver, which
// switches modes), takes screenshots of the root window, reads the video mode,
// types keys through XTEST and asks windows to close as a window manager does.
// Every function returns false on failure and leaves nothing running behind.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

struct XServerProcess {
    pid_t pid = -1;
    std::string display;  // ":N", valid while pid > 0
    std::string folder;   // Xorg's configuration and log; "" for Xvfb
};

// Starts Xvfb with one screen of width x height at the given depth (8, 15,
// 16 or 24) on a display number that is free, and waits until it accepts
// connections (at most about 10 s).
bool xvfbStart(XServerProcess& server, int width, int height, int depth);
void xvfbStop(XServerProcess& server);

// Starts Xorg with the dummy video driver on a free display number: one screen
// at depth 24 in 1920x1080, which also offers 640x480 through RandR (and the
// driver's usual modes). Needs root and Debian's xserver-xorg-video-dummy;
// false with the reason (the server's last error line) when it cannot run.
bool xorgDummyStart(XServerProcess& server, std::string& reason);
// Stops either server and removes its folder.
void xServerStop(XServerProcess& server);

// The size of the display's current video mode: the primary output's CRTC
// through RandR (a mode switch leaves the root window's size alone), or the
// root window's size where RandR is missing.
bool xCurrentMode(const std::string& display, int& width, int& height);

struct Screenshot {
    int width = 0;
    int height = 0;
    int depth = 0;                // the root window's depth: 8, 15, 16 or 24
    uint32_t redMask = 0;         // the visual's masks, 0 for palette visuals
    uint32_t greenMask = 0;
    uint32_t blueMask = 0;
    std::vector<uint32_t> raw;    // pixel values as the server stores them, row 0 at the top
    std::vector<uint32_t> rgb;    // 0x00RRGGBB; each channel's bits at the top of its byte,
                                  // low bits zero (5-6-5 red 0x1F becomes 0xF8)
};

// Captures the whole root window of `display` (":N").
bool xScreenshot(const std::string& display, Screenshot& shot);
// Writes shot.rgb as an 8-bit RGB PNG.
bool writeScreenshotPng(const Screenshot& shot, const std::string& path);

// Presses and releases one key, named as an X keysym ("Escape", "a", "space", "F1").
bool xSendKey(const std::string& display, const std::string& keysymName);
// Sends WM_DELETE_WINDOW to every top-level window that accepts it; true when
// at least one window was asked.
bool xRequestClose(const std::string& display);
// Waits until some top-level window is mapped (viewable); false after timeoutMs.
bool xWaitForMappedWindow(const std::string& display, int timeoutMs);

// What a window manager sees of a mapped top-level window.
struct XWindowInfo {
    int x;
    int y;
    int width;
    int height;
    std::string title;  // WM_NAME
};

// The mapped top-level windows; empty when the display cannot be opened.
std::vector<XWindowInfo> xMappedWindows(const std::string& display);
