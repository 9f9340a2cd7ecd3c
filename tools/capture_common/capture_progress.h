// Signs of life for long captures: frames done, frames per second and the time
// left, redrawn in place on one line a few times a second. Shown only when the
// stream is a terminal; anywhere else nothing is written at all.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

struct ProgressMeter {
    std::FILE* stream = nullptr;  // nullptr: not a terminal, nothing is shown
    int32_t total = 0;
    std::chrono::steady_clock::time_point start{};
    std::chrono::steady_clock::time_point nextShow{};
    bool shown = false;           // a line is on the terminal and must be cleared
};

ProgressMeter progressStart(int32_t total, std::FILE* stream);
// Cheap when no line is due: one clock reading.
void progressFrameDone(ProgressMeter& meter, int32_t done);
// Clears the line, so what follows starts on a clean one.
void progressFinish(ProgressMeter& meter);

// "frame 51234/200000, 3412 frames/s, 44 s left"
std::string progressLine(int32_t done, int32_t total, double seconds);
