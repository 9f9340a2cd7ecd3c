// How the host asks the program to run. Free: a random start spin, frames until
// a key. Fixed, for checks and previews (the web page's ?spin=S&frames=N):
// start spin S and no random numbers, frames 1 to N, frame N shown, then the
// end. One implementation is linked per platform: the desktop's always runs
// free, since the program ignores its command line.
#pragma once

#include <cstdint>

struct RunMode {
    bool fixed = false;
    int32_t startSpin = 0;  // 0..359 when fixed
    int32_t frames = 0;     // >= 1 when fixed
};

// A request outside those ranges is no request: the run is free.
RunMode runModeRequested();
