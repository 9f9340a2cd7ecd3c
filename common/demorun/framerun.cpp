// The frame-rate line and the pacing clock, over std::chrono's steady clock.
#include "framerun.h"

#include <chrono>
#include <cstdio>
#include <thread>

namespace {

constexpr int32_t kProbeFrames = 15;          // a quarter of a second at 60 Hz
constexpr double kProbeSlowestShare = 0.75;   // of the refresh period per frame
constexpr double kStallPeriods = 4.0;         // further behind than this: start afresh

double nowSeconds()
{
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration<double>(since).count();
}

double clockWait(FramePacer& pacer, double now)
{
    if (pacer.nextDue == 0.0 || now - pacer.nextDue > kStallPeriods * pacer.period) {
        pacer.nextDue = now;
    }
    const double wait = pacer.nextDue > now ? pacer.nextDue - now : 0.0;
    pacer.nextDue += pacer.period;
    return wait;
}

// Frames slowed by the processor rather than by the retrace look paced, so the
// timing goes on in runs of kProbeFrames: the first run too fast hands over to the clock.
void probeFrame(FramePacer& pacer, double now)
{
    if (pacer.probeFrames == 0) {
        pacer.probeStart = now;
    }
    if (++pacer.probeFrames <= kProbeFrames) {
        return;
    }
    const double slowest = kProbeFrames * pacer.period * kProbeSlowestShare;
    pacer.phase = now - pacer.probeStart >= slowest ? PacerPhase::retrace : PacerPhase::clock;
    pacer.probeFrames = 0;
}

}  // namespace

std::string fpsLine(int32_t frames, double seconds)
{
    char line[96];
    std::snprintf(line, sizeof line, "%d frames in %3.1f seconds = %6.3f FPS\n", frames, seconds,
                  seconds > 0.0 ? frames / seconds : 0.0);
    return line;
}

bool fpsCounterFrame(FpsCounter& counter, double now, std::string& line)
{
    if (!counter.started) {
        counter = FpsCounter{true, now, 0};
        return false;
    }
    ++counter.frames;
    if (now - counter.since < kFpsIntervalSeconds) {
        return false;
    }
    line = fpsLine(counter.frames, now - counter.since);
    counter = FpsCounter{true, now, 0};
    return true;
}

void framePacerStart(FramePacer& pacer, int32_t refreshHz, bool retraceWaitOffered)
{
    pacer = FramePacer{};
    pacer.period = 1.0 / (refreshHz > 0 ? refreshHz : kDefaultRefreshHz);
    pacer.phase = retraceWaitOffered ? PacerPhase::probing : PacerPhase::clock;
}

double framePacerWait(FramePacer& pacer, double now)
{
    if (pacer.phase != PacerPhase::clock) {
        probeFrame(pacer, now);
    }
    return pacer.phase == PacerPhase::clock ? clockWait(pacer, now) : 0.0;
}

void frameRunStart(FrameRun& run, const RunOptions& options, int32_t refreshHz,
                   bool retraceWaitOffered)
{
    run = FrameRun{};
    run.showFps = options.fps;
    run.paced = options.paced;
    framePacerStart(run.pacer, refreshHz, retraceWaitOffered);
}

void frameRunShown(FrameRun& run)
{
    if (!run.showFps && !run.paced) {
        return;
    }
    const double now = nowSeconds();
    std::string line;
    if (run.showFps && fpsCounterFrame(run.fps, now, line)) {
        std::fputs(line.c_str(), stderr);
        std::fflush(stderr);
    }
    if (run.paced) {
        const double wait = framePacerWait(run.pacer, now);
        if (wait > 0.0) {
            std::this_thread::sleep_for(std::chrono::duration<double>(wait));
        }
    }
}
