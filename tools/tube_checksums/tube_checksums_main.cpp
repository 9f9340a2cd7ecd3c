// tube-checksums: builds the GL demo's tube frame after frame, as the demo
// does, and writes each frame's checksum. Exit 0 on success (and for --help);
// 2 with a reason and the usage on bad arguments; 1 with a reason when the
// file or the summary cannot be written.
#include "captureoutput.h"
#include "tubesums.h"

#include <string>
#include <vector>

namespace {

CaptureStatus run(const std::vector<std::string>& args, CaptureSummary& summary,
                  std::string& reason)
{
    TubeSumsOptions options;
    if (!tubeSumsParseArgs(args, options, reason)) {
        return CaptureStatus::badInput;
    }
    summary.frames = options.frames;
    return tubeSumsRun(options, summary.renderMs, reason) ? CaptureStatus::done
                                                          : CaptureStatus::failed;
}

}  // namespace

int main(int argc, char** argv)
{
    return captureMain(argc, argv, "tube-checksums", kTubeSumsUsage, run);
}
