// What a demo's frame loop does after each frame it shows: count it for the
// --fps line and, when paced, wait until the next frame is due. Times are
// seconds on a monotonic clock, so the counting and the pacing are plain
// arithmetic that tests can drive with their own clock.
#pragma once

#include "runoptions.h"

#include <cstdint>
#include <string>

inline constexpr double kFpsIntervalSeconds = 5.0;
inline constexpr int32_t kDefaultRefreshHz = 60;  // when the display reports no rate

// "300 frames in 5.0 seconds = 60.000 FPS", as glxgears prints it, line break included.
std::string fpsLine(int32_t frames, double seconds);

struct FpsCounter {
    bool started = false;
    double since = 0.0;  // when the frames being counted began
    int32_t frames = 0;
};

// Counts a frame shown at now. Once kFpsIntervalSeconds have passed since the
// count began (the first frame begins it), gives the line and begins again.
bool fpsCounterFrame(FpsCounter& counter, double now, std::string& line);

// Pacing to the display's refresh. A platform may offer to wait for the
// retrace and still not do it (a virtual X server has no retrace, and Wine's
// DirectDraw answers at once): the frames are timed in runs of a quarter second,
// and once a run comes faster than 4/3 of the refresh rate, a clock paces the
// rest at the refresh rate instead, on fixed deadlines so that the rate holds
// on average. After a stall the clock starts afresh rather than rushing frames.
enum class PacerPhase : uint8_t { probing, retrace, clock };

struct FramePacer {
    PacerPhase phase = PacerPhase::clock;
    double period = 1.0 / kDefaultRefreshHz;
    int32_t probeFrames = 0;
    double probeStart = 0.0;
    double nextDue = 0.0;  // when the clock shows the next frame; 0: not yet set
};

// refreshHz 0 or below: the default rate.
void framePacerStart(FramePacer& pacer, int32_t refreshHz, bool retraceWaitOffered);
// A frame was shown at now: the seconds to wait before the next one.
double framePacerWait(FramePacer& pacer, double now);

struct FrameRun {
    bool showFps = false;
    bool paced = false;
    FpsCounter fps;
    FramePacer pacer;
};

void frameRunStart(FrameRun& run, const RunOptions& options, int32_t refreshHz,
                   bool retraceWaitOffered);
// After each shown frame: the --fps line on standard error, then the pacing wait.
void frameRunShown(FrameRun& run);
