// A scriptable stand-in for the display interface, linked into the window tests
// instead of a real backend. Each step can be told to fail, the pixel format and
// the locked buffer's geometry are free to set, events are queued by the test,
// and every call is recorded together with whether the key hooks were installed.
#pragma once

#include "fbplatform.h"

#include <cstdint>
#include <deque>
#include <set>
#include <string>
#include <vector>

struct FakeDisplayCall {
    std::string name;  // e.g. "setMode 24", "createFlipChain 1", "sleep 0"
    bool hooksInstalled = false;
};

struct FakeDisplay {
    // Script.
    bool refuseLoad = false;
    bool refuseCreate = false;
    bool refuseExclusive = false;
    std::set<int32_t> acceptedModeBits{32, 24, 16};
    std::set<int32_t> acceptedBackBuffers{2, 1, 0};
    bool refusePixelFormat = false;
    bool refuseLock = false;
    int32_t usableWidth = 1920;   // the work area; 0 x 0 refuses the query
    int32_t usableHeight = 1050;
    bool refuseShowWindow = false;
    bool offersRetraceWait = true;
    int32_t refreshRate = 0;
    DisplayPixelFormat format{32, 0xFF0000, 0xFF00, 0xFF, true};
    int32_t bufferWidth = 0;   // 0: the mode's width
    int32_t bufferHeight = 0;  // 0: the mode's height
    int32_t pitchPadding = 0;  // bytes beyond each row
    std::deque<DisplayEvent> events;

    // Observations.
    std::vector<FakeDisplayCall> calls;
    std::vector<uint8_t> buffer;  // the back buffer, pitch x height bytes, 0xAB when locked
    int32_t pitch = 0;
    int32_t modeWidth = 0;
    int32_t modeHeight = 0;
    int32_t chainBackBuffers = -1;
    bool screenSaverEnabled = true;
    bool cursorHidden = false;
    int32_t flips = 0;
};

// The one fake behind fbplatform.h; reset before each test.
FakeDisplay& fakeDisplay();
void fakeDisplayReset();
std::vector<std::string> fakeDisplayCallNames();
