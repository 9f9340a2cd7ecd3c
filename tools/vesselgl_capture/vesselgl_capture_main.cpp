// vesselgl-capture: renders the GL demo headless and saves chosen frames as
// PNG files. Exit 0 on success (and for --help); 2 with a reason and the usage
// on bad arguments, an unusable texture or an output directory that cannot be
// used; 1 with a reason when no off-screen OpenGL can be had, or a frame or
// the summary cannot be written.
#include "captureoutput.h"
#include "glcapture.h"

#include <string>
#include <vector>

namespace {

CaptureStatus run(const std::vector<std::string>& args, CaptureSummary& summary,
                  std::string& reason)
{
    GlCaptureOptions options;
    if (!glCaptureParseArgs(args, options, reason)) {
        return CaptureStatus::badInput;
    }
    summary.frames = options.frames;
    return glCaptureRun(options, summary.renderMs, reason);
}

}  // namespace

int main(int argc, char** argv)
{
    return captureMain(argc, argv, "vesselgl-capture", kGlCaptureUsage, run);
}
