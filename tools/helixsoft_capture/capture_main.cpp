// helixsoft-capture: renders the software demo headless and saves chosen frames
// as PNG files. Exit 0 on success (and for --help); 2 with a reason and the
// usage on bad arguments or an output directory that cannot be used; 1 with a
// reason when a frame or the summary cannot be written.
#include "capture.h"

#include <string>
#include <vector>

namespace {

constexpr const char* kTool = "helixsoft-capture";

}  // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    int status = 0;
    if (!captureStart(kTool, kCaptureUsage, args, status)) {
        return status;
    }
    CaptureOptions options;
    std::string reason;
    if (!captureParseArgs(args, options, reason) ||
        (!options.saveFrames.empty() && !capturePrepareDir(options.outDir, reason))) {
        return captureFailed(kTool, reason, kCaptureUsage);
    }
    CaptureResult result{};
    if (!captureRun(options, result, reason)) {
        return captureFailed(kTool, reason, nullptr);
    }
    return captureFinish(kTool, options.frames, result.pipelineMs);
}
