// helixsoft-capture: renders the software demo headless and saves chosen frames
// as PNG files. Exit 0 on success (and for --help); 2 with a reason and the
// usage on bad arguments or an output directory that cannot be used; 1 with a
// reason when a frame, the checksums or the summary cannot be written.
#include "capture.h"

#include <string>
#include <vector>

namespace {

CaptureStatus run(const std::vector<std::string>& args, CaptureSummary& summary,
                  std::string& reason)
{
    CaptureOptions options;
    if (!captureParseArgs(args, options, reason) ||
        (!options.saveFrames.empty() && !capturePrepareDir(options.outDir, reason))) {
        return CaptureStatus::badInput;
    }
    CaptureResult result{};
    if (!captureRun(options, result, reason)) {
        return CaptureStatus::failed;
    }
    summary = CaptureSummary{options.frames, result.pipelineMs};
    return CaptureStatus::done;
}

}  // namespace

int main(int argc, char** argv)
{
    return captureMain(argc, argv, "helixsoft-capture", kCaptureUsage, run);
}
