// Screenshots of the GL demo against its off-screen frames.
#include "glscreen.h"

#include "conventions.h"
#include "glframe.h"
#include "offscreen.h"

#include <chrono>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kSearchFrames = 600;
constexpr double kMatchShare = 0.995;

}  // namespace

Picture pictureOf(const Screenshot& shot)
{
    return Picture{shot.width, shot.height, shot.rgb};
}

bool firstLitShot(const std::string& display, int timeoutMs, Screenshot& shot, double litShare)
{
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (Clock::now() < deadline) {
        if (xScreenshot(display, shot) && pictureLook(pictureOf(shot)).litShare > litShare) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

int capturedFrameLike(const Picture& shot, const char* texturePath, PictureDiff& best)
{
    if (!offscreenOpen()) {
        return 0;
    }
    GlDemo demo;
    int found = 0;
    std::vector<uint32_t> pixels(kOffscreenPixels);
    if (glDemoStart(demo, texturePath) == GlDemoStart::started) {
        for (int frame = 1; frame <= kSearchFrames && found == 0; ++frame) {
            glDemoFrame(demo);
            offscreenFinish();
            offscreenRead(pixels.data());
            const PictureDiff diff =
                pictureCompare(shot, Picture{kScreenWidth, kScreenHeight, pixels}, 2);
            best = diff.shareWithin > best.shareWithin ? diff : best;
            found = diff.shareWithin >= kMatchShare ? frame : 0;
        }
    }
    glDemoStop();
    offscreenClose();
    return found;
}
