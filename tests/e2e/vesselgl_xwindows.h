// What a window manager would see of the GL demo: its mapped top-level windows.
// Kept apart from the tests because Xlib's macros collide with GoogleTest's names.
#pragma once

#include <string>
#include <vector>

struct WindowInfo {
    int x;
    int y;
    int width;
    int height;
    std::string title;  // WM_NAME
};

// Empty when the display cannot be opened.
std::vector<WindowInfo> mappedWindows(const std::string& displayName);
