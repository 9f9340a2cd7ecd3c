// helixsoft-capture: renders the software demo headless and saves chosen frames
// as PNG files. Exit 0 on success; 2 with a reason and the usage on bad
// arguments or an output that cannot be written.
#include "capture.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kExitBadArguments = 2;

int fail(const std::string& reason)
{
    std::fprintf(stderr, "helixsoft-capture: %s\n%s", reason.c_str(), kCaptureUsage);
    return kExitBadArguments;
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    CaptureOptions options;
    std::string reason;
    if (!captureParseArgs(args, options, reason)) {
        return fail(reason);
    }
    if (!options.saveFrames.empty() && !capturePrepareDir(options.outDir, reason)) {
        return fail(reason);
    }
    CaptureResult result{};
    if (!captureRun(options, result, reason)) {
        return fail(reason);
    }
    std::printf("%s\n", captureSummary(options.frames, result.pipelineMs).c_str());
    return 0;
}
