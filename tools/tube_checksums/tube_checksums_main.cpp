// tube-checksums: builds the GL demo's tube frame after frame, as the demo
// does, and writes each frame's checksum. Exit 0 on success (and for --help);
// 2 with a reason and the usage on bad arguments; 1 with a reason when the
// file or the summary cannot be written.
#include "captureoutput.h"
#include "tubesums.h"

#include <string>
#include <vector>

namespace {

constexpr const char* kTool = "tube-checksums";

}  // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    int status = 0;
    if (!captureStart(kTool, kTubeSumsUsage, args, status)) {
        return status;
    }
    TubeSumsOptions options;
    std::string reason;
    if (!tubeSumsParseArgs(args, options, reason)) {
        return captureFailed(kTool, reason, kTubeSumsUsage);
    }
    double buildMs = 0.0;
    if (!tubeSumsRun(options, buildMs, reason)) {
        return captureFailed(kTool, reason, nullptr);
    }
    return captureFinish(kTool, options.frames, buildMs);
}
