// The progress line of the capture tools. The rate counts everything since the
// start (saving frames included), which is what the time left depends on.
#include "capture_progress.h"

#include "capture_streams.h"

#include <cmath>

namespace {

using Clock = std::chrono::steady_clock;

constexpr Clock::duration kShowEvery = std::chrono::milliseconds(250);
constexpr const char* kClearLine = "\r\033[K";

std::string timeLeft(double seconds)
{
    const long whole = static_cast<long>(std::ceil(seconds));  // rounded up: never promise early
    char text[48];
    if (whole < 60) {
        std::snprintf(text, sizeof text, "%ld s left", whole);
    } else if (whole < 3600) {
        std::snprintf(text, sizeof text, "%ld min %02ld s left", whole / 60, whole % 60);
    } else {
        std::snprintf(text, sizeof text, "%ld h %02ld min left", whole / 3600, whole / 60 % 60);
    }
    return text;
}

}  // namespace

ProgressMeter progressStart(int32_t total, std::FILE* stream)
{
    ProgressMeter meter;
    meter.stream = stream != nullptr && captureStreamIsTerminal(stream) ? stream : nullptr;
    meter.total = total;
    meter.start = Clock::now();
    meter.nextShow = meter.start + kShowEvery;
    return meter;
}

void progressFrameDone(ProgressMeter& meter, int32_t done)
{
    if (meter.stream == nullptr) {
        return;
    }
    const Clock::time_point now = Clock::now();
    if (now < meter.nextShow) {
        return;
    }
    meter.nextShow = now + kShowEvery;
    const double seconds = std::chrono::duration<double>(now - meter.start).count();
    std::fprintf(meter.stream, "%s%s", kClearLine, progressLine(done, meter.total, seconds).c_str());
    std::fflush(meter.stream);
    meter.shown = true;
}

void progressFinish(ProgressMeter& meter)
{
    if (meter.stream != nullptr && meter.shown) {
        std::fputs(kClearLine, meter.stream);
        std::fflush(meter.stream);
    }
    meter.shown = false;
}

std::string progressLine(int32_t done, int32_t total, double seconds)
{
    const double perSecond = seconds > 0.0 ? done / seconds : 0.0;
    std::string line = "frame " + std::to_string(done) + "/" + std::to_string(total) + ", ";
    char rate[32];
    std::snprintf(rate, sizeof rate, "%.0f frames/s", perSecond);
    line += rate;
    if (perSecond > 0.0) {
        line += ", " + timeLeft((total - done) / perSecond);
    }
    return line;
}
